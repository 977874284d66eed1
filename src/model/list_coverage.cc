// DLListCoverage: the union of a list's rule coverages within its case space, and its measure.
#include "model/list_coverage.h"

#include "ruleweave/data/data_view.h"
#include "ruleweave/foundation/exceptions.h"

namespace {

// The view's capacity, checked before any set of that capacity is made.
int CheckedNumOfCases(const IDLDataView& view, const DLBitSet* caseSpace) {
  const int n = view.GetNumOfCases();
  if (n <= 0) {
    throw QXDecision::ConstructorException("DLListCoverage", "dataview.NumOfCases > 0");
  }
  if (caseSpace != nullptr && caseSpace->GetCapacity() != n) {
    throw QXDecision::ConstructorException(
        "DLListCoverage", "pCaseSpace == 0 ||pCaseSpace->Capacity == dataview.NumOfCases");
  }
  return n;
}

DLBitSet MakeCaseSpace(int n, const DLBitSet* caseSpace) {
  if (caseSpace != nullptr) return *caseSpace;
  DLBitSet all(n);
  all.FillUp();
  return all;
}

}  // namespace

DLListCoverage::DLListCoverage(const IDLDataView& view, const DLBitSet* caseSpace)
    : mView(&view),
      mCaseSpace(MakeCaseSpace(CheckedNumOfCases(view, caseSpace), caseSpace)),
      mCovered(mCaseSpace.GetCapacity()) {}

DLListCoverage& DLListCoverage::operator=(const DLListCoverage& other) {
  if (this == &other || mView != other.mView) return *this;
  mCaseSpace = other.mCaseSpace;
  mCovered = other.mCovered;
  mMeasure = other.mMeasure;
  return *this;
}

DLBitSet* DLListCoverage::Remainder() const { return mCaseSpace - mCovered; }

bool DLListCoverage::AddRule(DLBitSet const& ruleCovered) {
  if (!ruleCovered.IsSubSetOf(mCaseSpace)) return false;
  if (mCovered.GetNumOfElements() >= mCaseSpace.GetNumOfElements()) return true;
  mCovered |= ruleCovered;
  DLMeasure m;
  mView->ComputeMeasure(m, mCovered);
  mMeasure = m;
  return true;
}
