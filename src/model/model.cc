// DLModel: ownership of lists, the edits and the refreshed flag, stage-by-stage measuring and the
// dump.
#include "ruleweave/model/model.h"

#include <algorithm>
#include <ostream>
#include <utility>

#include "ruleweave/data/data_query.h"
#include "ruleweave/data/data_set.h"

DLModel::DLModel() = default;

DLModel::DLModel(const DLDataSet& ds, const std::vector<DLList*>& lists)
    : mDataSet(&ds), mDataSetLifetime(ds.GetLifetime()) {
  mLists.reserve(lists.size());
  // A null entry owns nothing; keeping it would only make every later use crash.
  for (DLList* l : lists) {
    if (l != nullptr) mLists.emplace_back(l);
  }
  if (!mLists.empty()) {
    const DLDataQuery* query = mLists.front()->GetDataQuery();
    if (query != nullptr && query->GetCaseSpace() != nullptr) {
      mCaseSpace = std::make_unique<DLBitSet>(*query->GetCaseSpace());
    }
  }
}

DLModel::DLModel(const DLModel& other)
    : mDataSet(other.mDataSet),
      mDataSetLifetime(other.mDataSetLifetime),
      mCaseSpace(other.mCaseSpace ? std::make_unique<DLBitSet>(*other.mCaseSpace) : nullptr),
      mRefreshed(other.mRefreshed) {
  DoCopyLists(mLists, other.mLists);
}

DLModel& DLModel::operator=(const DLModel& other) {
  if (this == &other) return *this;
  auto caseSpace = other.mCaseSpace ? std::make_unique<DLBitSet>(*other.mCaseSpace) : nullptr;
  DoCopyLists(mLists, other.mLists);
  mDataSet = other.mDataSet;
  mDataSetLifetime = other.mDataSetLifetime;
  mCaseSpace = std::move(caseSpace);
  mRefreshed = other.mRefreshed;
  return *this;
}

DLModel::~DLModel() = default;

void DLModel::DoCopyLists(std::vector<std::unique_ptr<DLList>>& target,
                          const std::vector<std::unique_ptr<DLList>>& source) {
  std::vector<std::unique_ptr<DLList>> copies;
  copies.reserve(source.size());
  for (const auto& l : source) copies.push_back(std::make_unique<DLList>(*l));
  target = std::move(copies);
}

void DLModel::SetDataSet(const DLDataSet& ds) {
  mDataSet = &ds;
  mDataSetLifetime = ds.GetLifetime();
  for (auto& l : mLists) l->SetDataSet(ds);
}

const DLDataSet* DLModel::GetDataSet() const {
  return mDataSet != nullptr && mDataSetLifetime.expired() ? nullptr : mDataSet;
}

bool DLModel::IsDataSetGone() const {
  if (mDataSet != nullptr && mDataSetLifetime.expired()) return true;
  return std::any_of(mLists.begin(), mLists.end(),
                     [](const auto& l) { return l->IsDataSetGone(); });
}

const DLList* DLModel::GetList(int i) const {
  if (i < 0 || i >= GetNumOfLists()) return nullptr;
  return mLists[static_cast<std::size_t>(i)].get();
}

const DLBitSet* DLModel::GetRemainder() const {
  if (!mRefreshed || mLists.empty()) return nullptr;
  return mLists.back()->GetRemainder();
}

DLMeasure* DLModel::GetRemainderMeasure() const {
  if (GetDataSet() == nullptr || !mRefreshed || mLists.empty()) return nullptr;
  return mLists.back()->GetRemainderMeasure();
}

void DLModel::CopyLists(std::vector<DLList*>& out) const {
  for (DLList* l : out) delete l;
  out.clear();
  out.reserve(mLists.size());
  for (const auto& l : mLists) out.push_back(new DLList(*l));
}

bool DLModel::HoldsList(const DLList* l) const {
  return std::any_of(mLists.begin(), mLists.end(), [l](const auto& own) { return own.get() == l; });
}

bool DLModel::AddList(DLList* l) {
  if (l == nullptr || HoldsList(l)) return false;
  mLists.emplace_back(l);
  if (const DLDataSet* ds = GetDataSet()) l->SetDataSet(*ds);
  mRefreshed = false;
  return true;
}

bool DLModel::InsertList(DLList* l, int i) {
  if (l == nullptr || HoldsList(l)) return false;
  if (i >= GetNumOfLists()) {
    mLists.emplace_back(l);
  } else {
    mLists.emplace(mLists.begin() + std::max(i, 0), l);
  }
  if (const DLDataSet* ds = GetDataSet()) l->SetDataSet(*ds);
  mRefreshed = false;
  return true;
}

bool DLModel::SetList(DLList* l, int i) {
  if (l == nullptr || i < 0 || i >= GetNumOfLists()) return false;
  DLList& target = *mLists[static_cast<std::size_t>(i)];
  if (*l == target) return false;
  target = *l;
  if (const DLDataSet* ds = GetDataSet()) target.SetDataSet(*ds);
  mRefreshed = false;
  return true;
}

bool DLModel::RemoveList(int i) {
  if (i < 0 || i >= GetNumOfLists()) return false;
  mLists.erase(mLists.begin() + i);
  mRefreshed = false;
  return true;
}

bool DLModel::SetCaseSpace(DLBitSet* cs) {
  if (cs == mCaseSpace.get()) return false;
  if (cs != nullptr && mCaseSpace && *cs == *mCaseSpace) return false;
  mCaseSpace = cs != nullptr ? std::make_unique<DLBitSet>(*cs) : nullptr;
  mRefreshed = false;
  for (auto& l : mLists) l->ClearMeasure();
  return true;
}

void DLModel::RemoveRemainderRule() {
  if (mLists.empty()) return;
  DLList& last = *mLists.back();
  const DLRule* rule = last.GetRule(last.GetNumOfRules() - 1);
  if (rule != nullptr && rule->IsEmpty()) last.RemoveRule(last.GetNumOfRules() - 1);
}

void DLModel::ClearMeasure() {
  mRefreshed = false;
  for (auto& l : mLists) l->ClearMeasure();
}

bool DLModel::RefreshMeasure() {
  if (GetDataSet() == nullptr || IsDataSetGone() || mRefreshed) return false;
  // The remainder moves on only from lists measured here; a skipped (already refreshed) list
  // passes on the space it would have received.
  std::unique_ptr<DLBitSet> space = mCaseSpace ? std::make_unique<DLBitSet>(*mCaseSpace) : nullptr;
  for (auto& l : mLists) {
    if (l->IsRefreshed()) continue;
    if (!l->RefreshMeasure(space.get())) return false;
    space.reset(l->GetRemainder());
  }
  mRefreshed = true;
  return true;
}

void DLModel::Display(std::ostream& os) const {
  for (std::size_t i = 0; i < mLists.size(); ++i) {
    os << "List: " << i << "\n";
    mLists[i]->Display(os);
  }
}
