// DLListSet: the outer beam search over list levels.
#include "search/list_set.h"

#include <ostream>
#include <utility>

#include "foundation/progress_throttle.h"
#include "foundation/status_codes.h"
#include "ruleweave/foundation/parameters.h"
#include "ruleweave/model/list.h"
#include "search/beam.h"

using ruleweave::status::Cancelled;

DLListSet::DLListSet(const DLParameters& params, const DLDataSet& data, const DLDataQuery& query)
    : mParams(&params),
      mQuery(&query),
      mPool(DLWorkerPool::ResolveNumThreads(params.GetNumThreads())),
      mView(params, data, query, &mPool) {}

DLListSet::~DLListSet() = default;

void DLListSet::Start() {
  mLists.clear();
  mLists.push_back(std::make_unique<DLExtendingList>(*mParams, *mQuery, mView));
}

QXDecision::QXStatus DLListSet::Search() {
  if (IsSearchCancelled(*mParams)) return Cancelled();
  // The reporter counts from -1 during the run and is reset again afterwards, also when a host
  // callback throws.
  struct ReporterReset {
    DLReporter* reporter;
    ~ReporterReset() {
      if (reporter != nullptr) reporter->Reset();
    }
  } reset{mParams->GetReporter()};
  if (reset.reporter != nullptr) {
    reset.reporter->Reset();
    reset.reporter->SetStartTime(ProgressClockTicks());
  }

  QXDecision::QXStatus status;
  Start();
  const bool finalOnly = mParams->IsFinalResultsOnly();
  // The lists of every level, kept when all levels are wanted. They share this set's view, so a
  // plain vector serves where a second search object would bin the data again.
  std::vector<std::unique_ptr<DLExtendingList>> results;
  for (int level = 0; level < mParams->GetListDepth(); ++level) {
    bool extended = false;
    for (auto& list : mLists) {
      bool flag = false;
      status = list->ExtendRules(flag, &mPool);
      if (!status.IsOK()) break;
      extended = extended || flag;
    }
    if (!status.IsOK() || !extended) break;
    status = SelectLists(mParams->GetListWidth());
    if (!status.IsOK()) break;
    if (!finalOnly) {
      for (const auto& list : mLists) results.push_back(std::make_unique<DLExtendingList>(*list));
    }
  }
  if (status.IsOK() && !finalOnly) mLists = std::move(results);
  return status;
}

QXDecision::QXStatus DLListSet::SelectLists(int width) {
  return ruleweave::beam::Select(mLists, width, *mParams, "rules",
                                 [this] { return PopBestList(); });
}

std::unique_ptr<DLExtendingList> DLListSet::PopBestList() {
  return ruleweave::beam::PopBest(
      mLists, mParams->GetSearchDirection() == DLConst::Down,
      [](const DLExtendingList& list, DLMeasure& m) { return list.GetBestExtension(m); });
}

std::vector<std::unique_ptr<DLList>> DLListSet::TakeLists() {
  std::vector<std::unique_ptr<DLList>> lists;
  for (auto& list : mLists) {
    std::unique_ptr<DLList> made(list->ToList());
    list.reset();
    if (made) lists.push_back(std::move(made));
  }
  mLists.clear();
  return lists;
}

void DLListSet::Display(std::ostream& os) const {
  os << "$ListSet:\n";
  for (std::size_t i = 0; i < mLists.size(); ++i) {
    os << "\nList " << i << ":\n";
    mLists[i]->Display(os);
  }
  os << "$ListSet End.\n";
}
