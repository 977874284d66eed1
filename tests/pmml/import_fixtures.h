// Shared pieces of the PMML import tests: the variable list the hand-written documents refer
// to, and builders for those documents in the exporter's format.
#ifndef RULEWEAVE_TESTS_PMML_IMPORT_FIXTURES_H_
#define RULEWEAVE_TESTS_PMML_IMPORT_FIXTURES_H_

#include <memory>
#include <string>
#include <vector>

#include "ruleweave/variables/var.h"
#include "ruleweave/variables/var_list.h"

namespace import_fixtures {

// resp (target: no, yes), color (nominal string: red, green, blue), size (ordinal string:
// S, M, L, XL), count (nominal integer: 1, 2, 3), age (continuous 0..100).
inline std::unique_ptr<DLVarList> MakeVarList() {
  auto vars = std::make_unique<DLVarList>();
  vars->AddCatVar("resp", "", std::vector<std::string>{"no", "yes"}, true, IDLVar::kTarget);
  vars->AddCatVar("color", "", std::vector<std::string>{"red", "green", "blue"}, true,
                  IDLVar::kPredictor);
  vars->AddCatVar("size", "", std::vector<std::string>{"S", "M", "L", "XL"}, false,
                  IDLVar::kPredictor);
  vars->AddCatVar("count", "", std::vector<double>{1, 2, 3}, true, IDLVar::kPredictor,
                  IDLVar::kInteger);
  vars->AddContVar("age", "", 0.0, 100.0, IDLVar::kPredictor);
  return vars;
}

// The data dictionary of MakeVarList, plus two fields the list lacks: "bare" (ordinal without
// categories) and "extra" (nominal).
inline const char* Dictionary() {
  return R"(<DataDictionary numberOfFields="7">
<DataField name="resp" optype="categorical" dataType="string"><Value value="no" property="valid"/><Value value="yes" property="valid"/></DataField>
<DataField name="color" optype="categorical" dataType="string"><Value value="red" property="valid"/><Value value="green" property="valid"/><Value value="blue" property="valid"/></DataField>
<DataField name="size" optype="ordinal" dataType="string"><Value value="S" property="valid"/><Value value="M" property="valid"/><Value value="L" property="valid"/><Value value="XL" property="valid"/></DataField>
<DataField name="count" optype="categorical" dataType="integer"><Value value="1" property="valid"/><Value value="2" property="valid"/><Value value="3" property="valid"/><Value value="-9" property="missing"/></DataField>
<DataField name="age" optype="continuous" dataType="double"/>
<DataField name="bare" optype="ordinal" dataType="string"/>
<DataField name="extra" optype="categorical" dataType="string"><Value value="a" property="valid"/></DataField>
</DataDictionary>
)";
}

inline std::string Document(const std::string& models) {
  return std::string(R"(<?xml version="1.0" encoding="UTF-8"?>
<PMML version="3.0" xmlns="http://www.dmg.org/PMML-3_0" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<Header copyright="test"><Application name="test" version="1"/></Header>
)") + Dictionary() +
         models + "</PMML>\n";
}

inline std::string Extensions(const std::string& label, bool disabled, bool down) {
  std::string text;
  if (!label.empty()) text += R"(<Extension extender="t" name="label" value=")" + label + "\"/>";
  text += R"(<Extension extender="t" name="isDisabled" value=")" +
          std::string(disabled ? "true" : "false") + "\"/>";
  text += R"(<Extension extender="t" name="searchDirection" value=")" +
          std::string(down ? "down" : "up") + "\"/>";
  return text;
}

inline std::string Rule(const std::string& predicate, const std::string& label = "",
                        bool disabled = false, bool down = false,
                        const std::string& score = "yes") {
  return R"(<SimpleRule id="1" score=")" + score + R"(" recordCount="0" nbCorrect="0">)" +
         Extensions(label, disabled, down) + predicate + "</SimpleRule>\n";
}

inline std::string Remainder(const std::string& score = "yes") {
  return R"(<SimpleRule id="9" score=")" + score + R"(" recordCount="0" nbCorrect="0">)" +
         Extensions("remainder", true, false) + "<True/></SimpleRule>\n";
}

// A RuleSetModel whose mining schema names `predictors` and the target resp; `rules` is the
// whole content of its RuleSet after the selection method.
inline std::string RuleSetModel(const std::vector<std::string>& predictors,
                                const std::string& rules) {
  std::string text =
      R"(<RuleSetModel modelName="RuleSet0" functionName="classification" algorithmName="DecisionList"><MiningSchema>)";
  for (const std::string& name : predictors) text += "<MiningField name=\"" + name + "\"/>";
  text += R"(<MiningField name="resp" usageType="predicted"/></MiningSchema>)";
  text += R"(<RuleSet><RuleSelectionMethod criterion="firstHit"/>)" + rules +
          "</RuleSet></RuleSetModel>\n";
  return text;
}

// A document with one rule set: one rule with `predicate`, then the remainder.
inline std::string OneRuleDocument(const std::string& field, const std::string& predicate) {
  return Document(RuleSetModel({field}, Rule(predicate) + Remainder()));
}

}  // namespace import_fixtures

#endif  // RULEWEAVE_TESTS_PMML_IMPORT_FIXTURES_H_
