// DLSegment: one condition of a rule, a test on the value of one attribute, and the kinds of test
// (DLConst::OpSegment).
//
// Values are what a data view gives for the attribute: category codes for categorical and binned
// predictors, plain numbers for continuous ones. They are compared as doubles, so the missing code
// of a coded attribute takes part in ranges and sets like any other number, while the
// system-missing value (the most negative finite double) falls in no range.
#ifndef RULEWEAVE_MODEL_SEGMENT_H_
#define RULEWEAVE_MODEL_SEGMENT_H_

#include <iosfwd>
#include <string>
#include <vector>

namespace DLConst {

// The kind of a segment. The numbers are stored and compared as integers; keep them fixed.
enum OpSegment {
  OpInvalid = 0,  // not set yet; refused by every rule operation
  OpEqualTo,      // value == value
  OpMissing,      // value is missing
  OpNotMissing,   // value is not missing; also the form of a segment that admits every value
  OpRange,        // low <(=) value <(=) high
  OpInSet,        // value is a member of the value set
  OpNotInSet      // value is no member of the value set
};

}  // namespace DLConst

// A value type: copies copy every field, the value set included. Rules own their segments through
// pointers. The attribute name and the missing code never change after construction.
//
// Unbounded range ends are the largest finite double (+INF) and its negative (-INF); an unbounded
// end is always stored as open, and a range admitting every non-missing value is always stored as
// OpNotMissing, never as OpRange.
class DLSegment {
 public:
  // `useLargeCategory` picks the missing code: 2147483647 when true, 255 otherwise (the data set's
  // missing category). Throws QXDecision::ConstructorException when `attrName` is empty.
  DLSegment(const std::string& attrName, bool useLargeCategory);
  DLSegment(const DLSegment& other);
  DLSegment& operator=(const DLSegment& other);
  ~DLSegment();

  const std::string& GetAttrName() const { return mAttrName; }
  DLConst::OpSegment GetOperator() const { return mOp; }
  // The value of an OpEqualTo segment; the system-missing value otherwise.
  double GetValueEqualTo() const { return mValue; }
  bool IsMissingSegment() const { return mOp == DLConst::OpMissing; }
  bool IsNotMissingSegment() const { return mOp == DLConst::OpNotMissing; }
  // The four range fields as stored; meaningful for OpRange only.
  void GetRange(double& low, double& high, bool& lowOpen, bool& highOpen) const;
  // True for an OpRange from -INF to +INF. SetRange never stores such a range (it yields
  // OpNotMissing), so this holds only for segments assembled otherwise.
  bool IsCoveringAll() const;
  const std::vector<double>& GetValueSet() const { return mValueSet; }
  bool IsValid() const { return mOp != DLConst::OpInvalid; }

  void SetAsMissingSegment();
  void SetAsNotMissingSegment();
  // The system-missing value or the missing code make a missing segment; any other value an
  // OpEqualTo segment.
  void SetValueEqualTo(double v);
  // Refuses (returns false, changes nothing) unless low < high, or low == high with both ends
  // closed; NaN ends are refused. low == high becomes SetValueEqualTo(low); -INF..+INF becomes
  // OpNotMissing; anything else an OpRange whose infinite ends are stored as open.
  bool SetRange(double low, double high, bool lowOpen, bool highOpen);
  // SetRange(-INF, +INF, closed, closed): an OpNotMissing segment.
  void CoverAll();
  // No values: missing segment (isIn) or CoverAll (not isIn). One value: SetValueEqualTo (isIn) or
  // OpNotInSet of that value. More: OpInSet / OpNotInSet, values kept in order, duplicates kept.
  void SetValueSet(const std::vector<double>& values, bool isIn);

  // Same attribute name (case-sensitive) and kind, then by kind: OpEqualTo compares the value,
  // OpRange the ends and open flags, the set kinds their values in order; the rest are equal on
  // kind alone. The missing code does not take part.
  bool operator==(const DLSegment& other) const;
  bool operator!=(const DLSegment& other) const { return !(*this == other); }

  // One line without its end, printed at precision 8 (restored afterwards), e.g. "2 < age <= 7",
  // "color is in [1, 2]", "age is missing".
  void Display(std::ostream& os) const;

 private:
  void Clear();

  std::string mAttrName;
  int mMissingCode;
  DLConst::OpSegment mOp;
  double mValue;
  double mLow;
  double mHigh;
  bool mLowOpen;
  bool mHighOpen;
  std::vector<double> mValueSet;
};

#endif  // RULEWEAVE_MODEL_SEGMENT_H_
