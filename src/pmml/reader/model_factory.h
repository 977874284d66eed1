// QXScore::ModelFactory: reads a PMML document into the model object it describes.
#ifndef RULEWEAVE_PMML_READER_MODEL_FACTORY_H_
#define RULEWEAVE_PMML_READER_MODEL_FACTORY_H_

#include <string>

#include "pmml/reader/score_model.h"

namespace QXScore {

class ModelFactory {
 public:
  // Reads `document` (UTF-8 PMML; see ParseXmlSafely for what is refused) and returns a new
  // RuleSetModel owned by the caller, holding every RuleSetModel element of the document in
  // order (none when the document has none). The two further arguments are accepted for the
  // interface's sake and not used. Throws ScorerException when the text is not well-formed
  // within the limits, the root is not PMML, or the PMML is broken where the rule sets need it
  // (a DataField or MiningField without name, a RuleSetModel without RuleSet, a SimpleRule
  // without predicate, an Array whose member count differs from its n, a bad Extension value).
  static ScoreModel* MakeModelFromXML(const std::string& document, const std::string& unused1,
                                      const std::string& unused2);
};

}  // namespace QXScore

#endif  // RULEWEAVE_PMML_READER_MODEL_FACTORY_H_
