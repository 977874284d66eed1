// DLExtendingSegment: candidate and fixed segments of rules under construction.
#include "search/extending_segment.h"

#include <cfloat>
#include <ostream>

#include "ruleweave/data/data_set.h"
#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/foundation/missing_value.h"

DLExtendingSegment::DLExtendingSegment(const DLDataSet* dataSet, const std::string& attrName,
                                       double left, double right, const DLMeasure& measure,
                                       bool leftOpen, bool rightOpen)
    : mDataSet(dataSet),
      mAttrName(attrName),
      mLeft(left),
      mRight(right),
      mMeasure(measure),
      mLeftOpen(leftOpen),
      mRightOpen(rightOpen) {
  if (attrName.empty() || !IsValidRange(left, right, leftOpen, rightOpen)) {
    throw QXDecision::ConstructorException(
        "DLExtendingSegment",
        "attrName is not empty && IsValidRange(left, right, leftOpen, rightOpen)");
  }
}

bool DLExtendingSegment::IsValidRange(double left, double right, bool leftOpen, bool rightOpen) {
  if (left < right) return true;
  return left == right && !leftOpen && !rightOpen;
}

bool DLExtendingSegment::SetRange(double left, double right, bool leftOpen, bool rightOpen) {
  if (!IsValidRange(left, right, leftOpen, rightOpen)) return false;
  mLeft = left;
  mRight = right;
  mLeftOpen = leftOpen;
  mRightOpen = rightOpen;
  return true;
}

bool DLExtendingSegment::IsMissing() const {
  if (mLeft != mRight) return false;
  if (QXMV::IsMissing(mLeft)) return true;
  return mDataSet != nullptr && mLeft == static_cast<double>(mDataSet->GetMissingCategory());
}

void DLExtendingSegment::SetMissing() {
  const double code =
      mDataSet != nullptr ? static_cast<double>(mDataSet->GetMissingCategory()) : QXMV::Missing();
  mLeft = mRight = code;
  mLeftOpen = mRightOpen = false;
}

void DLExtendingSegment::SetFinalizedMissing() {
  mLeft = mRight = QXMV::Missing();
  mLeftOpen = mRightOpen = false;
}

bool DLExtendingSegment::IsCoveringAll() const {
  if (mLeft == -DBL_MAX && mRight == DBL_MAX && mLeftOpen && mRightOpen) return true;
  return mDataSet != nullptr && mLeft <= 0 &&
         mRight >= static_cast<double>(mDataSet->GetMaxCategories());
}

void DLExtendingSegment::SetFinalizedCoveringAll() {
  mLeft = -DBL_MAX;
  mRight = DBL_MAX;
  mLeftOpen = mRightOpen = true;
}

bool DLExtendingSegment::operator==(const DLExtendingSegment& other) const {
  return mAttrName == other.mAttrName && mLeft == other.mLeft && mRight == other.mRight &&
         mLeftOpen == other.mLeftOpen && mRightOpen == other.mRightOpen;
}

void DLExtendingSegment::Display(std::ostream& os) const {
  const std::streamsize precision = os.precision(8);
  os << mAttrName << (mLeftOpen ? " (" : " [") << mLeft << ", " << mRight
     << (mRightOpen ? ") " : "] ");
  os.precision(precision);
  mMeasure.Display(os);
}
