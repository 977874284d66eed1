// The variable model: the IDLVar interface with its enumerations and static predicates, and the
// three kinds of variable (categorical, continuous, frequency weight).
//
// The binning and rounding encoders that continuous and weight variables own are declared in
// "ruleweave/variables/binning_encoder.h"; include it to use them.
#ifndef RULEWEAVE_VARIABLES_VAR_H_
#define RULEWEAVE_VARIABLES_VAR_H_

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "ruleweave/variables/encoder.h"
#include "ruleweave/variables/user_missing.h"

class DLBinningEncoder;
class DLRoundEncoder;

// One field of the host's records: name, label, measure level, role, storage type and the
// encoder that turns raw values into stored codes. Variables live in a DLVarList, which owns them.
class IDLVar {
 public:
  // Single bits, so that sets of levels can be tested.
  enum MeasureLevel {
    kUnknownLevel = 0,
    kContinuous = 1,
    kNominalNumeric = 2,
    kOrdinalNumeric = 4,
    kNominalString = 8,
    kOrdinalString = 16,
    kFrequencyWeight = 32
  };
  enum VarRole { kUndefinedRole = 0, kPredictor = 1, kTarget = 2, kFreqWeight = 3, kUnused = 4 };
  // For numeric categorical levels: whether category values are integers or reals.
  enum VarDataType { kString = 0, kInteger = 1, kDouble = 2 };
  // What the loaded data made of the variable: two or more values, exactly one, none.
  enum VarStatus { kVarOK = 0, kVarConstant = 1, kVarEmpty = 2 };
  enum DLWRoundingOption { kTruncate = 0, kRound = 1 };

  virtual ~IDLVar();
  virtual MeasureLevel GetMeasureLevel() const = 0;
  virtual std::string GetVarName() const = 0;
  virtual std::string GetVarLabel() const = 0;
  virtual void SetVarLabel(const std::string& label) = 0;
  virtual VarRole GetVarRole() const = 0;
  virtual void SetVarRole(VarRole role) = 0;
  virtual VarDataType GetVarDataType() const = 0;
  virtual int GetNumOfCategories() const = 0;
  virtual const IDLUserMissing* GetUserMissingInfo() const = 0;
  virtual bool SetUserMissingInfo(IDLUserMissing* um) = 0;
  virtual IDLEncoder* GetEncoder() = 0;
  virtual const IDLEncoder* GetEncoder() const = 0;
  // Not const: a categorical variable raises its cached category count here.
  virtual VarStatus GetVarStatus() = 0;
  virtual bool operator==(const IDLVar& other) const = 0;
  virtual bool operator!=(const IDLVar& other) const = 0;
  // True when `other` could have grown from this variable.
  virtual bool IsCompatibleWith(const IDLVar& other) const = 0;
  virtual bool IsUnusedVar() const = 0;
  // A new object of the same class, owned by the caller.
  virtual IDLVar* Clone() const = 0;
  virtual void Display(std::ostream& os) const = 0;

  static bool IsNominal(MeasureLevel level);
  static bool IsNominal(const IDLVar& var);
  static bool IsOrdinal(MeasureLevel level);
  static bool IsOrdinal(const IDLVar& var);
  static bool IsCategorical(MeasureLevel level);
  static bool IsCategorical(const IDLVar& var);
  static bool IsContinuous(MeasureLevel level);
  static bool IsContinuous(const IDLVar& var);
  static bool IsNumeric(MeasureLevel level);
  static bool IsNumeric(const IDLVar& var);
  static bool IsString(MeasureLevel level);
  static bool IsString(const IDLVar& var);
  // Level 1, 2, 4, 8 or 16: neither unknown nor frequency weight.
  static bool IsUsed(MeasureLevel level);
  static bool IsUsed(const IDLVar& var);
  static bool IsIntegerCategorical(MeasureLevel level, VarDataType dataType);
  static bool IsIntegerCategorical(const IDLVar& var);
  static bool IsDoubleCategorical(MeasureLevel level, VarDataType dataType);
  static bool IsDoubleCategorical(const IDLVar& var);

