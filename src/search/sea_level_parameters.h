// DLSeaLevelParameters and DLSegmentGenerator: the sea-level search that proposes, for one
// attribute, the category ranges whose response rate rises significantly above the attribute's
// overall rate.
//
// Words used here:
//   sea level         the upper confidence bound of the attribute's overall response rate (its
//                     total measure, the missing category included when missing is allowed);
//   above sea level   coverage greater than the segment size requirement and a lower confidence
//                     bound greater than the sea level;
//   seed              a single-category segment where the pool search starts: every category of
//                     a nominal attribute, the local peaks of an ordered one;
//   growth factor g   a wider candidate is kept next to a narrower one inside it only when it
//                     covers more than g times the narrower one's cases.
#ifndef RULEWEAVE_SEARCH_SEA_LEVEL_PARAMETERS_H_
#define RULEWEAVE_SEARCH_SEA_LEVEL_PARAMETERS_H_

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "search/extending_segment.h"

class DLAttributeMeasure;
class DLParameters;
class IDLDataView;

// The knobs of the sea-level search and the attribute it currently works on. The attribute
// measure is borrowed.
class DLSeaLevelParameters {
 public:
  DLSeaLevelParameters();
  explicit DLSeaLevelParameters(const DLParameters& params);

  void Display(std::ostream& os) const;

  double mSegmentGrowthFactor;
  double mConfLevel;
  int mMinGroupSize;
  bool mRequirementComputed;
  int mAttributeIndex;
  bool mOrdered;
  DLAttributeMeasure* mAttributeMeasure;
  double mGroupDecay;
  int mSegmentSizeRequirement;
  bool mMissingAllowed;
  int mMissingCategory;
  int mSearchDirection;
};

// Generates the candidate segments of one attribute after another for one GenerateCandidates
// call; the segment size requirement is computed from the first attribute it sees and reused.
//
// Cost: a nominal attribute of k categories takes O(k + m log m) for m categories above the sea
// level; an ordered one O(k + s log s) for s widening steps of the pool, plus the growth-factor
// checks against the candidates kept so far. The parameters' cancel object is polled every few
// thousand categories or steps.
class DLSegmentGenerator {
 public:
  using Segments = std::vector<std::unique_ptr<DLExtendingSegment>>;

  // Reads its knobs from the parameters once; borrows the parameters (for the cancel object) and
  // the view for its lifetime.
  DLSegmentGenerator(const DLParameters& params, const IDLDataView& view);

  // Appends to `out` the candidates of predictor `index` (position in the view's variable list)
  // whose per-category measures are `am`. With the Down direction the responses of `am` are
  // reversed in place (the caller releases it afterwards); candidates carry true counts. False
  // when the cancel object asked to stop: then nothing is appended.
  bool Generate(int index, DLAttributeMeasure& am, Segments& out);

  // Replaces the poll of the parameters' cancel object inside Generate by `stop` (a generator on a
  // worker thread must not call the host's object). Empty: the cancel object again.
  void SetStopCheck(std::function<bool()> stop) { mStopCheck = std::move(stop); }

  const DLSeaLevelParameters& GetSeaLevelParameters() const { return mSeaLevel; }
  double GetSeaLevel() const { return mSeaLevelValue; }

 private:
  bool IsAboveSeaLevel(const DLMeasure& m) const;
  std::vector<int> FindSeeds() const;
  bool ExtendOneStep(DLExtendingSegment& s) const;
  void Grow(DLExtendingSegment& s) const;
  void Offer(const DLExtendingSegment& s, Segments& result) const;
  double CategoryProbability(int k) const;
  // The candidates of a nominal attribute, or of an ordered one, in offering order; false when
  // cancelled.
  bool GenerateNominal(const std::string& name, Segments& result);
  bool GenerateOrdered(const std::string& name, double overall, Segments& result);
  // Counts one unit of work and polls the cancel object every few thousand units.
  bool PollCancelled();

  const DLParameters* mParams;
  const IDLDataView* mView;
  DLSeaLevelParameters mSeaLevel;
  double mSeaLevelValue;
  int mNumCats = 0;  // categories of the attribute being searched
  int mUnitsSincePoll = 0;
  std::function<bool()> mStopCheck;  // empty: the parameters' cancel object
  // The nearest non-empty category below and above each category (-1: none), for the widening
  // steps of an ordered attribute.
  std::vector<int> mPrevNonEmpty;
  std::vector<int> mNextNonEmpty;
};

#endif  // RULEWEAVE_SEARCH_SEA_LEVEL_PARAMETERS_H_
