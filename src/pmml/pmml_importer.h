// DLPMMLImporter: reads a PMML 3.0 rule-set document (as the exporter writes it) back into a
// DLModel, re-encoding every category through the host's variable list. Internal class; hosts
// reach it through IDLAlgorithm::ImportModel.
#ifndef RULEWEAVE_PMML_PMML_IMPORTER_H_
#define RULEWEAVE_PMML_PMML_IMPORTER_H_

#include <iosfwd>
#include <string>
#include <vector>

#include "ruleweave/foundation/status.h"

class DLVarList;
class DLModel;
class DLList;
class DLRule;
class DLDataQuery;

namespace QXScore {
class RuleSetModel;
class SimpleRule;
class ScoreSplitVar;
}  // namespace QXScore

// One importer serves one import (the algorithm builds one per call). It borrows the variable
// list, which must be the list the model will be used with: category texts of the document are
// turned into that list's codes with EncodeConst, so an unknown category fails the import
// instead of growing the host's dictionaries. Once an import failed, the importer refuses
// further imports and returns the stored status.
class DLPMMLImporter {
 public:
  // `vars` is borrowed and must outlive the importer; `largeCategory` chooses the missing code
  // of the segments made (2147483647 when true, else 255).
  DLPMMLImporter(DLVarList* vars, bool largeCategory);

  // Reads `document` (null counts as unreadable) and sets `*model` to a new model owned by the
  // caller, or to null on failure (110030 to 110039). Stores and returns the status.
  QXDecision::QXStatus Import(const char* document, DLModel** model);
  QXDecision::QXStatus Import(const std::string& document, DLModel** model);

  QXDecision::QXStatus GetStatus() const { return mStatus; }
  // Why the document could not be read (file position included), empty unless the last import
  // ended in 110030.
  const std::string& GetErrorMessage() const { return mErrorMessage; }

  void Display(std::ostream& os) const;

 private:
  QXDecision::QXStatus ConvertModel(const QXScore::RuleSetModel& source, DLModel& target);
  QXDecision::QXStatus ConvertRuleSet(const std::vector<QXScore::SimpleRule*>& rules,
                                      DLDataQuery& query, DLList& list);
  QXDecision::QXStatus ConvertPredicates(const QXScore::SimpleRule& source, DLRule& rule);
  QXDecision::QXStatus ConvertPredicate(const QXScore::ScoreSplitVar* split, int position,
                                        DLRule& rule);
  // The code of category text `text` of field `field` in the host's list, or -1.
  double EncodeCategory(const std::string& field, const std::string& text, bool& ok) const;

  DLVarList* mVars;
  bool mLargeCategory;
  QXDecision::QXStatus mStatus;
  std::string mErrorMessage;
};

#endif  // RULEWEAVE_PMML_PMML_IMPORTER_H_
