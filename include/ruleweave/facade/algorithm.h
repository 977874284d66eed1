// IDLAlgorithm: the abstract algorithm a host obtains from DLFactory. It runs the decision-list
// search over a loaded data set, writes models as PMML and reads them back.
#ifndef RULEWEAVE_FACADE_ALGORITHM_H_
#define RULEWEAVE_FACADE_ALGORITHM_H_

#include <iosfwd>
#include <string>
#include <vector>

#include "ruleweave/foundation/status.h"

class DLDataQuery;
class DLDataSet;
class DLModel;
class DLParameters;
class DLSettings;
class DLVarList;

namespace QXDecisionXML {
struct PMMLExportOptions;
}

// The search and interchange entry point. Made only by DLFactory::CreateAlgorithm and owned by the
// caller, who deletes it through this interface. The settings given at creation are borrowed and
// must outlive the algorithm. Every operation stores its status; while that status is an error,
// ExportModel and ImportModel refuse to work and return it unchanged. A successful Run clears it.
class IDLAlgorithm {
 public:
  IDLAlgorithm() = default;
  IDLAlgorithm(const IDLAlgorithm&) = default;
  IDLAlgorithm& operator=(const IDLAlgorithm&) = default;
  virtual ~IDLAlgorithm() = default;

  // A banner naming the component, its version and its owner.
  virtual std::string GetVersion() = 0;

  // Searches `data` for the lists `query` asks for and appends one new model per surviving list
  // to `models` (never clears it). With a `previous` model, the query's case space becomes that
  // model's remainder (it keeps it afterwards) and every new model starts with copies of the
  // previous model's lists. Status 1: cancelled; 110018: the search could not be set up;
  // 110040: a continuous predictor could not be binned. On any error `models` is unchanged.
  virtual QXDecision::QXStatus Run(DLParameters const& params, DLDataSet const& data,
                                   DLDataQuery& query, std::vector<DLModel*>& models,
                                   DLModel const* previous) = 0;

  // Writes `model` as a PMML 3.0 RuleSetModel document to `out`; `options` may be null. Status
  // 110011 (no cases) when the model's data set, or a list's, has been destroyed: the remainder
  // rules cannot be measured; nothing is written.
  virtual QXDecision::QXStatus ExportModel(std::ostream& out, DLModel const& model,
                                           DLVarList const& vars,
                                           QXDecisionXML::PMMLExportOptions const* options) = 0;

  // Reads a PMML document (the text itself) into a new model that `*model` receives on success
  // (owned by the caller); category texts are coded through `vars`.
  virtual QXDecision::QXStatus ImportModel(char const* document, DLVarList& vars,
                                           DLModel** model) = 0;

  // The status of the last Run, ExportModel or ImportModel.
  virtual QXDecision::QXStatus GetStatus() = 0;

  // The settings object given at creation (not a copy).
  virtual DLSettings const* GetSettings() = 0;
};

#endif  // RULEWEAVE_FACADE_ALGORITHM_H_
