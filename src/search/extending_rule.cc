// DLExtendingRule: candidate generation, extension and finishing of rules under construction.
#include "search/extending_rule.h"

#include <cfloat>
#include <cstdio>
#include <ostream>
#include <utility>

#include "foundation/progress_throttle.h"
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

DLExtendingRule::DLExtendingRule(const DLParameters& params, const IDLDataView& view,
                                 const DLBitSet& cases)
    : mParams(&params), mView(&view), mCoverage(view, cases) {}

DLExtendingRule::DLExtendingRule(const DLExtendingRule& other)
    : mParams(other.mParams), mView(other.mView), mCoverage(other.mCoverage) {
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

bool DLExtendingRule::GenerateCandidates(bool& cancelled) {
  cancelled = false;
  bool any = false;
  const bool reusable = mParams->IsAttributeReusable();
  DLSegmentGenerator generator(*mParams, *mView);
  DLSegmentGenerator::Segments produced;
  const int n = mView->GetNumOfAttributes();
  for (int i = 0; i < n; ++i) {
    // Measuring one attribute walks every covered case; a cancel is answered between attributes.
    if (i > 0 && IsSearchCancelled(*mParams)) {
      cancelled = true;
      return false;
    }
    const IDLAttribute* attribute = mView->GetAttribute(i);
    if (attribute == nullptr || attribute->GetVar() == nullptr) continue;
    const std::string name = attribute->GetVar()->GetVarName();
    if (!reusable && UsesAttribute(name)) continue;
    std::unique_ptr<DLAttributeMeasure> am(mCoverage.GetAttributeMeasure(name));
    if (!am) continue;
    produced.clear();
    // Very many categories take a while too: the generator polls inside its loops.
    if (!generator.Generate(i, *am, produced)) {
      cancelled = true;
      return false;
    }
    any = any || !produced.empty();
    for (auto& s : produced) mCandidates.push_back(std::move(s));
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
