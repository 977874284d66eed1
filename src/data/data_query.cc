// DLDataQuery: copying with an owned case space, and equality.
#include "ruleweave/data/data_query.h"

namespace {

std::unique_ptr<DLBitSet> CopyOf(const DLBitSet* set) {
  return set == nullptr ? nullptr : std::make_unique<DLBitSet>(*set);
}

}  // namespace

DLDataQuery::DLDataQuery(const DLBitSet* caseSpace, const std::vector<std::string>& predictors,
                         const std::string& target, const std::string& responseVal)
    : mCaseSpace(CopyOf(caseSpace)),
      mPredictorNames(predictors),
      mTargetName(target),
      mResponseVal(responseVal) {}

DLDataQuery::DLDataQuery(const DLDataQuery& other)
    : mCaseSpace(CopyOf(other.mCaseSpace.get())),
      mPredictorNames(other.mPredictorNames),
      mTargetName(other.mTargetName),
      mResponseVal(other.mResponseVal) {}

DLDataQuery& DLDataQuery::operator=(const DLDataQuery& other) {
  if (this == &other) return *this;
  // DLBitSet assignment refuses sets of another capacity, so the case space is copied anew.
  mCaseSpace = CopyOf(other.mCaseSpace.get());
  mPredictorNames = other.mPredictorNames;
  mTargetName = other.mTargetName;
  mResponseVal = other.mResponseVal;
  return *this;
}

DLDataQuery::~DLDataQuery() = default;

void DLDataQuery::SetCaseSpace(const DLBitSet* caseSpace) {
  // Copy first: `caseSpace` may be the set this query owns.
  std::unique_ptr<DLBitSet> copy = CopyOf(caseSpace);
  mCaseSpace = std::move(copy);
}

bool DLDataQuery::operator==(const DLDataQuery& other) const {
  if (this == &other) return true;
  const DLBitSet* mine = mCaseSpace.get();
  const DLBitSet* theirs = other.mCaseSpace.get();
  if ((mine == nullptr) != (theirs == nullptr)) return false;
  if (mine != nullptr && *mine != *theirs) return false;
  return mPredictorNames == other.mPredictorNames && mTargetName == other.mTargetName &&
         mResponseVal == other.mResponseVal;
}
