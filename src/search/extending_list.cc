// DLExtendingList: the inner beam search for a list's next rule and the list's extension.
#include "search/extending_list.h"

#include <ostream>
#include <utility>

#include "foundation/progress_throttle.h"
#include "foundation/status_codes.h"
#include "ruleweave/data/data_query.h"
#include "ruleweave/data/data_view.h"
#include "ruleweave/foundation/parameters.h"
#include "ruleweave/model/list.h"
#include "search/beam.h"

namespace {

using ruleweave::status::Cancelled;

using ruleweave::beam::IsBetter;

}  // namespace

DLExtendingList::DLExtendingList(const DLParameters& params, const DLDataQuery& query,
                                 const IDLDataView& view)
    : mParams(&params), mQuery(&query), mView(&view), mCoverage(view, query.GetCaseSpace()) {}

DLExtendingList::DLExtendingList(const DLExtendingList& other)
    : mParams(other.mParams),
      mQuery(other.mQuery),
      mView(other.mView),
      mCoverage(other.mCoverage),
      mKept(other.mKept),
      mDeparted(other.mDeparted) {
  mFixed.reserve(other.mFixed.size());
  for (const auto& r : other.mFixed) mFixed.push_back(std::make_unique<DLRule>(*r));
}

DLExtendingList::~DLExtendingList() = default;

QXDecision::QXStatus DLExtendingList::ExtendRules(bool& extended, DLWorkerPool* pool) {
  QXDecision::QXStatus status;
  extended = false;
  std::unique_ptr<DLBreakdowns> given;
  {
    std::unique_ptr<DLBitSet> remainder(mCoverage.Remainder());
    given = RemainderBreakdowns(*remainder);
    mExtending.push_back(std::make_unique<DLExtendingRule>(*mParams, *mView, *remainder));
  }
  // Kept anew below once the remainder's breakdowns are complete.
  mKept.reset();
  mDeparted.reset();
  if (IsSearchCancelled(*mParams)) {
    status = Cancelled();
  } else {
    for (int depth = 0; depth < mParams->GetRuleDepth(); ++depth) {
      if (mExtending.empty()) break;
      bool produced = false;
      bool cancelled = false;
      for (auto& rule : mExtending) {
        if (depth == 0) {
          // The one rule of the first level covers the remainder.
          auto made = std::make_unique<DLBreakdowns>();
          produced = rule->GenerateCandidates(cancelled, pool, given.get(), made.get()) || produced;
          if (!made->measures.empty()) mKept = std::move(made);
        } else {
          produced = rule->GenerateCandidates(cancelled, pool) || produced;
        }
        if (cancelled) break;
      }
      if (cancelled) {
        status = Cancelled();
        break;
      }
      if (!produced) break;
      extended = true;
      status = SelectRules(mParams->GetRuleWidth());
      if (!status.IsOK()) break;
    }
  }
  // A list that found nothing to extend keeps no empty rule.
  if (mExtending.size() == 1 && mExtending[0]->HasNoSegments()) mExtending.clear();
  return status;
}

QXDecision::QXStatus DLExtendingList::SelectRules(int width) {
  return ruleweave::beam::Select(mExtending, width, *mParams, "candidates",
                                 [this] { return PopBestRule(); });
}

std::unique_ptr<DLExtendingRule> DLExtendingList::PopBestRule() {
  return ruleweave::beam::PopBest(
      mExtending, mParams->GetSearchDirection() == DLConst::Down,
      [](const DLExtendingRule& rule, DLMeasure& m) { return rule.GetBestCandidate(m); });
}

int DLExtendingList::GetBestExtension(DLMeasure& m) const {
  m = mCoverage.GetMeasure();
  if (mExtending.empty()) return -1;
  const bool down = mParams->GetSearchDirection() == DLConst::Down;
  DLMeasure best = mExtending[0]->GetMeasure();
  if (down) best = DLMeasure(1.0, 1.0);
  int index = 0;
  for (std::size_t i = 0; i < mExtending.size(); ++i) {
    const DLMeasure own = mExtending[i]->GetMeasure();
    if (IsBetter(down, best, own)) {
      best = own;
      index = static_cast<int>(i);
    }
  }
  best += mCoverage.GetMeasure();
  m = best;
  return index;
}

