// The sea-level segment search: candidate segments of one attribute from its per-category
// measures.
//
// Worked example (ordered attribute, Up, confidence 0.95, group size requirement 1). Categories
// 0..3 with (coverage, response) (10, 1), (10, 5), (10, 6), (10, 2): the total is (40, 14), rate
// 0.35, and the sea level is its upper bound, about 0.52. The only local peak is category 2 (rate
// 0.6 above both neighbours), so the pool starts as {[2, 2]}. [2, 2] has lower bound 0.26, below
// the sea level: not offered. Its rate 0.6 is above the overall 0.35, so it widens one step, to
// the better neighbour: [1, 2] = (20, 11), lower bound 0.32, still not offered; then [1, 3] =
// (30, 13), rate 0.43; then [0, 3] = (40, 14), rate 0.35, which is not above the overall rate,
// so the pool empties with no candidate. With ten times the cases every bound tightens: [2, 2] =
// (100, 60) has lower bound 0.50 above the sea level 0.38 and is offered, and [1, 2] = (200, 110)
// (lower bound 0.48) is then rejected by the growth factor 2 because it holds [2, 2] and covers
// only twice its cases.
#include "search/sea_level_parameters.h"

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <unordered_map>
#include <utility>

#include "foundation/progress_throttle.h"
#include "foundation/statistics.h"
#include "model/attribute_measure.h"
#include "ruleweave/data/attribute.h"
#include "ruleweave/data/data_view.h"
#include "ruleweave/foundation/missing_value.h"
#include "ruleweave/foundation/parameters.h"
#include "ruleweave/variables/var.h"

DLSeaLevelParameters::DLSeaLevelParameters()
    : mSegmentGrowthFactor(2.0),
      mConfLevel(0.95),
      mMinGroupSize(1),
      mRequirementComputed(false),
      mAttributeIndex(-1),
      mOrdered(false),
      mAttributeMeasure(nullptr),
      mGroupDecay(0.0),
      mSegmentSizeRequirement(0),
      mMissingAllowed(false),
      mMissingCategory(0),
      mSearchDirection(0) {}

DLSeaLevelParameters::DLSeaLevelParameters(const DLParameters& params) : DLSeaLevelParameters() {
  mSegmentGrowthFactor = params.GetSegmentGrowthFactor();
  mConfLevel = params.GetConfLevel();
  mMinGroupSize = params.GetMinGroupSize();
  mGroupDecay = static_cast<double>(params.GetGroupDecay());
  mMissingAllowed = params.IsMissingAllowed();
  mSearchDirection = static_cast<int>(params.GetSearchDirection());
}

void DLSeaLevelParameters::Display(std::ostream& os) const {
  os << "DLSeaLevelParameters: " << std::endl;
  os << "MinGroupSize:\t" << mMinGroupSize << std::endl;
  os << "GroupDecay:\t" << mGroupDecay << std::endl;
  os << "SegmentSizeRequirement\t" << mSegmentSizeRequirement << std::endl;
}

DLSegmentGenerator::DLSegmentGenerator(const DLParameters& params, const IDLDataView& view)
    : mParams(&params), mView(&view), mSeaLevel(params), mSeaLevelValue(0.0) {}

namespace {

// Units of work (categories or pool steps, each well under a microsecond) between two polls of
// the cancel object: a poll may cost a host call, and a cancel is still answered within
// milliseconds.
constexpr int kUnitsPerPoll = 4096;

// A pool segment's range as one hash key; category codes are never negative.
std::uint64_t RangeKey(const DLExtendingSegment& s) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(s.GetLeft())) << 32) |
         static_cast<std::uint32_t>(s.GetRight());
}

bool IsOrderedLevel(int level) {
  return level == IDLVar::kContinuous || level == IDLVar::kOrdinalNumeric ||
         level == IDLVar::kOrdinalString;
}

}  // namespace

double DLSegmentGenerator::CategoryProbability(int k) const {
  const DLMeasure* m = mSeaLevel.mAttributeMeasure->GetMeasure(k);
  if (m == nullptr) return -1.0;
  return m->GetProbability();  // system-missing for an empty category
}

bool DLSegmentGenerator::PollCancelled() {
  if (++mUnitsSincePoll < kUnitsPerPoll) return false;
  mUnitsSincePoll = 0;
  return mStopCheck ? mStopCheck() : IsSearchCancelled(*mParams);
}

