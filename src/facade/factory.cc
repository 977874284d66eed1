// DLFactory: data sets loaded from host records, and algorithms.
#include "ruleweave/facade/factory.h"

#include <memory>

#include "facade/algorithm.h"
#include "foundation/progress_throttle.h"
#include "foundation/status_codes.h"
#include "ruleweave/data/data_set.h"
#include "ruleweave/foundation/progress.h"
#include "ruleweave/foundation/settings.h"

DLFactory::DLFactory() : mStatus() {}

IDLAlgorithm* DLFactory::CreateAlgorithm(DLSettings const& settings) {
  return new DLAlgorithm(settings);
}

DLDataSet* DLFactory::CreateDataSet(DLSettings const& settings, DLVarList& vars,
                                    QXCommon::RecordIterator& records) {
  if (IsCancelRequested(settings.GetCancelPointer())) {
    mStatus = ruleweave::status::Cancelled();
    return nullptr;
  }
  auto dataSet = std::make_unique<DLDataSet>(vars, settings.IsUsingLargeCategory());
  mStatus = dataSet->InputData(records, settings);
  if (!mStatus.IsOK()) return nullptr;
  return dataSet.release();
}

QXDecision::QXStatus DLFactory::GetStatus() { return mStatus; }
