// DLExtendingRule: candidate generation, extension and finishing of rules under construction.
#include "search/extending_rule.h"

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <ostream>
#include <utility>
#include <vector>

#include "foundation/progress_throttle.h"
#include "foundation/worker_pool.h"
#include "model/attribute_measure.h"
#include "ruleweave/data/attribute.h"
#include "ruleweave/data/data_set.h"
#include "ruleweave/data/data_view.h"
#include "ruleweave/foundation/missing_value.h"
#include "ruleweave/foundation/parameters.h"
#include "ruleweave/model/rule.h"
#include "ruleweave/model/segment.h"
#include "ruleweave/variables/binning_encoder.h"
#include "ruleweave/variables/var.h"
#include "search/sea_level_parameters.h"

namespace {

// Covered cases times predictors in one pass over the covered cases (a few milliseconds of
// tallying): the walk over the set, the response bits and the weights are read once for all the
// predictors of a pass, so passes are made as large as this allows, while a cancel is still
// asked often.
constexpr long long kCaseAttributesPerPass = 1LL << 24;

// The number of passes that break `count` predictors down over `cases` covered cases with
// `threads` threads: as few as kCaseAttributesPerPass allows, rounded up to a multiple of the
// threads so that each has as many (at most one per predictor).
int NumOfPasses(int count, int cases, int threads) {
  const long long work = static_cast<long long>(count) * std::max(cases, 1);
  long long passes = (work + kCaseAttributesPerPass - 1) / kCaseAttributesPerPass;
  passes = (passes + threads - 1) / threads * threads;
  return static_cast<int>(std::min<long long>(passes, count));
}

}  // namespace

DLExtendingRule::DLExtendingRule(const DLParameters& params, const IDLDataView& view,
                                 const DLBitSet& cases)
    : mParams(&params), mView(&view), mCoverage(view, cases) {}

DLExtendingRule::DLExtendingRule(const DLExtendingRule& other)
    : mParams(other.mParams),
      mView(other.mView),
      mCoverage(other.mCoverage),
      mResponders(other.mResponders) {
  mFixed.reserve(other.mFixed.size());
  for (const auto& s : other.mFixed) mFixed.push_back(std::make_unique<DLExtendingSegment>(*s));
}

DLExtendingRule::~DLExtendingRule() = default;

bool DLExtendingRule::UsesAttribute(const std::string& name) const {
  for (const auto& s : mFixed) {
    if (s->GetAttrName() == name) return true;
  }
  return false;
}

