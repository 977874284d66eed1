// DLRule: one rule of a decision list, a conjunction of segments with the measure and the set of
// the cases it covered when last measured.
//
// Words used here:
//   covers     a case is covered when every segment of the rule holds for it;
//   case space the cases a rule is measured on (the list hands each rule the cases that no earlier
//              rule took);
//   refreshed  measure and coverage set are up to date with the segments; RefreshMeasure
//              recomputes only a rule that is not refreshed.
#ifndef RULEWEAVE_MODEL_RULE_H_
#define RULEWEAVE_MODEL_RULE_H_

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "ruleweave/foundation/bit_set.h"
#include "ruleweave/foundation/constants.h"
#include "ruleweave/foundation/measure.h"
#include "ruleweave/model/segment.h"

class IDLDataView;

// A rule owns its segments and its coverage set. At most one segment per attribute (a rule made by
// the full constructor may transiently hold more, see RemoveRedundantSegments); every segment is
// valid. Label, disable flag and search direction are carried for the host and for export; they
// play no part in measuring or comparing.
//
// Ownership of segments handed in: the full constructor takes every pointer; AddSegment and
// InsertSegment take the pointer only when they return true (on false the caller keeps it);
// SetSegment copies the contents and the caller keeps its object.
class DLRule {
 public:
  // Empty label, not disabled, direction DLConst::Up, measure (0, 0), no coverage set, no
  // segments, refreshed.
  DLRule();
  // Takes over `segments` in order and copies `coverage`; refreshed. Throws
  // QXDecision::ConstructorException("DLRule", "each segment is valid") when a pointer is null or
  // a segment is not valid; the rule then deletes every segment it was given.
  DLRule(DLMeasure measure, const DLBitSet& coverage, const std::vector<DLSegment*>& segments,
         DLConst::SearchDirection direction);
  // Deep copy of everything but the label: the copy's label is empty.
  DLRule(const DLRule& other);
  // Deep copy of everything but the label: the target keeps its own label.
  DLRule& operator=(const DLRule& other);
  ~DLRule();

  void SetLabel(const std::string& label) { mLabel = label; }
  const std::string& GetLabel() const { return mLabel; }
  void SetDisableFlag(bool disabled) { mDisabled = disabled; }
  bool GetDisableFlag() const { return mDisabled; }
  // Declared const by the interface hosts use; the direction is mutable.
  void SetSearchDirection(DLConst::SearchDirection direction) const { mDirection = direction; }
  DLConst::SearchDirection GetSearchDirection() const { return mDirection; }

  DLMeasure GetMeasure() const { return mMeasure; }
  // The cases covered at the last measuring; null for a rule never measured.
  const DLBitSet* GetCoverage() const { return mCoverage.get(); }
  bool IsRefreshed() const { return mRefreshed; }
  int GetNumOfSegments() const { return static_cast<int>(mSegments.size()); }
  // Null when i is out of range.
  const DLSegment* GetSegment(int i) const;
  bool IsEmpty() const { return mSegments.empty(); }

  // Segment edits: each successful one clears the refreshed flag; a refused one changes nothing.
  // Refused: a null or invalid segment, or one on an attribute the rule already tests.
  bool AddSegment(DLSegment* s);
  // Same refusals as AddSegment. i >= GetNumOfSegments() appends; a negative i inserts in front.
  bool InsertSegment(DLSegment* s, int i);
  // Copies *s into segment i. Refused: null or invalid s, i out of range, *s equal to segment i,
  // or s on another attribute that the rule already tests.
  bool SetSegment(DLSegment* s, int i);
  bool RemoveSegment(int i);
  // Of two segments on one attribute the earlier is dropped and the later kept.
  void RemoveRedundantSegments();

  // Measure (0, 0) and not refreshed; the coverage set stays.
  void ClearMeasure();
  // When not refreshed: measures the cases of `caseSpace` that every segment admits (a segment on
  // an attribute `view` lacks admits everything), stores measure and coverage set and becomes
  // refreshed. A refreshed rule is left alone whatever `caseSpace` is. Throws
  // QXDecision::ConstructorException("DLRuleCoverage", ...) when the view has no cases or the
  // capacity of `caseSpace` differs from its number of cases; the rule then stays as it was.
  void RefreshMeasure(const IDLDataView& view, const DLBitSet& caseSpace);

  // Same number of segments and each segment of this rule equals some segment of `other`; order,
  // label, flags, direction and measures do not take part.
  bool operator==(const DLRule& other) const;
  bool operator!=(const DLRule& other) const { return !(*this == other); }

  // "Prob: p\tCover: c\tFreq: r" and a line end at precision 16, then per segment i
  // "\n\t\t\tSeg: i " and the segment's Display. No line end after the last segment.
  void Display(std::ostream& os) const;

 private:
  bool HasAttribute(const std::string& name) const;
  bool HasSegment(const DLSegment& segment) const;
  // Replaces the segments by deep copies of `segments`.
  void AddSegments(const std::vector<std::unique_ptr<DLSegment>>& segments);
  // The common refusals of AddSegment and InsertSegment.
  bool CanTake(const DLSegment* s) const;

  std::string mLabel;
  bool mDisabled = false;
  mutable DLConst::SearchDirection mDirection = DLConst::Up;
  DLMeasure mMeasure;
  std::unique_ptr<DLBitSet> mCoverage;
  std::vector<std::unique_ptr<DLSegment>> mSegments;
  bool mRefreshed = true;
};

#endif  // RULEWEAVE_MODEL_RULE_H_