DLExtendingList* DLExtendingList::ExtendWith(int i) {
  if (i < 0 || i >= static_cast<int>(mExtending.size())) return this;
  DLExtendingRule& r = *mExtending[i];
  r.FinalizeSegments();
  std::unique_ptr<DLRule> rule(r.ToRule());
  if (!rule) return this;
  std::unique_ptr<DLExtendingList> copy;
  DLExtendingList* target = this;
  if (mExtending.size() > 1) {
    copy = std::make_unique<DLExtendingList>(*this);
    target = copy.get();
  }
  target->mCoverage.AddRule(*rule->GetCoverage());
  // The rule was grown on the remainder, so its cases are exactly those that leave it. A second
  // rule before the next ExtendRules would need both; the kept breakdowns are dropped instead.
  if (target->mDeparted) {
    target->mKept.reset();
    target->mDeparted.reset();
  } else if (target->mKept) {
    target->mDeparted = std::make_shared<DLBitSet>(*rule->GetCoverage());
  }
  target->mFixed.push_back(std::move(rule));
  mExtending.erase(mExtending.begin() + i);
  return copy ? copy.release() : this;
}

std::unique_ptr<DLBreakdowns> DLExtendingList::RemainderBreakdowns(
    const DLBitSet& remainder) const {
  if (!mKept || !mDeparted || !mKept->wholeNumbers || remainder.IsEmpty()) return nullptr;
  if (mKept->numOfCases - mDeparted->GetNumOfElements() != remainder.GetNumOfElements()) {
    return nullptr;
  }
  if (mDeparted->IsEmpty()) return nullptr;
  const DLRuleCoverage departed(*mView, *mDeparted, DLRuleCoverage::Deferred{});
  bool wholeNumbers = false;
  const auto parts = departed.GetAttributeMeasures(mKept->positions, departed.GetResponseCode(),
                                                   nullptr, &wholeNumbers);
  if (!wholeNumbers) return nullptr;
  auto rest = std::make_unique<DLBreakdowns>();
  rest->positions = mKept->positions;
  rest->numOfCases = remainder.GetNumOfElements();
  rest->wholeNumbers = true;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    const DLAttributeMeasure* kept = mKept->measures[k].get();
    // A predictor has a breakdown of every non-empty set or of none.
    if ((kept == nullptr) != (parts[k] == nullptr)) return nullptr;
    std::unique_ptr<DLAttributeMeasure> m;
    if (kept != nullptr) {
      m = std::make_unique<DLAttributeMeasure>(*kept);
      if (!m->Subtract(*parts[k])) return nullptr;
    }
    rest->measures.push_back(std::move(m));
  }
  return rest;
}

DLList* DLExtendingList::ToList() {
  if (mFixed.empty()) return nullptr;
  std::vector<DLRule*> rules;
  rules.reserve(mFixed.size());
  for (auto& r : mFixed) rules.push_back(r.get());
  auto* list = new DLList(*mView->GetDataSet(), *mQuery, mCoverage.GetMeasure(),
                          mCoverage.GetCoveredCases(), rules);
  // The new list owns the rules now.
  for (auto& r : mFixed) r.release();
  mFixed.clear();
  return list;
}

void DLExtendingList::Display(std::ostream& os) const {
  for (std::size_t i = 0; i < mFixed.size(); ++i) {
    os << "\n\t"
       << "   FixedRules " << i << ":";
    mFixed[i]->Display(os);
  }
  for (std::size_t i = 0; i < mExtending.size(); ++i) {
    os << "\n\t"
       << "   ExtendingRules " << i << ":";
    mExtending[i]->Display(os);
  }
}