bool DLSegmentGenerator::IsAboveSeaLevel(const DLMeasure& m) const {
  if (!(m.GetCoverage() > mSeaLevel.mSegmentSizeRequirement)) return false;
  // The lower bound never exceeds the rate itself, so a rate at or below the sea level cannot
  // pass; this spares the quantile computation for most pool segments.
  if (m.GetProbability() <= mSeaLevelValue) return false;
  // Only whether the lower bound lies above is asked: mostly one incomplete-beta value instead
  // of solving for the interval's two ends.
  return ruleweave::statistics::ClopperPearsonLowerExceeds(
      m.GetCoverage(), m.GetResponse(), (1.0 - mSeaLevel.mConfLevel) / 2.0, mSeaLevelValue);
}

// Local peaks of the category rates, scanning left to right. Empty categories are skipped as
// neighbours; a plateau of equal rates counts once, at its left end, when the rate falls after it.
// After a category that is not a peak the scan goes on at the first category whose rate differs
// from it: no category of a plateau in between can be a peak (its left neighbour has the same
// rate), so each category is looked at a bounded number of times.
std::vector<int> DLSegmentGenerator::FindSeeds() const {
  std::vector<int> seeds;
  int k = 0;
  while (k >= 0 && k < mNumCats) {
    const double pk = CategoryProbability(k);
    const int p = mPrevNonEmpty[static_cast<std::size_t>(k)];
    const bool aboveP = p < 0 || pk > CategoryProbability(p);
    int d = mNextNonEmpty[static_cast<std::size_t>(k)];  // first non-empty with another rate
    while (d >= 0 && CategoryProbability(d) == pk) d = mNextNonEmpty[static_cast<std::size_t>(d)];
    const bool peak = aboveP && (d < 0 || CategoryProbability(d) < pk);
    if (peak) {
      seeds.push_back(k);
      k = d < 0 ? -1 : mNextNonEmpty[static_cast<std::size_t>(d)];
    } else {
      k = d;
    }
  }
  return seeds;
}

// Widens s by the nearest non-empty category on the better side (right on a tie); false when
// there is none on either side.
bool DLSegmentGenerator::ExtendOneStep(DLExtendingSegment& s) const {
  const DLAttributeMeasure& am = *mSeaLevel.mAttributeMeasure;
  const int l = static_cast<int>(s.GetLeft());
  const int r = static_cast<int>(s.GetRight());
  const int p = mPrevNonEmpty[static_cast<std::size_t>(l)];
  const int q = mNextNonEmpty[static_cast<std::size_t>(r)];
  if (p < 0 && q < 0) return false;
  bool takeLeft = q < 0;
  if (p >= 0 && q >= 0) takeLeft = *am.GetMeasure(q) < *am.GetMeasure(p);
  if (takeLeft) {
    s.SetRange(p, r, /*leftOpen=*/false, /*rightOpen=*/false);
    s.GetMeasure() += *am.GetMeasure(p);
  } else {
    s.SetRange(l, q, /*leftOpen=*/false, /*rightOpen=*/false);
    s.GetMeasure() += *am.GetMeasure(q);
  }
  return true;
}

// Widens s while an immediate neighbour has a rate at least as high as the segment's.
void DLSegmentGenerator::Grow(DLExtendingSegment& s) const {
  while (true) {
    const int l = static_cast<int>(s.GetLeft());
    const int r = static_cast<int>(s.GetRight());
    if (r - l + 1 >= mNumCats) return;
    const double pl = CategoryProbability(l - 1);
    const double pr = CategoryProbability(r + 1);
    const double ps = s.GetMeasure().GetProbability();
    if (!(ps <= pl || ps <= pr)) return;
    if (!ExtendOneStep(s)) return;
  }
}

