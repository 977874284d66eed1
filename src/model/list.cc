// DLList: ownership of rules, the edits and the refreshed flag, first-hit measuring through a
// raw data view and a list coverage, remainders, equality by rule sets and the dump.
#include "ruleweave/model/list.h"

#include <algorithm>
#include <ostream>
#include <utility>

#include "data/data_views.h"
#include "model/list_coverage.h"
#include "model/measure_line.h"
#include "ruleweave/data/data_query.h"
#include "ruleweave/data/data_set.h"

DLList::DLList() = default;

DLList::DLList(const DLDataSet& ds, const DLDataQuery& query, DLMeasure measure,
               const DLBitSet& coverage, const std::vector<DLRule*>& rules)
    : mDataSet(&ds),
      mDataSetLifetime(ds.GetLifetime()),
      mQuery(std::make_unique<DLDataQuery>(query)),
      mMeasure(measure),
      mCoverage(std::make_unique<DLBitSet>(coverage)) {
  mRules.reserve(rules.size());
  // A null entry owns nothing; keeping it would only make every later use crash.
  for (DLRule* r : rules) {
    if (r != nullptr) mRules.emplace_back(r);
  }
  for (auto& r : mRules) r->RemoveRedundantSegments();
}

DLList::DLList(const DLList& other)
    : mDataSet(other.mDataSet),
      mDataSetLifetime(other.mDataSetLifetime),
      mQuery(other.mQuery ? std::make_unique<DLDataQuery>(*other.mQuery) : nullptr),
      mMeasure(other.mMeasure),
      mCoverage(other.mCoverage ? std::make_unique<DLBitSet>(*other.mCoverage) : nullptr),
      mRefreshed(other.mRefreshed) {
  AddRules(other.mRules);
}

DLList& DLList::operator=(const DLList& other) {
  if (this == &other) return *this;
  // Build every copy before giving anything up.
  auto query = other.mQuery ? std::make_unique<DLDataQuery>(*other.mQuery) : nullptr;
  auto coverage = other.mCoverage ? std::make_unique<DLBitSet>(*other.mCoverage) : nullptr;
  AddRules(other.mRules);
  mDataSet = other.mDataSet;
  mDataSetLifetime = other.mDataSetLifetime;
  mQuery = std::move(query);
  mCoverage = std::move(coverage);
  mMeasure = other.mMeasure;
  mRefreshed = other.mRefreshed;
  return *this;
}

DLList::~DLList() = default;

void DLList::AddRules(const std::vector<std::unique_ptr<DLRule>>& rules) {
  std::vector<std::unique_ptr<DLRule>> copies;
  copies.reserve(rules.size());
  for (const auto& r : rules) copies.push_back(std::make_unique<DLRule>(*r));
  mRules = std::move(copies);
}

void DLList::SetDataSet(const DLDataSet& ds) {
  mDataSet = &ds;
  mDataSetLifetime = ds.GetLifetime();
}

void DLList::SetDataQuery(const DLDataQuery& query) {
  mQuery = std::make_unique<DLDataQuery>(query);
}

const DLRule* DLList::GetRule(int i) const {
  if (i < 0 || i >= GetNumOfRules()) return nullptr;
  return mRules[static_cast<std::size_t>(i)].get();
}

DLBitSet* DLList::GetRemainder() const {
  if (!mQuery || !mRefreshed || !mCoverage) return nullptr;
  const DLBitSet* space = mQuery->GetCaseSpace();
  return space != nullptr ? *space - *mCoverage : GetComplement(*mCoverage);
}

DLMeasure* DLList::GetRemainderMeasure() const {
  const DLDataSet* dataSet = GetDataSet();
  if (dataSet == nullptr || !mQuery || !mRefreshed) return nullptr;
  std::unique_ptr<DLBitSet> remainder(GetRemainder());
  if (!remainder) return nullptr;
  DLRawDataView view(*dataSet, *mQuery);
  auto measure = std::make_unique<DLMeasure>();
  view.ComputeMeasure(*measure, *remainder);
  return measure.release();
}

bool DLList::HoldsRule(const DLRule* r) const {
  return std::any_of(mRules.begin(), mRules.end(), [r](const auto& own) { return own.get() == r; });
}

bool DLList::AddRule(DLRule* r) {
  if (r == nullptr || HoldsRule(r)) return false;
  mRules.emplace_back(r);
  mRefreshed = false;
  return true;
}

bool DLList::InsertRule(DLRule* r, int i) {
  if (r == nullptr || HoldsRule(r)) return false;
  if (i >= GetNumOfRules()) {
    mRules.emplace_back(r);
  } else {
    mRules.emplace(mRules.begin() + std::max(i, 0), r);
  }
  mRefreshed = false;
  return true;
}

bool DLList::SetRule(DLRule* r, int i) {
  if (r == nullptr || i < 0 || i >= GetNumOfRules()) return false;
  DLRule& target = *mRules[static_cast<std::size_t>(i)];
  if (*r == target) return false;
  target = *r;
  mRefreshed = false;
  return true;
}

bool DLList::RemoveRule(int i) {
  if (i < 0 || i >= GetNumOfRules()) return false;
  mRules.erase(mRules.begin() + i);
  mRefreshed = false;
  return true;
}

void DLList::ClearMeasure() {
  mMeasure.Clear();
  mRefreshed = false;
  for (auto& r : mRules) r->ClearMeasure();
}

bool DLList::RefreshMeasure(const DLBitSet* caseSpace) {
  const DLDataSet* dataSet = GetDataSet();
  if (dataSet == nullptr || !mQuery) return false;
  if (caseSpace != nullptr && caseSpace->GetCapacity() != dataSet->GetNumOfCases()) return false;
  if (mRefreshed) return true;

  mQuery->SetCaseSpace(caseSpace);
  DLRawDataView view(*dataSet, *mQuery);
  DLListCoverage coverage(view, caseSpace);
  for (auto& rule : mRules) {
    if (!rule->IsRefreshed()) {
      // First hit: the rule sees only the cases no earlier rule took.
      std::unique_ptr<DLBitSet> remainder(coverage.Remainder());
      rule->RefreshMeasure(view, *remainder);
    }
    // A set from another data set is not a subset of the space and is ignored.
    if (rule->GetCoverage() != nullptr) coverage.AddRule(*rule->GetCoverage());
  }
  auto covered = std::make_unique<DLBitSet>(coverage.GetCoveredCases());
  mMeasure = coverage.GetMeasure();
  mCoverage = std::move(covered);
  mRefreshed = true;
  return true;
}

bool DLList::HasRule(const DLRule& rule) const {
  return std::any_of(mRules.begin(), mRules.end(), [&](const auto& r) { return *r == rule; });
}

bool DLList::operator==(const DLList& other) const {
  if (this == &other) return true;
  if (GetNumOfRules() != other.GetNumOfRules()) return false;
  return std::all_of(mRules.begin(), mRules.end(),
                     [&](const auto& r) { return other.HasRule(*r); });
}

void DLList::Display(std::ostream& os) const {
  DisplayMeasureLine(os, mMeasure);
  for (std::size_t i = 0; i < mRules.size(); ++i) {
    os << "\tRule: " << i << "\n";
    mRules[i]->Display(os);
  }
}