  // Category codes as text and back, as the PMML export writes and the import reads them (the
  // library's one conversion; additions to the interface, not overridable).
  //
  // The text of category `code`: a string level's value as stored; a numeric level's value as the
  // shortest text that reads back exactly (data type kDouble) or as a whole number truncated
  // toward zero (kInteger), without the locale. False, leaving `text` unchanged, for a variable
  // that is not categorical or has no encoder, a code that names no category, or a value with
  // no text form (missing, infinite, or beyond int for kInteger).
  bool GetCategoryText(int code, std::string& text) const;
  // The code of the category with value `text`: a string level compares the text as stored; a
  // numeric level reads the whole text as one finite number (no blanks, no locale) and looks the
  // number up. -1 when no category has that value, the text is not a number for a numeric level,
  // the value is user-missing, or the variable is not categorical. Adds no category.
  int GetCategoryCode(const std::string& text) const;

 protected:
  IDLVar() = default;
  // A copy belongs to no list; an assignment keeps the list the target belongs to.
  IDLVar(const IDLVar& /*other*/) {}
  IDLVar& operator=(const IDLVar& /*other*/) { return *this; }
  // For an assignment that changed the name: the owning list's index by name is then rebuilt
  // before its next lookup.
  void NoteRenamed() {
    if (mListNamesStale != nullptr) *mListNamesStale = true;
  }

 private:
  friend class DLVarList;
  // The owning DLVarList's "a name changed" flag; null outside a list.
  bool* mListNamesStale = nullptr;
};

// A categorical variable (levels 2, 4, 8, 16). Owns one categorical encoder chosen by its level.
// A user-missing set handed to it stays the caller's: the encoder keeps a private copy.
class DLCatVar : public IDLVar {
 public:
  // Throws ConstructorException for an empty name ("! vName.empty()"), then for a level that is
  // not categorical ("IsCategorical( mLevel )").
  DLCatVar(const std::string& vName, const std::string& vLabel, MeasureLevel mLevel, VarRole vRole,
           VarDataType vDataType);
  // The copy gets its own copy of the encoder.
  DLCatVar(const DLCatVar& other);
  // Copies name, label, role, category count and level; keeps this variable's data type and
  // encoder.
  DLCatVar& operator=(const DLCatVar& other);
  ~DLCatVar() override;

  MeasureLevel GetMeasureLevel() const override { return mMeasureLevel; }
  std::string GetVarName() const override { return mName; }
  std::string GetVarLabel() const override { return mLabel; }
  void SetVarLabel(const std::string& label) override { mLabel = label; }
  VarRole GetVarRole() const override { return mRole; }
  void SetVarRole(VarRole role) override { mRole = role; }
  VarDataType GetVarDataType() const override { return mDataType; }
  int GetNumOfCategories() const override;
  const IDLUserMissing* GetUserMissingInfo() const override;
  // Forwarded to the encoder, which copies the set; the caller keeps `um`.
  bool SetUserMissingInfo(IDLUserMissing* um) override;
  IDLEncoder* GetEncoder() override { return mEncoder.get(); }
  const IDLEncoder* GetEncoder() const override { return mEncoder.get(); }
  // Empty with no category, constant with one, OK with more (the count seen never decreases).
  VarStatus GetVarStatus() override;
  bool operator==(const IDLVar& other) const override;
  bool operator!=(const IDLVar& other) const override { return !(*this == other); }
  bool IsCompatibleWith(const IDLVar& other) const override;
  bool IsUnusedVar() const override { return mRole == kUnused; }
  IDLVar* Clone() const override;
  void Display(std::ostream& os) const override;

 private:
  std::string mName;
  std::string mLabel;
  VarRole mRole;
  VarDataType mDataType;
  int mNumOfCategories = 0;  // largest category count seen so far
  MeasureLevel mMeasureLevel;
  std::unique_ptr<IDLEncoder> mEncoder;
};

// A continuous variable (level 1, never the target). Owns its optional binning encoder and its
// optional numeric user-missing set; the encoder refers to the variable's set without owning it.
class DLContVar : public IDLVar {
 public:
  // Empty range (min = +max double, max = -max double) and no encoder.
  DLContVar(const std::string& vName, const std::string& vLabel, VarRole vRole);
  // The range is stored as given; no encoder.
  DLContVar(const std::string& vName, const std::string& vLabel, double min, double max,
            VarRole vRole);
  // Range derived from the first two and last two cutpoints as passed (one cutpoint c gives
  // [c - 50, c + 50]); unless the role is unused, a binning encoder with these cutpoints.
  // Checks, in order: "! vName.empty()", "cutpoints.size() > 0", "vRole != IDLVar::kTarget".
  DLContVar(const std::string& vName, const std::string& vLabel,
            const std::vector<double>& cutpoints, VarRole vRole);
  DLContVar(const DLContVar& other);
  // Copies name, label, min, max and role; the encoder is dropped, copied or kept, and the set
  // dropped, copied or assigned, by whether the source and this variable have one.
  DLContVar& operator=(const DLContVar& other);
  ~DLContVar() override;

