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

#include <ostream>
#include <utility>

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
    : mView(&view), mSeaLevel(params), mSeaLevelValue(0.0) {}

namespace {

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

bool DLSegmentGenerator::IsAboveSeaLevel(const DLExtendingSegment& s) const {
  const DLMeasure& m = s.GetMeasure();
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
std::vector<int> DLSegmentGenerator::FindSeeds() const {
  const DLAttributeMeasure& am = *mSeaLevel.mAttributeMeasure;
  std::vector<int> seeds;
  int k = 0;
  while (k >= 0 && k < mNumCats) {
    const double pk = CategoryProbability(k);
    const int p = am.PrevNonEmpty(k);
    const int q = am.NextNonEmpty(k);
    const bool aboveP = p < 0 || pk > CategoryProbability(p);
    int d = q;  // first non-empty category from q on whose rate differs from k's
    while (d >= 0 && CategoryProbability(d) == pk) d = am.NextNonEmpty(d);
    const bool peak = aboveP && (d < 0 || CategoryProbability(d) < pk);
    if (peak) {
      seeds.push_back(k);
      k = d < 0 ? -1 : am.NextNonEmpty(d);
    } else if (aboveP && q >= 0 && CategoryProbability(q) == pk) {
      k = d;
    } else {
      k = q;
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
  const int p = am.PrevNonEmpty(l);
  const int q = am.NextNonEmpty(r);
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

void DLSegmentGenerator::Generate(int index, DLAttributeMeasure& am, Segments& out) {
  const IDLAttribute* attribute = mView->GetAttribute(index);
  if (attribute == nullptr || attribute->GetVar() == nullptr) return;
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
  if (mNumCats < 1) return;

  const DLDataSet* dataSet = mView->GetDataSet();
  Segments pool;
  auto makeSegment = [&](int k) {
    return std::make_unique<DLExtendingSegment>(dataSet, name, k, k, *am.GetMeasure(k),
                                                /*leftOpen=*/false, /*rightOpen=*/false);
  };
  if (mSeaLevel.mOrdered) {
    for (int k : FindSeeds()) pool.push_back(makeSegment(k));
  } else {
    for (int k = 0; k < mNumCats; ++k) pool.push_back(makeSegment(k));
  }

  double lower = 0.0;
  GetProbabilityBoundaries(am.TotalMeasure(mSeaLevel.mMissingAllowed), mSeaLevel.mConfLevel, lower,
                           mSeaLevelValue);
  const double overall = am.TotalMeasure(false).GetProbability();

  Segments result;
  while (!pool.empty()) {
    std::size_t best = 0;
    for (std::size_t j = 1; j < pool.size(); ++j) {
      if (pool[best]->GetMeasure() < pool[j]->GetMeasure()) best = j;
    }
    DLExtendingSegment& s = *pool[best];
    if (IsAboveSeaLevel(s)) {
      if (mSeaLevel.mOrdered) Grow(s);
      Offer(s, result);
    }
    if (mSeaLevel.mOrdered && s.GetMeasure().GetProbability() > overall) {
      if (!ExtendOneStep(s)) {
        pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(best));
        continue;
      }
      for (std::size_t j = 0; j < pool.size(); ++j) {
        if (j != best && *pool[j] == s) {
          // Of the two equal segments, the one earlier in the pool goes.
          pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(j < best ? j : best));
          break;
        }
      }
    } else {
      pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(best));
    }
  }

  if (mSeaLevel.mMissingAllowed) {
    const double m = static_cast<double>(am.GetMissingCategory());
    DLExtendingSegment missing(dataSet, name, m, m, *am.GetMissingMeasure(),
                               /*leftOpen=*/false, /*rightOpen=*/false);
    if (IsAboveSeaLevel(missing)) result.push_back(std::make_unique<DLExtendingSegment>(missing));
  }

  for (auto& s : result) {
    if (reversed) s->GetMeasure().ReverseResponse();
    out.push_back(std::move(s));
  }
}
