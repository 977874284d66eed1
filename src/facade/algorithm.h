// DLAlgorithm: the only implementation of IDLAlgorithm. Run drives the list-set search and turns
// its surviving lists into models; export and import hand the work to the PMML exporter and
// importer.
#ifndef RULEWEAVE_FACADE_ALGORITHM_IMPL_H_
#define RULEWEAVE_FACADE_ALGORITHM_IMPL_H_

#include <string>
#include <vector>

#include "ruleweave/facade/algorithm.h"
#include "ruleweave/foundation/status.h"

// Made by DLFactory::CreateAlgorithm. Borrows the settings (the host keeps them alive and later
// changes are seen); the parameters, data set and query of a Run are borrowed only for that call.
class DLAlgorithm : public IDLAlgorithm {
 public:
  explicit DLAlgorithm(const DLSettings& settings);

  std::string GetVersion() override;
  QXDecision::QXStatus Run(DLParameters const& params, DLDataSet const& data, DLDataQuery& query,
                           std::vector<DLModel*>& models, DLModel const* previous) override;
  QXDecision::QXStatus ExportModel(std::ostream& out, DLModel const& model, DLVarList const& vars,
                                   QXDecisionXML::PMMLExportOptions const* options) override;
  QXDecision::QXStatus ImportModel(char const* document, DLVarList& vars, DLModel** model) override;
  QXDecision::QXStatus GetStatus() override { return mStatus; }
  DLSettings const* GetSettings() override { return mSettings; }

 private:
  QXDecision::QXStatus mStatus;
  const DLSettings* mSettings;
};

#endif  // RULEWEAVE_FACADE_ALGORITHM_IMPL_H_
