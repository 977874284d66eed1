// DLListCoverage: the case space, the covered cases and the measure of a list under construction
// or being re-measured, grown one rule at a time.
#ifndef RULEWEAVE_MODEL_LIST_COVERAGE_H_
#define RULEWEAVE_MODEL_LIST_COVERAGE_H_

#include "ruleweave/foundation/bit_set.h"
#include "ruleweave/foundation/measure.h"

class IDLDataView;

// Covered cases are the union of the rules' covered cases, all within the case space; the
// measure is always the view's measure of the covered cases ((0, 0) before the first rule).
// Borrows the view, which must outlive it. Copies copy everything; assignment works only between
// coverages over the same view (otherwise, and onto itself, nothing changes).
class DLListCoverage {
 public:
  // The case space is a copy of `caseSpace`, or all cases when null; nothing is covered yet.
  // Throws QXDecision::ConstructorException ("DLListCoverage", "dataview.NumOfCases > 0") for a
  // view without cases and ("DLListCoverage",
  // "pCaseSpace == 0 ||pCaseSpace->Capacity == dataview.NumOfCases") for a case space of another
  // capacity.
  DLListCoverage(const IDLDataView& view, const DLBitSet* caseSpace);
  DLListCoverage(const DLListCoverage& other) = default;
  DLListCoverage& operator=(const DLListCoverage& other);

  DLMeasure GetMeasure() const { return mMeasure; }
  const DLBitSet& GetCaseSpace() const { return mCaseSpace; }
  const DLBitSet& GetCoveredCases() const { return mCovered; }
  const IDLDataView& GetDataView() const { return *mView; }
  // A new set the caller deletes: the case space minus the covered cases.
  DLBitSet* Remainder() const;

  // Adds a rule's covered cases. False, and no change, when they are not a subset of the case
  // space. True and no change when everything in the case space is covered already.
  bool AddRule(DLBitSet const& ruleCovered);

 private:
  const IDLDataView* mView;
  DLBitSet mCaseSpace;
  DLBitSet mCovered;
  DLMeasure mMeasure;
};

#endif  // RULEWEAVE_MODEL_LIST_COVERAGE_H_
