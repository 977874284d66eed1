// User-missing values: per-variable sets of discrete values (numeric or string) and, for numbers,
// one closed interval, all of which count as missing when a value is encoded.
#ifndef RULEWEAVE_VARIABLES_USER_MISSING_H_
#define RULEWEAVE_VARIABLES_USER_MISSING_H_

#include <iosfwd>
#include <string>
#include <type_traits>
#include <vector>

// A set of values that the host declares missing for one variable. A variable owns its set and
// hands the same object to its encoder, which only refers to it (categorical encoders keep a
// private copy instead).
class IDLUserMissing {
 public:
  // Numeric variables accept only kNumericMissing sets, string variables only kStringMissing.
  enum DataType { kNumericMissing = 0, kStringMissing = 1 };

  virtual ~IDLUserMissing();
  virtual DataType GetDataType() const = 0;
  virtual int GetNDiscreteValues() const = 0;
  virtual bool HasInterval() const = 0;
  // Same data type and the same discrete values in the same order (labels are ignored).
  virtual bool operator==(const IDLUserMissing& other) const = 0;
  virtual bool operator!=(const IDLUserMissing& other) const { return !(*this == other); }
  // True when `other` could have grown from this set: it holds every value of this one.
  virtual bool IsCompatibleWith(const IDLUserMissing& other) const = 0;
  virtual void Display(std::ostream& os) const = 0;
};

// A closed interval [left, right]; both ends belong to it. An end of -1.7976931348623157e+308
// (left) or +1.7976931348623157e+308 (right) stands for an infinite end. Nothing enforces
// left <= right: a reversed interval is empty and contains nothing.
class DLNumericInterval {
 public:
  DLNumericInterval();
  DLNumericInterval(double left, double right);
  // upTo false: [end, +infinity); upTo true: (-infinity, end].
  DLNumericInterval(double end, bool upTo);
  // Other arithmetic ends, such as DLNumericInterval(3, 1), mean the two ends (without this,
  // two ints would be ambiguous between the two constructors above).
  template <class L, class R,
            class = std::enable_if_t<std::is_arithmetic_v<L> && std::is_arithmetic_v<R> &&
                                     !std::is_same_v<std::decay_t<R>, bool>>>
  DLNumericInterval(L left, R right)
      : DLNumericInterval(static_cast<double>(left), static_cast<double>(right)) {}

  // left <= x <= right; a NaN is never contained.
  bool Contains(double x) const;
  // Both store the end even when they return false (the interval became reversed).
  bool SetLeftEnd(double left);
  bool SetRightEnd(double right);
  double GetLeftEnd() const { return mLeft; }
  double GetRightEnd() const { return mRight; }
  bool IsLeftEndInfinite() const;
  bool IsRightEndInfinite() const;
  bool IsEmpty() const { return mRight < mLeft; }

  bool operator==(const DLNumericInterval& other) const;
  bool operator!=(const DLNumericInterval& other) const { return !(*this == other); }
  // True when this interval lies inside `other`.
  bool IsCompatibleWith(const DLNumericInterval& other) const;
  void Display(std::ostream& os) const;

 private:
  double mLeft;
  double mRight;
};

// Numeric user-missing values: discrete values with labels, plus an optional interval.
class DLNumericUserMissing : public IDLUserMissing {
 public:
  DLNumericUserMissing();
  DLNumericUserMissing(const DLNumericUserMissing& other);
  DLNumericUserMissing& operator=(const DLNumericUserMissing& other);
  ~DLNumericUserMissing() override;

  // Appends the value and its label; a value already present is appended again.
  void AddValue(double value, const std::string& label = "");
  // Copies the interval and marks it set; it cannot be unset afterwards.
  void SetInterval(const DLNumericInterval& interval);

  const std::vector<double>& GetDiscreteValues() const { return mValues; }
  const std::vector<std::string>& GetValueLabels() const { return mLabels; }
  // The interval when set, null otherwise.
  const DLNumericInterval* GetInterval() const { return mHasInterval ? &mInterval : nullptr; }

  DataType GetDataType() const override { return kNumericMissing; }
  int GetNDiscreteValues() const override { return static_cast<int>(mValues.size()); }
  bool HasInterval() const override { return mHasInterval; }

  // x equals a discrete value, or lies in the interval when one is set. The system-missing value
  // gets no special treatment here; encoders test it first.
  bool Contains(double x) const;

  bool operator==(const IDLUserMissing& other) const override;
  // Every value of this set occurs in `other`, and this interval lies inside the other's; an unset
  // interval counts as [0, 0].
  bool IsCompatibleWith(const IDLUserMissing& other) const override;
  void Display(std::ostream& os) const override;

 private:
  std::vector<double> mValues;
  std::vector<std::string> mLabels;
  DLNumericInterval mInterval;
  bool mHasInterval = false;
};

// String user-missing values: discrete values with labels, compared byte for byte.
class DLStringUserMissing : public IDLUserMissing {
 public:
  DLStringUserMissing();
  DLStringUserMissing(const DLStringUserMissing& other);
  DLStringUserMissing& operator=(const DLStringUserMissing& other);
  ~DLStringUserMissing() override;

  // Appends the value and its label; a value already present is appended again.
  void AddValue(const std::string& value, const std::string& label = "");

  const std::vector<std::string>& GetDiscreteValues() const { return mValues; }
  const std::vector<std::string>& GetValueLabels() const { return mLabels; }

  DataType GetDataType() const override { return kStringMissing; }
  int GetNDiscreteValues() const override { return static_cast<int>(mValues.size()); }
  bool HasInterval() const override { return false; }

  // Exact, case-sensitive match with one of the values.
  bool Contains(const std::string& s) const;

  bool operator==(const IDLUserMissing& other) const override;
  bool IsCompatibleWith(const IDLUserMissing& other) const override;
  void Display(std::ostream& os) const override;

 private:
  std::vector<std::string> mValues;
  std::vector<std::string> mLabels;
};

#endif  // RULEWEAVE_VARIABLES_USER_MISSING_H_
