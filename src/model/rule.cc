// DLRule: ownership of segments, the segment edits with their refusals, measuring through a rule
// coverage, equality by segment sets and the dump.
#include "ruleweave/model/rule.h"

#include <algorithm>
#include <ostream>
#include <utility>

#include "model/measure_line.h"
#include "model/rule_coverage.h"
#include "ruleweave/foundation/exceptions.h"

DLRule::DLRule() = default;

DLRule::DLRule(DLMeasure measure, const DLBitSet& coverage, const std::vector<DLSegment*>& segments,
               DLConst::SearchDirection direction)
    : mDirection(direction), mMeasure(measure), mCoverage(std::make_unique<DLBitSet>(coverage)) {
  // Take every pointer first, so that a throw below still frees them all.
  mSegments.reserve(segments.size());
  for (DLSegment* s : segments) mSegments.emplace_back(s);
  for (const auto& s : mSegments) {
    if (s == nullptr || !s->IsValid()) {
      throw QXDecision::ConstructorException("DLRule", "each segment is valid");
    }
  }
}

DLRule::DLRule(const DLRule& other)
    : mDisabled(other.mDisabled),
      mDirection(other.mDirection),
      mMeasure(other.mMeasure),
      mCoverage(other.mCoverage ? std::make_unique<DLBitSet>(*other.mCoverage) : nullptr),
      mRefreshed(other.mRefreshed) {
  AddSegments(other.mSegments);
}

DLRule& DLRule::operator=(const DLRule& other) {
  if (this == &other) return *this;
  // Build the copies before giving anything up.
  std::unique_ptr<DLBitSet> coverage =
      other.mCoverage ? std::make_unique<DLBitSet>(*other.mCoverage) : nullptr;
  AddSegments(other.mSegments);
  mCoverage = std::move(coverage);
  mDisabled = other.mDisabled;
  mDirection = other.mDirection;
  mMeasure = other.mMeasure;
  mRefreshed = other.mRefreshed;
  return *this;
}

DLRule::~DLRule() = default;

const DLSegment* DLRule::GetSegment(int i) const {
  if (i < 0 || i >= GetNumOfSegments()) return nullptr;
  return mSegments[static_cast<std::size_t>(i)].get();
}

bool DLRule::HasAttribute(const std::string& name) const {
  return std::any_of(mSegments.begin(), mSegments.end(),
                     [&](const auto& s) { return s->GetAttrName() == name; });
}

bool DLRule::HasSegment(const DLSegment& segment) const {
  return std::any_of(mSegments.begin(), mSegments.end(),
                     [&](const auto& s) { return *s == segment; });
}

void DLRule::AddSegments(const std::vector<std::unique_ptr<DLSegment>>& segments) {
  std::vector<std::unique_ptr<DLSegment>> copies;
  copies.reserve(segments.size());
  for (const auto& s : segments) copies.push_back(std::make_unique<DLSegment>(*s));
  mSegments = std::move(copies);
}

bool DLRule::CanTake(const DLSegment* s) const {
  return s != nullptr && s->IsValid() && !HasAttribute(s->GetAttrName());
}

bool DLRule::AddSegment(DLSegment* s) {
  if (!CanTake(s)) return false;
  mSegments.emplace_back(s);
  mRefreshed = false;
  return true;
}

bool DLRule::InsertSegment(DLSegment* s, int i) {
  if (!CanTake(s)) return false;
  if (i >= GetNumOfSegments()) {
    mSegments.emplace_back(s);
  } else {
    mSegments.emplace(mSegments.begin() + std::max(i, 0), s);
  }
  mRefreshed = false;
  return true;
}

bool DLRule::SetSegment(DLSegment* s, int i) {
  if (s == nullptr || !s->IsValid() || i < 0 || i >= GetNumOfSegments()) return false;
  DLSegment& target = *mSegments[static_cast<std::size_t>(i)];
  if (*s == target) return false;
  if (s->GetAttrName() != target.GetAttrName() && HasAttribute(s->GetAttrName())) return false;
  target = *s;
  mRefreshed = false;
  return true;
}

bool DLRule::RemoveSegment(int i) {
  if (i < 0 || i >= GetNumOfSegments()) return false;
  mSegments.erase(mSegments.begin() + i);
  mRefreshed = false;
  return true;
}

void DLRule::RemoveRedundantSegments() {
  int i = 0;
  while (i < GetNumOfSegments() - 1) {
    const std::string& name = mSegments[static_cast<std::size_t>(i)]->GetAttrName();
    const bool later = std::any_of(mSegments.begin() + i + 1, mSegments.end(),
                                   [&](const auto& s) { return s->GetAttrName() == name; });
    if (later) {
      RemoveSegment(i);  // position i now holds the next segment: look at it again
    } else {
      ++i;
    }
  }
}

void DLRule::ClearMeasure() {
  mMeasure.Clear();
  mRefreshed = false;
}

void DLRule::RefreshMeasure(const IDLDataView& view, const DLBitSet& caseSpace) {
  if (mRefreshed) return;
  // The segments narrow the set one after the other; only the final set is measured, which is
  // what measuring after every segment would end with.
  DLRuleCoverage coverage(view, caseSpace, DLRuleCoverage::Deferred());
  for (const auto& s : mSegments) {
    if (coverage.GetCoveredCases().IsEmpty()) break;  // nothing left to narrow
    coverage.Restrict(*s);
  }
  coverage.Remeasure();
  auto covered = std::make_unique<DLBitSet>(coverage.GetCoveredCases());
  mMeasure = coverage.GetMeasure();
  mCoverage = std::move(covered);
  mRefreshed = true;
}

bool DLRule::operator==(const DLRule& other) const {
  if (this == &other) return true;
  if (GetNumOfSegments() != other.GetNumOfSegments()) return false;
  return std::all_of(mSegments.begin(), mSegments.end(),
                     [&](const auto& s) { return other.HasSegment(*s); });
}

void DLRule::Display(std::ostream& os) const {
  DisplayMeasureLine(os, mMeasure);
  for (std::size_t i = 0; i < mSegments.size(); ++i) {
    os << "\n\t\t\tSeg: " << i << ' ';
    mSegments[i]->Display(os);
  }
}
