// Tests of QXDecisionXML::GetModelFields and GetModelRuleRecords: a document's data dictionary
// in order, with the fields the rule sets use; the figures an exported model records on its
// rules, and the figures that say nothing; hostile or broken documents refused with 110030.
#include "ruleweave/pmml/model_fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "import_fixtures.h"
#include "ruleweave/ruleweave.h"
#include "testing/model_table.h"

namespace {

using QXDecisionXML::GetModelFields;
using QXDecisionXML::GetModelRuleRecords;
using QXDecisionXML::PMMLField;
using QXDecisionXML::PMMLRuleRecord;

TEST(GetModelFields, ListsTheDictionaryInDocumentOrder) {
  const std::string document = import_fixtures::Document(import_fixtures::RuleSetModel(
      {"color", "age"},
      import_fixtures::Rule(R"(<SimplePredicate field="age" operator="isMissing"/>)") +
          import_fixtures::Remainder()));
  std::vector<PMMLField> fields;
  ASSERT_TRUE(GetModelFields(document, fields).IsOK());

  struct Expected {
    const char* name;
    const char* optype;
    const char* dataType;
    std::vector<std::string> values;
    bool used;
    bool predicted;
  };
  const std::vector<Expected> expected = {
      {"resp", "categorical", "string", {"no", "yes"}, true, true},
      {"color", "categorical", "string", {"red", "green", "blue"}, true, false},
      {"size", "ordinal", "string", {"S", "M", "L", "XL"}, false, false},
      {"count", "categorical", "integer", {"1", "2", "3"}, false, false},  // -9 is "missing"
      {"age", "continuous", "double", {}, true, false},
      {"bare", "ordinal", "string", {}, false, false},
      {"extra", "categorical", "string", {"a"}, false, false}};
  ASSERT_EQ(fields.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(fields[i].name, expected[i].name);
    EXPECT_EQ(fields[i].optype, expected[i].optype) << fields[i].name;
    EXPECT_EQ(fields[i].dataType, expected[i].dataType) << fields[i].name;
    EXPECT_EQ(fields[i].values, expected[i].values) << fields[i].name;
    EXPECT_EQ(fields[i].used, expected[i].used) << fields[i].name;
    EXPECT_EQ(fields[i].predicted, expected[i].predicted) << fields[i].name;
  }
}

TEST(GetModelRuleRecords, GivesTheMeasuresOfAnExportedModel) {
  using model_testing::Equal;
  using model_testing::RuleOf;
  const model_testing::RandomTable table(model_testing::TableShape{});
  DLModel model;
  model.SetDataSet(table.Data());
  const std::vector<std::vector<DLRule*>> lists = {
      {RuleOf({Equal("c0", 0)}), RuleOf({Equal("c1", 2), Equal("c0", 1)})},
      {RuleOf({Equal("c1", 3)})}};
  for (const std::vector<DLRule*>& rules : lists) {
    auto list = std::make_unique<DLList>();
    for (DLRule* rule : rules) list->AddRule(rule);
    list->SetDataQuery(table.Query());
    model.AddList(list.release());
  }
  ASSERT_TRUE(model.RefreshMeasure());
  DLSettings settings;
  std::unique_ptr<IDLAlgorithm> algorithm(DLFactory().CreateAlgorithm(settings));
  std::ostringstream document;
  ASSERT_TRUE(algorithm->ExportModel(document, model, table.Data().GetVarList(), nullptr).IsOK());

  std::vector<std::vector<PMMLRuleRecord>> records;
  ASSERT_TRUE(GetModelRuleRecords(document.str(), records).IsOK());
  ASSERT_EQ(records.size(), lists.size());
  int id = 0;  // the exporter numbers the rules through the whole document
  for (int l = 0; l < model.GetNumOfLists(); ++l) {
    const DLList& list = *model.GetList(l);
    std::vector<DLMeasure> measures;
    for (int r = 0; r < list.GetNumOfRules(); ++r)
      measures.push_back(list.GetRule(r)->GetMeasure());
    const std::unique_ptr<DLMeasure> remainder(list.GetRemainderMeasure());
    ASSERT_NE(remainder, nullptr);
    measures.push_back(*remainder);
    ASSERT_EQ(records[l].size(), measures.size()) << "list " << l;
    for (std::size_t r = 0; r < measures.size(); ++r) {
      SCOPED_TRACE("list " + std::to_string(l) + " rule " + std::to_string(r));
      EXPECT_EQ(records[l][r].id, std::to_string(++id));
      EXPECT_EQ(records[l][r].recordCount, measures[r].GetCoverage());
      EXPECT_EQ(records[l][r].nbCorrect, measures[r].GetResponse());
    }
  }
}

TEST(GetModelRuleRecords, GivesNaNForFiguresThatAreNoCount) {
  struct Case {
    const char* attributes;
    double recordCount;
    double nbCorrect;
  };
  const double nan = std::nan("");
  const std::vector<Case> cases = {{R"(recordCount="12" nbCorrect="2.5")", 12, 2.5},
                                   {"", nan, nan},  // absent
                                   {R"(recordCount="many" nbCorrect="-3")", nan, nan},
                                   {R"(recordCount="1e999" nbCorrect="inf")", nan, nan}};
  std::string rules;
  for (const Case& c : cases) {
    rules += std::string("<SimpleRule score=\"yes\" ") + c.attributes + "><True/></SimpleRule>";
  }
  std::vector<std::vector<PMMLRuleRecord>> records;
  ASSERT_TRUE(GetModelRuleRecords(
                  import_fixtures::Document(import_fixtures::RuleSetModel({"age"}, rules)), records)
                  .IsOK());
  ASSERT_EQ(records.size(), 1u);
  ASSERT_EQ(records[0].size(), cases.size());
  auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(records[0][i].id, "");
    EXPECT_TRUE(same(records[0][i].recordCount, cases[i].recordCount)) << cases[i].attributes;
    EXPECT_TRUE(same(records[0][i].nbCorrect, cases[i].nbCorrect)) << cases[i].attributes;
  }
}

TEST(GetModelFields, BothListingsRefuseHostileAndBrokenDocumentsLeavingTheirOutput) {
  const char* documents[] = {
      "<?xml version=\"1.0\"?>\n<!DOCTYPE PMML [<!ENTITY a \"lol\">]>\n<PMML>&a;</PMML>",
      "<PMML><DataDictionary>",  // not well-formed
      "<Model/>",                // not PMML
      "<PMML><DataDictionary><DataField optype=\"continuous\"/></DataDictionary></PMML>"};
  for (const char* document : documents) {
    std::vector<PMMLField> fields(1);
    fields[0].name = "kept";
    std::string message;
    EXPECT_EQ(GetModelFields(document, fields, &message).GetErrorCode(), 110030) << document;
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0].name, "kept");
    EXPECT_FALSE(message.empty()) << document;

    std::vector<std::vector<PMMLRuleRecord>> lists(1, std::vector<PMMLRuleRecord>(1));
    lists[0][0].id = "kept";
    std::string reason;
    EXPECT_EQ(GetModelRuleRecords(document, lists, &reason).GetErrorCode(), 110030) << document;
    ASSERT_EQ(lists.size(), 1u);
    ASSERT_EQ(lists[0].size(), 1u);
    EXPECT_EQ(lists[0][0].id, "kept");
    EXPECT_EQ(reason, message) << document;
  }
}

}  // namespace