  MeasureLevel GetMeasureLevel() const override { return kContinuous; }
  std::string GetVarName() const override { return mName; }
  std::string GetVarLabel() const override { return mLabel; }
  void SetVarLabel(const std::string& label) override { mLabel = label; }
  VarRole GetVarRole() const override { return mRole; }
  void SetVarRole(VarRole role) override { mRole = role; }
  VarDataType GetVarDataType() const override { return kDouble; }
  // The number of bins, 0 without an encoder.
  int GetNumOfCategories() const override;
  const IDLUserMissing* GetUserMissingInfo() const override;
  // Null drops the set; a set that is not a DLNumericUserMissing is refused (the caller keeps
  // it); otherwise the variable takes ownership and hands the set to its encoder.
  bool SetUserMissingInfo(IDLUserMissing* um) override;
  IDLEncoder* GetEncoder() override;
  const IDLEncoder* GetEncoder() const override;
  // Empty when max < min, constant when max == min, else OK.
  VarStatus GetVarStatus() override;
  bool operator==(const IDLVar& other) const override;
  bool operator!=(const IDLVar& other) const override { return !(*this == other); }
  bool IsCompatibleWith(const IDLVar& other) const override;
  bool IsUnusedVar() const override { return mRole == kUnused; }
  IDLVar* Clone() const override;
  void Display(std::ostream& os) const override;

  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  // Stores the range only when min < max strictly.
  bool SetMinMax(double min, double max);
  // Equal-width bins over [min, max]. False for fewer than 2 bins, an existing encoder, an empty
  // or single-point range, or the unused role.
  bool SetupEncoder(int numOfBins);
  // Bins from a sorted copy of the cutpoints. False for no cutpoints or an existing encoder.
  bool SetupEncoder(const std::vector<double>& cutpoints);
  // Deletes the encoder. False without one, or when its cutpoints were set explicitly and `force`
  // is false.
  bool ClearEncoder(bool force);

 private:
  std::string mName;
  std::string mLabel;
  VarRole mRole;
  double mMin;
  double mMax;
  std::unique_ptr<DLBinningEncoder> mEncoder;
  std::unique_ptr<DLNumericUserMissing> mUserMissing;
};

// The frequency-weight variable (level 32, role always 3). Owns its rounding encoder and its
// optional numeric user-missing set, which the encoder only refers to.
class DLWeightVar : public IDLVar {
 public:
  // Throws ConstructorException ("vName is not empty") for an empty name.
  DLWeightVar(const std::string& vName, const std::string& vLabel, DLWRoundingOption option);
  DLWeightVar(const DLWeightVar& other);
  // Copies name, label and the user-missing set; keeps this variable's rounding encoder.
  DLWeightVar& operator=(const DLWeightVar& other);
  ~DLWeightVar() override;

  MeasureLevel GetMeasureLevel() const override { return kFrequencyWeight; }
  std::string GetVarName() const override { return mName; }
  std::string GetVarLabel() const override { return mLabel; }
  void SetVarLabel(const std::string& label) override { mLabel = label; }
  VarRole GetVarRole() const override { return kFreqWeight; }
  // The role of a weight variable cannot change.
  void SetVarRole(VarRole) override {}
  VarDataType GetVarDataType() const override { return kInteger; }
  int GetNumOfCategories() const override { return 0; }
  const IDLUserMissing* GetUserMissingInfo() const override;
  // As DLContVar::SetUserMissingInfo.
  bool SetUserMissingInfo(IDLUserMissing* um) override;
  IDLEncoder* GetEncoder() override;
  const IDLEncoder* GetEncoder() const override;
  VarStatus GetVarStatus() override { return kVarOK; }
  bool operator==(const IDLVar& other) const override;
  bool operator!=(const IDLVar& other) const override { return !(*this == other); }
  bool IsCompatibleWith(const IDLVar& other) const override;
  bool IsUnusedVar() const override { return false; }
  IDLVar* Clone() const override;
  void Display(std::ostream& os) const override;

 private:
  std::string mName;
  std::string mLabel;
  std::unique_ptr<DLRoundEncoder> mEncoder;
  std::unique_ptr<DLNumericUserMissing> mUserMissing;
};

#endif  // RULEWEAVE_VARIABLES_VAR_H_