bool DLExtendingRule::GenerateCandidates(bool& cancelled, DLWorkerPool* pool,
                                         const DLBreakdowns* given, DLBreakdowns* made) {
  cancelled = false;
  std::unique_ptr<DLWorkerPool> ownPool;
  if (pool == nullptr) {
    ownPool = std::make_unique<DLWorkerPool>(1);
    pool = ownPool.get();
  }
  // The predictors that may take a segment, in the view's order.
  const bool reusable = mParams->IsAttributeReusable();
  std::vector<int> positions;
  for (int i = 0, n = mView->GetNumOfAttributes(); i < n; ++i) {
    const IDLAttribute* attribute = mView->GetAttribute(i);
    if (attribute == nullptr || attribute->GetVar() == nullptr) continue;
    if (!reusable && UsesAttribute(attribute->GetVar()->GetVarName())) continue;
    positions.push_back(i);
  }
  const int count = static_cast<int>(positions.size());
  if (count == 0) return false;

  // Every result goes to the slot of its predictor and the slots are read in order, so the
  // candidates do not depend on which thread made which. Only this thread asks the cancel object.
  const DLParameters& params = *mParams;
  const DLWorkerPool::Poll poll = [&params] { return IsSearchCancelled(params); };
  std::vector<std::unique_ptr<DLAttributeMeasure>> measures(positions.size());
  const int numOfCases = mCoverage.GetCoveredCases().GetNumOfElements();
  const long long responseCode = mCoverage.GetResponseCode();
  // Made here also when the breakdowns are given: the copies extended from this rule use them.
  if (!mResponders) mResponders = mCoverage.MakeResponders(responseCode);
  bool wholeNumbers = true;
  if (given != nullptr && given->positions == positions && given->numOfCases == numOfCases) {
    // Step 1, made already: copies, since generation may reverse the responses in place.
    for (std::size_t k = 0; k < measures.size(); ++k) {
      if (given->measures[k]) {
        measures[k] = std::make_unique<DLAttributeMeasure>(*given->measures[k]);
      }
    }
    wholeNumbers = given->wholeNumbers;
  } else {
    const DLResponders* responders = mResponders.get();
    // Step 1: the breakdowns, several predictors per pass over the covered cases.
    const int groups = NumOfPasses(count, numOfCases, pool->GetNumThreads());
    const int perPass = (count + groups - 1) / groups;
    std::vector<char> whole(static_cast<std::size_t>(groups), 1);
    const bool measured = pool->Run(
        groups,
        [&](int, int g) {
          const int first = std::min(count, g * perPass);
          const int last = std::min(count, first + perPass);
          std::vector<int> group(positions.begin() + first, positions.begin() + last);
          bool exact = true;
          auto part = mCoverage.GetAttributeMeasures(group, responseCode, responders, &exact);
          whole[static_cast<std::size_t>(g)] = exact ? 1 : 0;
          for (int k = first; k < last; ++k) measures[k] = std::move(part[k - first]);
        },
        poll);
    if (!measured) {
      cancelled = true;
      return false;
    }
    for (char w : whole) wholeNumbers = wholeNumbers && w != 0;
  }
  if (made != nullptr) {
    made->positions = positions;
    made->numOfCases = numOfCases;
    made->wholeNumbers = wholeNumbers;
    made->measures.clear();
    for (const auto& m : measures) {
      made->measures.push_back(m ? std::make_unique<DLAttributeMeasure>(*m) : nullptr);
    }
  }

  // Step 2: the candidates. The segment size requirement comes from the first predictor with a
  // breakdown, so that one is done here first; every thread then works on a copy of the primed
  // generator.
  std::vector<DLSegmentGenerator::Segments> produced(positions.size());
  DLSegmentGenerator generator(*mParams, *mView);
  int next = 0;
  while (next < count && !measures[next]) ++next;
  if (next < count) {
    // Very many categories take a while too: the generator polls inside its loops.
    if (!generator.Generate(positions[next], *measures[next], produced[next])) {
      cancelled = true;
      return false;
    }
    ++next;
  }
  std::vector<DLSegmentGenerator> generators(static_cast<std::size_t>(pool->GetNumThreads()),
                                             generator);
  // Inside a long generation the workers stop with the step; the calling thread (worker 0) may
  // still ask the host itself, and remembers a yes for after the step.
  bool hostCancelled = false;
  for (std::size_t w = 0; w < generators.size(); ++w) {
    if (w == 0) {
      generators[w].SetStopCheck([&params, &hostCancelled, pool] {
        if (pool->IsStopping()) return true;
        hostCancelled = hostCancelled || IsSearchCancelled(params);
        return hostCancelled;
      });
    } else {
      generators[w].SetStopCheck([pool] { return pool->IsStopping(); });
    }
  }
  const int rest = count - next;
  const bool generated = pool->Run(
      rest,
      [&](int worker, int k) {
        const int at = next + k;
        if (measures[at]) generators[worker].Generate(positions[at], *measures[at], produced[at]);
      },
      poll);
  if (!generated || hostCancelled) {
    cancelled = true;
    return false;
  }

  bool any = false;
  for (auto& segments : produced) {
    any = any || !segments.empty();
    for (auto& s : segments) mCandidates.push_back(std::move(s));
  }
  return any;
}

int DLExtendingRule::GetBestCandidate(DLMeasure& m) const {
  if (mCandidates.empty()) {
    m = mCoverage.GetMeasure();
    return -1;
  }
  const bool down = mParams->GetSearchDirection() == DLConst::Down;
  DLMeasure best = mCandidates[0]->GetMeasure();
  if (down) best = DLMeasure(1.0, 1.0);
  int index = 0;
  for (std::size_t i = 0; i < mCandidates.size(); ++i) {
    const DLMeasure& candidate = mCandidates[i]->GetMeasure();
    if (down ? best > candidate : best < candidate) {
      best = candidate;
      index = static_cast<int>(i);
    }
  }
  m = best;
  return index;
}

