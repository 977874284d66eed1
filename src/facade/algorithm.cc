// DLAlgorithm: one search run from the host's parameters to its models, and the PMML hand-offs.
#include "facade/algorithm.h"

#include <memory>
#include <string>
#include <utility>

#include "data/data_views.h"
#include "foundation/progress_throttle.h"
#include "foundation/status_codes.h"
#include "pmml/pmml_exporter.h"
#include "pmml/pmml_importer.h"
#include "ruleweave/data/data_query.h"
#include "ruleweave/data/data_set.h"
#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/foundation/parameters.h"
#include "ruleweave/foundation/settings.h"
#include "ruleweave/model/list.h"
#include "ruleweave/model/model.h"
#include "search/list_set.h"

using ruleweave::status::Cancelled;
using ruleweave::status::Error;

DLAlgorithm::DLAlgorithm(const DLSettings& settings) : mStatus(), mSettings(&settings) {}

std::string DLAlgorithm::GetVersion() {
  return "Ruleweave decision-list search, version 1.0. Copyright (c) the Ruleweave authors.";
}

QXDecision::QXStatus DLAlgorithm::Run(DLParameters const& params, DLDataSet const& data,
                                      DLDataQuery& query, std::vector<DLModel*>& models,
                                      DLModel const* previous) {
  QXDecision::QXStatus status;
  mStatus = status;
  if (IsSearchCancelled(params)) {
    mStatus = Cancelled();
    return mStatus;
  }

  // The search sees only the cases the previous model left uncovered.
  if (previous != nullptr) {
    std::unique_ptr<const DLBitSet> remainder(previous->GetRemainder());
    query.SetCaseSpace(remainder.get());
  }

  std::unique_ptr<DLListSet> search;
  // Setting up the view is the one place where a failed precondition becomes a status.
  try {
    search = std::make_unique<DLListSet>(params, data, query);
  } catch (const DLCancelledException&) {
    status = Cancelled();
  } catch (const DLBinningException&) {
    status = Error(ruleweave::status::kBinningFailed);
  } catch (const QXDecision::ConstructorException&) {
    status = Error(ruleweave::status::kSearchSetupFailed);
  }
  if (IsSearchCancelled(params)) status = Cancelled();

  if (status.IsOK()) status = search->Search();
  if (status.IsOK()) {
    std::vector<std::unique_ptr<DLList>> lists = search->TakeLists();
    for (auto& list : lists) {
      std::vector<DLList*> stages;
      if (previous != nullptr) previous->CopyLists(stages);
      stages.push_back(list.release());
      auto model = std::make_unique<DLModel>(data, stages);
      models.push_back(model.get());
      model.release();
    }
  }
  search.reset();
  mStatus = status;
  return mStatus;
}

QXDecision::QXStatus DLAlgorithm::ExportModel(std::ostream& out, DLModel const& model,
                                              DLVarList const& vars,
                                              QXDecisionXML::PMMLExportOptions const* options) {
  if (mStatus.IsError()) return mStatus;
  DLPMMLExporter exporter(&vars, options);
  mStatus = exporter.Export(out, model);
  return mStatus;
}

QXDecision::QXStatus DLAlgorithm::ImportModel(char const* document, DLVarList& vars,
                                              DLModel** model) {
  if (mStatus.IsError()) return mStatus;
  DLPMMLImporter importer(&vars, mSettings->IsUsingLargeCategory());
  mStatus = importer.Import(document, model);
  return mStatus;
}
