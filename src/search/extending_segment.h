// DLExtendingSegment: a candidate or fixed segment of a rule under construction. While the search
// runs its bounds are category codes (bin codes for continuous predictors), both inclusive; once
// the rule is finished, bins are turned back into value intervals.
#ifndef RULEWEAVE_SEARCH_EXTENDING_SEGMENT_H_
#define RULEWEAVE_SEARCH_EXTENDING_SEGMENT_H_

#include <iosfwd>
#include <string>

#include "ruleweave/foundation/measure.h"

class DLDataSet;

// A range [left, right] on one attribute with the measure of the rule's cases that fall in it.
// Borrows the data set (for its missing code and maximum number of categories).
class DLExtendingSegment {
 public:
  // Throws ConstructorException ("DLExtendingSegment") on an empty name or an invalid range.
  DLExtendingSegment(const DLDataSet* dataSet, const std::string& attrName, double left,
                     double right, const DLMeasure& measure, bool leftOpen, bool rightOpen);

  // Valid: left < right, or left == right with both ends closed (NaN is never valid).
  static bool IsValidRange(double left, double right, bool leftOpen, bool rightOpen);

  const DLDataSet* GetDataSet() const { return mDataSet; }
  const std::string& GetAttrName() const { return mAttrName; }
  double GetLeft() const { return mLeft; }
  double GetRight() const { return mRight; }
  bool IsLeftOpen() const { return mLeftOpen; }
  bool IsRightOpen() const { return mRightOpen; }
  const DLMeasure& GetMeasure() const { return mMeasure; }
  DLMeasure& GetMeasure() { return mMeasure; }

  // Sets the range when it is valid; returns false and changes nothing otherwise.
  bool SetRange(double left, double right, bool leftOpen, bool rightOpen);

  // Missing segment: both ends on the data set's missing code (search form) or on the
  // system-missing value (finalised form), both closed.
  bool IsMissing() const;
  void SetMissing();           // the search form
  void SetFinalizedMissing();  // the finalised form

  // Covering all: (-DBL_MAX, DBL_MAX) both open, or left <= 0 and right >= the data set's maximum
  // number of categories.
  bool IsCoveringAll() const;
  void SetFinalizedCoveringAll();

  // Same attribute, same ends and open flags; the measure does not take part.
  bool operator==(const DLExtendingSegment& other) const;
  bool operator!=(const DLExtendingSegment& other) const { return !(*this == other); }

  // One line: name, range and measure.
  void Display(std::ostream& os) const;

 private:
  const DLDataSet* mDataSet;
  std::string mAttrName;
  double mLeft;
  double mRight;
  DLMeasure mMeasure;
  bool mLeftOpen;
  bool mRightOpen;
};

#endif  // RULEWEAVE_SEARCH_EXTENDING_SEGMENT_H_
