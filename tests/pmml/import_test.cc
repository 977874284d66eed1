// Tests of DLPMMLImporter on hand-written documents: what each predicate becomes, the lists and
// queries, and every status code of the import.
#include <cfloat>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "import_fixtures.h"
#include "pmml/pmml_importer.h"
#include "ruleweave/data/data_query.h"
#include "ruleweave/facade/algorithm.h"
#include "ruleweave/facade/factory.h"
#include "ruleweave/foundation/settings.h"
#include "ruleweave/model/list.h"
#include "ruleweave/model/model.h"
#include "ruleweave/model/rule.h"
#include "ruleweave/model/segment.h"

namespace {

using import_fixtures::Document;
using import_fixtures::MakeVarList;
using import_fixtures::OneRuleDocument;
using import_fixtures::Remainder;
using import_fixtures::Rule;
using import_fixtures::RuleSetModel;

// Imports `document` and returns the model (null on failure); `code` receives the status code.
std::unique_ptr<DLModel> Import(const std::string& document, long* code,
                                bool largeCategory = false) {
  std::unique_ptr<DLVarList> vars = MakeVarList();
  DLPMMLImporter importer(vars.get(), largeCategory);
  DLModel sentinel;
  DLModel* raw = &sentinel;  // must be overwritten
  const QXDecision::QXStatus status = importer.Import(document, &raw);
  *code = status.GetErrorCode();
  EXPECT_EQ(status.IsError(), raw == nullptr);
  return std::unique_ptr<DLModel>(raw);
}

DLSegment Range(const std::string& name, double low, double high, bool lowOpen, bool highOpen) {
  DLSegment s(name, false);
  EXPECT_TRUE(s.SetRange(low, high, lowOpen, highOpen));
  return s;
}

DLSegment Set(const std::string& name, const std::vector<double>& values, bool isIn) {
  DLSegment s(name, false);
  s.SetValueSet(values, isIn);
  return s;
}

DLSegment Equal(const std::string& name, double value) {
  DLSegment s(name, false);
  s.SetValueEqualTo(value);
  return s;
}

DLSegment Missing(const std::string& name, bool missing) {
  DLSegment s(name, false);
  if (missing) {
    s.SetAsMissingSegment();
  } else {
    s.SetAsNotMissingSegment();
  }
  return s;
}

void ExpectSegments(const DLRule& rule, const std::vector<DLSegment>& expected) {
  ASSERT_EQ(rule.GetNumOfSegments(), static_cast<int>(expected.size()));
  for (int i = 0; i < rule.GetNumOfSegments(); ++i) {
    EXPECT_TRUE(*rule.GetSegment(i) == expected[static_cast<size_t>(i)]) << "segment " << i;
  }
}

const char kColorRedBlue[] =
    R"(<SimpleSetPredicate field="color" booleanOperator="isIn"><Array n="2" type="string">"red" "blue" </Array></SimpleSetPredicate>)";

TEST(DLPMMLImporter, ReadsEveryPredicateKindIntoSegments) {
  const std::string rules =
      Rule(std::string(R"(<CompoundPredicate booleanOperator="and">)") +
               R"(<SimplePredicate field="age" operator="greaterThan" value="1.5"/>)" +
               R"(<SimplePredicate field="age" operator="lessOrEqual" value="3"/>)" +
               kColorRedBlue +
               R"(<SimplePredicate field="size" operator="greaterOrEqual" value="M"/>)" +
               R"(<SimplePredicate field="size" operator="lessOrEqual" value="L"/>)" +
               R"(<SimplePredicate field="count" operator="equal" value="2"/>)" +
               "</CompoundPredicate>",
           "tab&#9;and &quot;quotes&quot;", /*disabled=*/true, /*down=*/true) +
      Rule(
          R"(<CompoundPredicate booleanOperator="and">)"
          R"(<SimpleSetPredicate field="color" booleanOperator="isNotIn"><Array n="1" type="string">"green" </Array></SimpleSetPredicate>)"
          R"(<SimplePredicate field="count" operator="notEqual" value="3"/>)"
          R"(<SimplePredicate field="size" operator="lessThan" value="L"/>)"
          "</CompoundPredicate>") +
      Rule(R"(<CompoundPredicate booleanOperator="and">)"
           R"(<SimplePredicate field="age" operator="isNotMissing"/>)"
           R"(<SimplePredicate field="color" operator="isMissing"/>)"
           "</CompoundPredicate>",
           "", false, /*down=*/true) +
      Rule(R"(<SimplePredicate field="age" operator="greaterOrEqual" value="2.5"/>)") +
      Rule(R"(<SimplePredicate field="age" operator="equal" value="-7e-3"/>)") + Remainder();
  long code = 0;
  std::unique_ptr<DLModel> model =
      Import(Document(RuleSetModel({"age", "color", "size", "count"}, rules)), &code);
  ASSERT_EQ(code, 0);
  ASSERT_EQ(model->GetNumOfLists(), 1);
  const DLList& list = *model->GetList(0);
  ASSERT_EQ(list.GetNumOfRules(), 5);  // the remainder rule is gone

  const DLRule& r0 = *list.GetRule(0);
  EXPECT_EQ(r0.GetLabel(), "tab\tand \"quotes\"");
  EXPECT_TRUE(r0.GetDisableFlag());
  EXPECT_EQ(r0.GetSearchDirection(), DLConst::Down);
  ExpectSegments(r0, {Range("age", 1.5, 3, true, false), Set("color", {0, 2}, true),
                      Range("size", 1, 2, false, false), Equal("count", 1)});

  const DLRule& r1 = *list.GetRule(1);
  EXPECT_EQ(r1.GetLabel(), "");
  EXPECT_FALSE(r1.GetDisableFlag());
  EXPECT_EQ(r1.GetSearchDirection(), DLConst::Up);
  // "isNotIn" and notEqual stay negative tests; an open ordinal end stays open.
  ExpectSegments(
      r1, {Set("color", {1}, false), Set("count", {2}, false), Range("size", 0, 2, false, true)});
  EXPECT_EQ(list.GetRule(1)->GetSegment(0)->GetOperator(), DLConst::OpNotInSet);

  EXPECT_EQ(list.GetRule(2)->GetSearchDirection(), DLConst::Down);
  ExpectSegments(*list.GetRule(2), {Missing("age", false), Missing("color", true)});
  ExpectSegments(*list.GetRule(3), {Range("age", 2.5, DBL_MAX, false, true)});
  ExpectSegments(*list.GetRule(4), {Equal("age", -7e-3)});

  const DLDataQuery* query = list.GetDataQuery();
  ASSERT_NE(query, nullptr);
  EXPECT_EQ(query->GetPredictorNames(),
            (std::vector<std::string>{"age", "color", "size", "count"}));
  EXPECT_EQ(query->GetTargetName(), "resp");
  EXPECT_EQ(query->GetResponseVal(), "yes");
  EXPECT_EQ(query->GetCaseSpace(), nullptr);
}

TEST(DLPMMLImporter, TwoRuleSetsGiveTwoListsEachWithoutItsRemainder) {
  const std::string first = RuleSetModel(
      {"color"},
      Rule(R"(<SimplePredicate field="color" operator="equal" value="red"/>)") + Remainder("yes"));
  const std::string second = RuleSetModel(
      {"age", "size"}, Rule(R"(<SimplePredicate field="age" operator="lessThan" value="40"/>)", "",
                            false, true, "no") +
                           Rule(R"(<SimplePredicate field="size" operator="equal" value="XL"/>)",
                                "", false, true, "no") +
                           Remainder("no"));
  long code = 0;
  std::unique_ptr<DLModel> model = Import(Document(first + second), &code);
  ASSERT_EQ(code, 0);
  ASSERT_EQ(model->GetNumOfLists(), 2);
  const DLList& a = *model->GetList(0);
  const DLList& b = *model->GetList(1);
  ASSERT_EQ(a.GetNumOfRules(), 1);
  ASSERT_EQ(b.GetNumOfRules(), 2);
  ExpectSegments(*a.GetRule(0), {Equal("color", 0)});
  ExpectSegments(*b.GetRule(0), {Range("age", -DBL_MAX, 40, true, true)});
  ExpectSegments(*b.GetRule(1), {Equal("size", 3)});
  EXPECT_EQ(a.GetDataQuery()->GetPredictorNames(), std::vector<std::string>{"color"});
  EXPECT_EQ(a.GetDataQuery()->GetResponseVal(), "yes");
  EXPECT_EQ(b.GetDataQuery()->GetPredictorNames(), (std::vector<std::string>{"age", "size"}));
  EXPECT_EQ(b.GetDataQuery()->GetTargetName(), "resp");
  EXPECT_EQ(b.GetDataQuery()->GetResponseVal(), "no");
}

TEST(DLPMMLImporter, KeepsRulesWithoutPredicatesThatAreNotLast) {
  // Only the trailing True rule is the remainder; one in the middle is a rule of the list.
  const std::string rules = Rule("<True/>", "all") +
                            Rule(R"(<SimplePredicate field="age" operator="isMissing"/>)") +
                            Remainder();
  long code = 0;
  std::unique_ptr<DLModel> model = Import(Document(RuleSetModel({"age"}, rules)), &code);
  ASSERT_EQ(code, 0);
  const DLList& list = *model->GetList(0);
  ASSERT_EQ(list.GetNumOfRules(), 2);
  EXPECT_TRUE(list.GetRule(0)->IsEmpty());
  EXPECT_EQ(list.GetRule(0)->GetLabel(), "all");
  ExpectSegments(*list.GetRule(1), {Missing("age", true)});
}

TEST(DLPMMLImporter, LargeCategoriesChooseTheMissingCode) {
  // With 300 categories, code 255 is an ordinary category only when large categories are on;
  // otherwise it is the data set's missing code and the test becomes a missing test.
  std::string values;
  std::vector<double> numbers;
  for (int i = 0; i < 300; ++i) {
    values += "<Value value=\"" + std::to_string(i) + "\" property=\"valid\"/>";
    numbers.push_back(i);
  }
  const std::string document =
      R"(<PMML version="3.0"><DataDictionary><DataField name="resp" optype="categorical" dataType="string"><Value value="no"/><Value value="yes"/></DataField><DataField name="many" optype="categorical" dataType="integer">)" +
      values + "</DataField></DataDictionary>" +
      RuleSetModel(
          {"many"},
          Rule(R"(<SimplePredicate field="many" operator="equal" value="255"/>)") + Remainder()) +
      "</PMML>";
  for (bool large : {false, true}) {
    DLVarList vars;
    vars.AddCatVar("resp", "", std::vector<std::string>{"no", "yes"}, true, IDLVar::kTarget);
    vars.AddCatVar("many", "", numbers, true, IDLVar::kPredictor, IDLVar::kInteger);
    DLPMMLImporter importer(&vars, large);
    DLModel* raw = nullptr;
    ASSERT_TRUE(importer.Import(document, &raw).IsOK());
    std::unique_ptr<DLModel> model(raw);
    const DLSegment& segment = *model->GetList(0)->GetRule(0)->GetSegment(0);
    if (large) {
      EXPECT_EQ(segment.GetOperator(), DLConst::OpEqualTo);
      EXPECT_EQ(segment.GetValueEqualTo(), 255);
    } else {
      EXPECT_EQ(segment.GetOperator(), DLConst::OpMissing);
    }
  }
}

TEST(DLPMMLImporter, UnknownCategoryFailsWithoutGrowingTheEncoder) {
  std::unique_ptr<DLVarList> vars = MakeVarList();
  DLPMMLImporter importer(vars.get(), false);
  DLModel* raw = nullptr;
  const QXDecision::QXStatus status = importer.Import(
      OneRuleDocument("color",
                      R"(<SimplePredicate field="color" operator="equal" value="purple"/>)"),
      &raw);
  EXPECT_EQ(status.GetErrorCode(), 110039);
  EXPECT_TRUE(status.IsError());
  EXPECT_EQ(raw, nullptr);
  EXPECT_EQ(vars->GetVarAt("color")->GetNumOfCategories(), 3);
}

TEST(DLPMMLImporter, FailedImporterRefusesFurtherImports) {
  std::unique_ptr<DLVarList> vars = MakeVarList();
  DLPMMLImporter importer(vars.get(), false);
  DLModel* raw = nullptr;
  EXPECT_EQ(importer.Import("<PMML", &raw).GetErrorCode(), 110030);
  EXPECT_FALSE(importer.GetErrorMessage().empty());
  const std::string good =
      OneRuleDocument("age", R"(<SimplePredicate field="age" operator="isMissing"/>)");
  EXPECT_EQ(importer.Import(good, &raw).GetErrorCode(), 110030);
  EXPECT_EQ(raw, nullptr);
  DLPMMLImporter fresh(vars.get(), false);
  EXPECT_TRUE(fresh.Import(good.c_str(), &raw).IsOK());
  delete raw;
  EXPECT_EQ(fresh.Import(static_cast<const char*>(nullptr), &raw).GetErrorCode(), 110030);
}

TEST(DLPMMLImporter, DisplayWritesItsBanners) {
  std::unique_ptr<DLVarList> vars = MakeVarList();
  DLPMMLImporter importer(vars.get(), false);
  std::ostringstream os;
  importer.Display(os);
  EXPECT_EQ(os.str(), "\nDLPMMLImporter display start\n\nDLPMMLImporter display end\n");
}

TEST(DLPMMLImporter, AlgorithmImportUsesTheSettingsAndKeepsTheStatus) {
  std::unique_ptr<DLVarList> vars = MakeVarList();
  DLSettings settings;
  settings.UseLargeCategory(true);
  DLFactory factory;
  std::unique_ptr<IDLAlgorithm> algorithm(factory.CreateAlgorithm(settings));
  DLModel* raw = nullptr;
  const std::string document =
      OneRuleDocument("count", R"(<SimplePredicate field="count" operator="equal" value="3"/>)");
  ASSERT_TRUE(algorithm->ImportModel(document.c_str(), *vars, &raw).IsOK());
  std::unique_ptr<DLModel> model(raw);
  EXPECT_TRUE(*model->GetList(0)->GetRule(0)->GetSegment(0) == Equal("count", 2));
  // A failed import is kept; afterwards the algorithm does nothing and leaves *model alone.
  EXPECT_EQ(algorithm->ImportModel("junk", *vars, &raw).GetErrorCode(), 110030);
  EXPECT_EQ(algorithm->GetStatus().GetErrorCode(), 110030);
  DLModel* untouched = model.get();
  EXPECT_EQ(algorithm->ImportModel(document.c_str(), *vars, &untouched).GetErrorCode(), 110030);
  EXPECT_EQ(untouched, model.get());
}

struct BadDocument {
  const char* what;
  long code;
  std::string document;
};

std::vector<BadDocument> BadDocuments() {
  auto one = [](const std::string& field, const std::string& predicate) {
    return OneRuleDocument(field, predicate);
  };
  const std::string pmmlOnly = Document("");
  return {
      {"not XML", 110030, "this is not a document"},
      {"truncated", 110030, pmmlOnly.substr(0, pmmlOnly.size() / 2)},
      {"root is not PMML", 110030, "<Other/>"},
      {"undefined entity", 110030, "<PMML>&nbsp;</PMML>"},
      {"rule without predicate", 110030,
       Document(RuleSetModel({}, R"(<SimpleRule score="yes"></SimpleRule>)"))},
      {"rule without score", 110030,
       Document(RuleSetModel({}, "<SimpleRule><True/></SimpleRule>"))},
      {"RuleSetModel without RuleSet", 110030,
       Document("<RuleSetModel><MiningSchema/></RuleSetModel>")},
      {"bad isDisabled", 110030,
       Document(RuleSetModel(
           {},
           R"(<SimpleRule score="yes"><Extension name="isDisabled" value="maybe"/><True/></SimpleRule>)"))},
      {"Array count differs from n", 110030,
       one("color",
           R"(<SimpleSetPredicate field="color" booleanOperator="isIn"><Array n="3" type="string">"red" "blue" </Array></SimpleSetPredicate>)")},
      {"unterminated quoted member", 110030,
       one("color",
           R"(<SimpleSetPredicate field="color" booleanOperator="isIn"><Array type="string">"red </Array></SimpleSetPredicate>)")},
      {"no rule set", 110031, pmmlOnly},
      {"empty rule set", 110032, Document(RuleSetModel({"age"}, ""))},
      {"compound rule", 110033,
       Document(
           RuleSetModel({"age"}, Rule("<True/>") + R"(<CompoundRule><True/></CompoundRule>)"))},
      {"field not in the dictionary", 110035,
       one("weight", R"(<SimplePredicate field="weight" operator="isMissing"/>)")},
      {"empty field name", 110035, one("", R"(<SimplePredicate field="" operator="isMissing"/>)")},
      {"False", 110035, one("age", "<False/>")},
      {"or", 110035,
       one("age",
           R"(<CompoundPredicate booleanOperator="or"><SimplePredicate field="age" operator="isMissing"/><SimplePredicate field="color" operator="isMissing"/></CompoundPredicate>)")},
      {"unknown operator", 110035,
       one("age", R"(<SimplePredicate field="age" operator="between" value="1"/>)")},
      {"two low ends", 110035,
       one("age",
           R"(<CompoundPredicate booleanOperator="and"><SimplePredicate field="age" operator="greaterThan" value="1"/><SimplePredicate field="age" operator="greaterThan" value="2"/></CompoundPredicate>)")},
      {"comparison on a nominal field", 110035,
       one("color", R"(<SimplePredicate field="color" operator="lessThan" value="red"/>)")},
      {"scale value not a number", 110036,
       one("age", R"(<SimplePredicate field="age" operator="greaterThan" value="abc"/>)")},
      {"scale value with trailing garbage", 110036,
       one("age", R"(<SimplePredicate field="age" operator="greaterThan" value="1.5abc"/>)")},
      {"scale value nan", 110036,
       one("age", R"(<SimplePredicate field="age" operator="lessThan" value="nan"/>)")},
      {"scale value inf", 110036,
       one("age", R"(<SimplePredicate field="age" operator="lessThan" value="inf"/>)")},
      {"scale value missing", 110036,
       one("age", R"(<SimplePredicate field="age" operator="lessThan"/>)")},
      {"reversed range", 110037,
       one("age",
           R"(<CompoundPredicate booleanOperator="and"><SimplePredicate field="age" operator="greaterThan" value="5"/><SimplePredicate field="age" operator="lessThan" value="3"/></CompoundPredicate>)")},
      {"open single point", 110037,
       one("age",
           R"(<CompoundPredicate booleanOperator="and"><SimplePredicate field="age" operator="greaterThan" value="5"/><SimplePredicate field="age" operator="lessOrEqual" value="5"/></CompoundPredicate>)")},
      {"empty set", 110038,
       one("color",
           R"(<SimpleSetPredicate field="color" booleanOperator="isIn"><Array n="0" type="string"></Array></SimpleSetPredicate>)")},
      {"ordinal field without categories", 110038,
       one("bare", R"(<SimplePredicate field="bare" operator="greaterThan" value="x"/>)")},
      {"unknown string category", 110039,
       one("color", R"(<SimplePredicate field="color" operator="equal" value="purple"/>)")},
      {"numeric category with garbage", 110039,
       one("count", R"(<SimplePredicate field="count" operator="equal" value="2x"/>)")},
      {"numeric category nan", 110039,
       one("count", R"(<SimplePredicate field="count" operator="notEqual" value="nan"/>)")},
      {"ordinal end not in the category list", 110039,
       one("size", R"(<SimplePredicate field="size" operator="lessThan" value="XXL"/>)")},
      {"field the variable list lacks", 110039,
       one("extra", R"(<SimplePredicate field="extra" operator="equal" value="a"/>)")},
  };
}

TEST(DLPMMLImporter, EachFaultGivesItsStatusAndNoModel) {
  for (const BadDocument& bad : BadDocuments()) {
    long code = 0;
    std::unique_ptr<DLModel> model = Import(bad.document, &code);
    EXPECT_EQ(code, bad.code) << bad.what;
    EXPECT_EQ(model, nullptr) << bad.what;
  }
}

}  // namespace
