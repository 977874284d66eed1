// Tests of QXDecisionXML::GetModelFields: a document's data dictionary in order, with the fields
// the rule sets use, and hostile or broken documents refused with 110030.
#include "ruleweave/pmml/model_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import_fixtures.h"

namespace {

using QXDecisionXML::GetModelFields;
using QXDecisionXML::PMMLField;

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

TEST(GetModelFields, RefusesHostileAndBrokenDocumentsLeavingTheFields) {
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
  }
}

}  // namespace