DLExtendingRule* DLExtendingRule::ExtendWith(int c) {
  if (c < 0 || c >= static_cast<int>(mCandidates.size())) return this;
  std::unique_ptr<DLExtendingRule> copy;
  DLExtendingRule* target = this;
  if (mCandidates.size() > 1) {
    copy = std::make_unique<DLExtendingRule>(*this);
    target = copy.get();
  }
  std::unique_ptr<DLExtendingSegment> segment = std::move(mCandidates[c]);
  mCandidates.erase(mCandidates.begin() + c);
  target->mCoverage.AddRange(segment->GetAttrName(), segment->GetLeft(), segment->GetRight(),
                             /*leftOpen=*/false, /*rightOpen=*/false);
  target->mFixed.push_back(std::move(segment));
  copy.release();
  return target;
}

void DLExtendingRule::FinalizeSegments() {
  for (int i = static_cast<int>(mFixed.size()) - 1; i >= 0; --i) {
    DLExtendingSegment& s = *mFixed[i];
    const IDLAttribute* attribute = mView->GetAttribute(s.GetAttrName());
    if (attribute == nullptr || attribute->GetVar() == nullptr ||
        attribute->GetVar()->GetMeasureLevel() != IDLVar::kContinuous) {
      continue;
    }
    if (s.IsMissing()) {
      s.SetFinalizedMissing();
      continue;
    }
    if (s.IsCoveringAll()) {
      s.SetFinalizedCoveringAll();
      continue;
    }
    // The view's binned attribute owns the variable whose encoder made the bin codes.
    const auto* encoder = dynamic_cast<const DLBinningEncoder*>(attribute->GetVar()->GetEncoder());
    double left = QXMV::Missing();
    double right = QXMV::Missing();
    if (encoder != nullptr) {
      double unused = 0.0;
      encoder->Decode(static_cast<int>(s.GetLeft()), left, unused);
      encoder->Decode(static_cast<int>(s.GetRight()), unused, right);
    }
    bool leftOpen = true;
    const bool rightOpen = right == DBL_MAX;
    if (QXMV::IsMissing(left) && QXMV::IsMissing(right)) leftOpen = false;
    if (!s.SetRange(left, right, leftOpen, rightOpen)) mFixed.erase(mFixed.begin() + i);
  }
}

DLRule* DLExtendingRule::ToRule() const {
  if (mFixed.empty()) return nullptr;
  const bool large = mView->GetDataSet()->IsUsingLargeCategory();
  std::vector<std::unique_ptr<DLSegment>> segments;
  segments.reserve(mFixed.size());
  for (const auto& s : mFixed) {
    auto segment = std::make_unique<DLSegment>(s->GetAttrName(), large);
    segment->SetRange(s->GetLeft(), s->GetRight(), s->IsLeftOpen(), s->IsRightOpen());
    segments.push_back(std::move(segment));
  }
  // The rule takes the segments over; it throws (and deletes them) when one is invalid.
  std::vector<DLSegment*> raw;
  raw.reserve(segments.size());
  for (auto& s : segments) raw.push_back(s.release());
  return new DLRule(mCoverage.GetMeasure(), mCoverage.GetCoveredCases(), raw,
                    mParams->GetSearchDirection());
}

void DLExtendingRule::Display(std::ostream& os) const {
  char label[32];
  os << "\n\t\t"
     << "Candidate:" << std::endl;
  for (std::size_t i = 0; i < mCandidates.size(); ++i) {
    std::snprintf(label, sizeof(label), "\t\t\tSeg%d: ", static_cast<int>(i));
    os << label;
    mCandidates[i]->Display(os);
  }
  os << "\n\t\t"
     << "Fixed:" << std::endl;
  for (std::size_t i = 0; i < mFixed.size(); ++i) {
    std::snprintf(label, sizeof(label), "\t\t\tSeg%d: ", static_cast<int>(i));
    os << label;
    mFixed[i]->Display(os);
  }
}