// Nested candidates survive together only when the wider one covers more than g times the cases
// of the narrower one; otherwise the narrower one stays.
void DLSegmentGenerator::Offer(const DLExtendingSegment& s, Segments& result) const {
  const double g = mSeaLevel.mSegmentGrowthFactor;
  const double cs = s.GetMeasure().GetCoverage();
  for (const auto& t : result) {
    if (s.GetLeft() <= t->GetLeft() && t->GetRight() <= s.GetRight() &&
        cs / t->GetMeasure().GetCoverage() <= g) {
      return;
    }
  }
  for (auto it = result.begin(); it != result.end();) {
    const DLExtendingSegment& t = **it;
    if (t.GetLeft() <= s.GetLeft() && s.GetRight() <= t.GetRight() &&
        t.GetMeasure().GetCoverage() / cs <= g) {
      it = result.erase(it);
    } else {
      ++it;
    }
  }
  result.push_back(std::make_unique<DLExtendingSegment>(s));
}

bool DLSegmentGenerator::Generate(int index, DLAttributeMeasure& am, Segments& out) {
  const IDLAttribute* attribute = mView->GetAttribute(index);
  if (attribute == nullptr || attribute->GetVar() == nullptr) return true;
  const std::string name = attribute->GetVar()->GetVarName();

  mSeaLevel.mAttributeIndex = index;
  mSeaLevel.mOrdered = IsOrderedLevel(attribute->GetVar()->GetMeasureLevel());
  mSeaLevel.mAttributeMeasure = &am;
  const bool reversed = mSeaLevel.mSearchDirection != 0;
  if (reversed) am.ReverseResponses();
  if (!mSeaLevel.mRequirementComputed) {
    const double n = am.TotalMeasure(false).GetCoverage();
    int requirement = static_cast<int>(mSeaLevel.mGroupDecay * n / 100.0);
    if (requirement < mSeaLevel.mMinGroupSize) requirement = mSeaLevel.mMinGroupSize;
    mSeaLevel.mSegmentSizeRequirement = requirement;
    mSeaLevel.mRequirementComputed = true;
  }
  mSeaLevel.mMissingCategory = am.GetMissingCategory();
  mNumCats = am.GetNumOfCategories();
  if (mNumCats < 1) return true;

  double lower = 0.0;
  GetProbabilityBoundaries(am.TotalMeasure(mSeaLevel.mMissingAllowed), mSeaLevel.mConfLevel, lower,
                           mSeaLevelValue);
  const double overall = am.TotalMeasure(false).GetProbability();

  Segments result;
  const bool finished =
      mSeaLevel.mOrdered ? GenerateOrdered(name, overall, result) : GenerateNominal(name, result);
  if (!finished) return false;

  if (mSeaLevel.mMissingAllowed) {
    const double m = static_cast<double>(am.GetMissingCategory());
    if (IsAboveSeaLevel(*am.GetMissingMeasure())) {
      result.push_back(std::make_unique<DLExtendingSegment>(mView->GetDataSet(), name, m, m,
                                                            *am.GetMissingMeasure(),
                                                            /*leftOpen=*/false,
                                                            /*rightOpen=*/false));
    }
  }

  for (auto& s : result) {
    if (reversed) s->GetMeasure().ReverseResponse();
    out.push_back(std::move(s));
  }
  return true;
}

// The pool search takes the best segment (highest rate, then largest coverage, then earliest in
// the pool) again and again. A nominal attribute's pool holds one segment per category and
// nothing widens, so each category is taken once, in that order; single categories never nest,
// so the growth factor never rejects one. The candidates are thus the categories above the sea
// level, best first, ties in category order.
bool DLSegmentGenerator::GenerateNominal(const std::string& name, Segments& result) {
  const DLAttributeMeasure& am = *mSeaLevel.mAttributeMeasure;
  std::vector<int> above;
  for (int k = 0; k < mNumCats; ++k) {
    if (PollCancelled()) return false;
    if (IsAboveSeaLevel(*am.GetMeasure(k))) above.push_back(k);
  }
  std::stable_sort(above.begin(), above.end(),
                   [&am](int a, int b) { return *am.GetMeasure(b) < *am.GetMeasure(a); });
  const DLDataSet* dataSet = mView->GetDataSet();
  for (int k : above) {
    result.push_back(std::make_unique<DLExtendingSegment>(dataSet, name, k, k, *am.GetMeasure(k),
                                                          /*leftOpen=*/false,
                                                          /*rightOpen=*/false));
  }
  return true;
}

// The pool of an ordered attribute starts with its seeds. The best segment is offered when it is
// above the sea level (grown first), then widened by one step while its rate is above the overall
// rate, and dropped otherwise. When a step makes it equal to another pool segment, the one earlier
// in the pool goes. The pool is a heap of (measure, pool position) entries; an entry whose segment
// has changed or gone since it was pushed is skipped when it comes up. A hash of the ranges finds
// an equal segment; no two pool segments are ever equal after a step, so a range names at most
// one segment.
bool DLSegmentGenerator::GenerateOrdered(const std::string& name, double overall,
                                         Segments& result) {
  const DLAttributeMeasure& am = *mSeaLevel.mAttributeMeasure;
  const auto n = static_cast<std::size_t>(mNumCats);
  mPrevNonEmpty.assign(n, -1);
  mNextNonEmpty.assign(n, -1);
  for (int k = 1, last = -1; k < mNumCats; ++k) {
    if (am.GetMeasure(k - 1)->GetCoverage() != 0.0) last = k - 1;
    mPrevNonEmpty[static_cast<std::size_t>(k)] = last;
  }
  for (int k = mNumCats - 2, last = -1; k >= 0; --k) {
    if (am.GetMeasure(k + 1)->GetCoverage() != 0.0) last = k + 1;
    mNextNonEmpty[static_cast<std::size_t>(k)] = last;
  }

  const DLDataSet* dataSet = mView->GetDataSet();
  std::vector<DLExtendingSegment> pool;
  for (int k : FindSeeds()) {
    pool.emplace_back(dataSet, name, k, k, *am.GetMeasure(k), /*leftOpen=*/false,
                      /*rightOpen=*/false);
  }
  // An entry holds its measure's rate and coverage, so that the heap compares numbers instead of
  // dividing for every comparison; the order is DLMeasure's operator<.
  struct Entry {
    double probability;
    double coverage;
    int position;
    unsigned version;
  };
  auto entry = [](const DLMeasure& m, int position, unsigned version) {
    return Entry{m.GetProbability(), m.GetCoverage(), position, version};
  };
  auto less = [](const Entry& a, const Entry& b) {
    return a.probability < b.probability ||
           (a.probability == b.probability && a.coverage < b.coverage);
  };
  // Heap order: the top has the greatest measure, ties going to the earlier position.
  auto lower = [&less](const Entry& a, const Entry& b) {
    if (less(a, b)) return true;
    return !less(b, a) && a.position > b.position;
  };
  std::vector<Entry> heap;
  heap.reserve(pool.size());
  std::vector<unsigned> version(pool.size(), 0);
  std::vector<char> alive(pool.size(), 1);
  std::unordered_map<std::uint64_t, int> ranges;
  ranges.reserve(pool.size());
  for (std::size_t i = 0; i < pool.size(); ++i) {
    heap.push_back(entry(pool[i].GetMeasure(), static_cast<int>(i), 0));
    ranges.emplace(RangeKey(pool[i]), static_cast<int>(i));
  }
  std::make_heap(heap.begin(), heap.end(), lower);

  while (!heap.empty()) {
    if (PollCancelled()) return false;
    std::pop_heap(heap.begin(), heap.end(), lower);
    const Entry top = heap.back();
    heap.pop_back();
    const auto i = static_cast<std::size_t>(top.position);
    if (!alive[i] || version[i] != top.version) continue;
    DLExtendingSegment& s = pool[i];
    // The segment's hash node moves to its new range, so a step allocates nothing.
    auto node = ranges.extract(RangeKey(s));
    if (IsAboveSeaLevel(s.GetMeasure())) {
      Grow(s);
      Offer(s, result);
    }
    bool keep = s.GetMeasure().GetProbability() > overall && ExtendOneStep(s);
    if (keep && node) {
      node.key() = RangeKey(s);
      const auto placed = ranges.insert(std::move(node));
      // Of two equal segments, the one earlier in the pool goes.
      if (!placed.inserted) {
        if (placed.position->second < top.position) {
          alive[static_cast<std::size_t>(placed.position->second)] = 0;
          placed.position->second = top.position;
        } else {
          keep = false;
        }
      }
    }
    if (keep) {
      heap.push_back(entry(s.GetMeasure(), top.position, ++version[i]));
      std::push_heap(heap.begin(), heap.end(), lower);
    } else {
      alive[i] = 0;
    }
  }
  return true;
}
