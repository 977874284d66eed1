// Tests of the PMML exporter: whole documents for small hand-built models (formatted and not, with
// and without UTF-8 conversion), every error code, and the values XML or PMML readers would lose.
// Expected documents are written out by hand from the documented layout. Every UTF-8 document a
// test produces is also saved (see SaveExportedDocument) so that validate_exports.sh can check it
// against the PMML 3.0 schema.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "pmml/pmml_exporter.h"
#include "pmml/pmml_importer.h"
#include "ruleweave/data/data_query.h"
#include "ruleweave/foundation/bit_set.h"
#include "ruleweave/model/list.h"
#include "ruleweave/model/model.h"
#include "ruleweave/model/rule.h"
#include "ruleweave/model/segment.h"
#include "ruleweave/pmml/export_format.h"
#include "ruleweave/variables/user_missing.h"
#include "ruleweave/variables/var.h"
#include "ruleweave/variables/var_list.h"

namespace pmml_export_testing {

// Writes `document` to <dir>/<name>.xml, where dir is $RULEWEAVE_PMML_EXPORT_DIR or the build
// tree's default. The file appears whole (written aside, then renamed), so a validator running
// next to the tests never reads half a document.
void SaveExportedDocument(const std::string& name, const std::string& document) {
  const char* env = std::getenv("RULEWEAVE_PMML_EXPORT_DIR");
  const std::filesystem::path dir = env != nullptr && *env != '\0'
                                        ? std::filesystem::path(env)
                                        : std::filesystem::path(RULEWEAVE_PMML_EXPORT_DEFAULT_DIR);
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  const std::filesystem::path file = dir / (name + ".xml");
  const std::filesystem::path aside = dir / (name + ".xml.part");
  {
    std::ofstream out(aside, std::ios::binary | std::ios::trunc);
    out << document;
    ASSERT_TRUE(out.good()) << "cannot write " << aside;
  }
  std::filesystem::rename(aside, file, ec);
  ASSERT_FALSE(ec) << "cannot rename " << aside;
}

// Reads `text` back with the importer and checks that every list comes back with the same rules
// (segments, labels, flags, directions) and the same target and response value. The remainder
// rule that closes each exported list does not count: a list read back may still hold it as a
// final rule without segments.
void ExpectRoundTrip(DLVarList& vars, const DLModel& model, const std::string& text) {
  DLPMMLImporter importer(&vars, false);
  DLModel* raw = nullptr;
  const QXDecision::QXStatus status = importer.Import(text, &raw);
  const std::unique_ptr<DLModel> imported(raw);
  ASSERT_TRUE(status.IsOK()) << status.GetErrorCode() << " " << importer.GetErrorMessage();
  ASSERT_EQ(imported->GetNumOfLists(), model.GetNumOfLists());
  for (int l = 0; l < model.GetNumOfLists(); ++l) {
    SCOPED_TRACE(l);
    const DLList& original = *model.GetList(l);
    DLList back = *imported->GetList(l);
    if (back.GetNumOfRules() == original.GetNumOfRules() + 1) {
      EXPECT_TRUE(back.GetRule(back.GetNumOfRules() - 1)->IsEmpty());
      back.RemoveRule(back.GetNumOfRules() - 1);
    }
    ASSERT_EQ(back.GetNumOfRules(), original.GetNumOfRules());
    EXPECT_TRUE(back == original);
    const DLList& labelled = *imported->GetList(l);  // copies drop labels: read the import itself
    for (int r = 0; r < original.GetNumOfRules(); ++r) {
      SCOPED_TRACE(r);
      EXPECT_TRUE(*labelled.GetRule(r) == *original.GetRule(r));
      EXPECT_EQ(labelled.GetRule(r)->GetLabel(), original.GetRule(r)->GetLabel());
      EXPECT_EQ(labelled.GetRule(r)->GetDisableFlag(), original.GetRule(r)->GetDisableFlag());
      EXPECT_EQ(labelled.GetRule(r)->GetSearchDirection(),
                original.GetRule(r)->GetSearchDirection());
    }
    ASSERT_NE(labelled.GetDataQuery(), nullptr);
    EXPECT_EQ(labelled.GetDataQuery()->GetResponseVal(), original.GetDataQuery()->GetResponseVal());
    EXPECT_EQ(labelled.GetDataQuery()->GetTargetName(), vars.GetTargetName());
  }
}

}  // namespace pmml_export_testing

namespace {

using pmml_export_testing::ExpectRoundTrip;
using pmml_export_testing::SaveExportedDocument;
using QXDecisionXML::PMMLExportOptions;

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>";
const std::string kRootOpen =
    "<PMML version=\"3.0\" xmlns=\"http://www.dmg.org/PMML-3_0\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xsi:schemaLocation=\"http://www.dmg.org/PMML-3_0 http://www.dmg.org/v3-0/pmml-3-0.xsd\">";
const std::string kExt = "<Extension extender=\"ruleweave.example\" ";

// The declaration followed by `lines`, each on a line of its own (the first is the empty line the
// root's leading line end makes).
std::string Document(const std::vector<std::string>& lines) {
  std::string s = kDecl;
  for (const std::string& line : lines) s += "\n" + line;
  return s;
}

// ---- building blocks for models

DLSegment* Range(const std::string& name, double low, double high, bool lowOpen, bool highOpen) {
  auto* s = new DLSegment(name, false);
  EXPECT_TRUE(s->SetRange(low, high, lowOpen, highOpen));
  return s;
}

DLSegment* Equal(const std::string& name, double value) {
  auto* s = new DLSegment(name, false);
  s->SetValueEqualTo(value);
  return s;
}

DLSegment* Set(const std::string& name, const std::vector<double>& values, bool isIn) {
  auto* s = new DLSegment(name, false);
  s->SetValueSet(values, isIn);
  return s;
}

DLSegment* Missing(const std::string& name) {
  auto* s = new DLSegment(name, false);
  s->SetAsMissingSegment();
  return s;
}

DLSegment* NotMissing(const std::string& name) {
  auto* s = new DLSegment(name, false);
  s->SetAsNotMissingSegment();
  return s;
}

DLRule* Rule(DLMeasure measure, const std::vector<DLSegment*>& segments,
             DLConst::SearchDirection direction = DLConst::Up, const std::string& label = "") {
  auto* rule = new DLRule(measure, DLBitSet(10), segments, direction);
  rule->SetLabel(label);
  return rule;
}

DLList* List(const std::string& response, const std::vector<DLRule*>& rules) {
  auto* list = new DLList();
  DLDataQuery query;
  query.SetResponseVal(response);
  list->SetDataQuery(query);
  for (DLRule* rule : rules) list->AddRule(rule);
  return list;
}

struct ExportResult {
  QXDecision::QXStatus status;
  std::string text;
};

ExportResult Export(const DLVarList* vars, const DLModel& model,
                    const PMMLExportOptions* options = nullptr) {
  DLPMMLExporter exporter(vars, options);
  std::ostringstream os;
  ExportResult r;
  r.status = exporter.Export(os, model);
  r.text = os.str();
  return r;
}

void ExpectFailure(const DLVarList* vars, const DLModel& model, long code) {
  const ExportResult r = Export(vars, model);
  EXPECT_TRUE(r.status.IsError());
  EXPECT_EQ(r.status.GetErrorCode(), code);
  EXPECT_EQ(r.text, "") << "a failed export must write nothing";
}

// ---- the main test model

// age: continuous with user-missing values 999 and 1.5e-07 and the interval [1000, +inf);
// color: nominal string, labels, user-missing "n/a"; size: ordinal integer, user-missing -99 and
// [-9, -1]; rate: nominal real; freq: frequency weight; ignored: unused; buy: the target.
class PMMLExportModel : public ::testing::Test {
 protected:
  void SetUp() override {
    const int age = vars.AddContVar("age", "Age in years", 0.0, 120.0, IDLVar::kPredictor);
    ASSERT_EQ(age, 0);
    auto* ageMissing = new DLNumericUserMissing();
    ageMissing->AddValue(999.0, "unknown");
    ageMissing->AddValue(1.5e-7, "");
    ageMissing->SetInterval(DLNumericInterval(1000.0, /*upTo=*/false));
    ASSERT_TRUE(vars.GetVarAt(age)->SetUserMissingInfo(ageMissing));

    ASSERT_EQ(vars.AddCatVar("color", "", std::vector<std::string>{"red", "green", "light blue"},
                             std::vector<std::string>{"Red", "", "Light \"blue\""},
                             /*nominal=*/true, IDLVar::kPredictor),
              1);
    DLStringUserMissing colorMissing;
    colorMissing.AddValue("n/a", "not available");
    ASSERT_TRUE(vars.GetVarAt("color")->SetUserMissingInfo(&colorMissing));

    ASSERT_EQ(vars.AddCatVar("size", "", std::vector<double>{1, 2, 3}, /*nominal=*/false,
                             IDLVar::kPredictor, IDLVar::kInteger),
              2);
    DLNumericUserMissing sizeMissing;
    sizeMissing.AddValue(-99.0, "");
    sizeMissing.SetInterval(DLNumericInterval(-9.0, -1.0));
    ASSERT_TRUE(vars.GetVarAt("size")->SetUserMissingInfo(&sizeMissing));

    ASSERT_EQ(vars.AddCatVar("rate", "", std::vector<double>{2.7, 3.5}, /*nominal=*/true,
                             IDLVar::kPredictor, IDLVar::kDouble),
              3);
    ASSERT_EQ(vars.AddFreqWeightVar("freq", "", IDLVar::kTruncate), 4);
    ASSERT_EQ(vars.AddCatVar("ignored", "", std::vector<double>{5}, true, IDLVar::kUnused,
                             IDLVar::kInteger),
              5);
    ASSERT_EQ(vars.AddCatVar("buy", "Bought?", std::vector<std::string>{"yes", "no"},
                             /*nominal=*/true, IDLVar::kTarget),
              6);
  }

  // Two lists of two rules each, covering every kind of segment.
  void BuildTwoLists() {
    DLRule* disabled =
        Rule(DLMeasure(20, 5), {Set("color", {0, 2}, true), Range("size", 0, 1, false, false)},
             DLConst::Down);
    disabled->SetDisableFlag(true);
    model.AddList(List("yes", {Rule(DLMeasure(40, 30), {Range("age", 2.5, DBL_MAX, false, false)},
                                    DLConst::Up, "R1"),
                               disabled}));
    model.AddList(List("no", {Rule(DLMeasure(10, 2), {Range("age", 1, 3, true, false)}),
                              Rule(DLMeasure(7.5, 0.25),
                                   {Equal("rate", 0), Set("color", {1}, false), Missing("age"),
                                    NotMissing("size")},
                                   DLConst::Down, "last")}));
  }

  DLVarList vars;
  DLModel model;
};

TEST_F(PMMLExportModel, TwoListsFormattedWithEverySegmentKind) {
  BuildTwoLists();
  const ExportResult r = Export(&vars, model);
  ASSERT_TRUE(r.status.IsOK()) << r.status.GetErrorCode();
  EXPECT_EQ(r.text, Document({
                        "",
                        "<PMML",
                        "\tversion=\"3.0\"",
                        "\txmlns=\"http://www.dmg.org/PMML-3_0\"",
                        "\txmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"",
                        "\txsi:schemaLocation=\"http://www.dmg.org/PMML-3_0 "
                        "http://www.dmg.org/v3-0/pmml-3-0.xsd\">",
                        "\t<Header",
                        "\t\tcopyright=\"Copyright (c) the Ruleweave authors\">",
                        "\t\t<Application",
                        "\t\t\tname=\"Ruleweave\"",
                        "\t\t\tversion=\"1.0\"/>",
                        "\t</Header>",
                        "\t<DataDictionary",
                        "\t\tnumberOfFields=\"5\">",
                        // age: the interval's extension comes before every Value
                        "\t\t<DataField",
                        "\t\t\tname=\"age\"",
                        "\t\t\tdisplayName=\"Age in years\"",
                        "\t\t\toptype=\"continuous\"",
                        "\t\t\tdataType=\"double\">",
                        "\t\t\t<Extension",
                        "\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\tname=\"invalidRangeLower\"",
                        "\t\t\t\tvalue=\"1000\"/>",
                        "\t\t\t<Value",
                        "\t\t\t\tvalue=\"999.000000\"",
                        "\t\t\t\tdisplayValue=\"unknown\"",
                        "\t\t\t\tproperty=\"missing\"/>",
                        "\t\t\t<Value",
                        "\t\t\t\tvalue=\"1.5e-07\"",
                        "\t\t\t\tproperty=\"missing\"/>",
                        "\t\t</DataField>",
                        // color
                        "\t\t<DataField",
                        "\t\t\tname=\"color\"",
                        "\t\t\toptype=\"categorical\"",
                        "\t\t\tdataType=\"string\">",
                        "\t\t\t<Value",
                        "\t\t\t\tvalue=\"red\"",
                        "\t\t\t\tdisplayValue=\"Red\"",
                        "\t\t\t\tproperty=\"valid\"/>",
                        "\t\t\t<Value",
                        "\t\t\t\tvalue=\"green\"",
                        "\t\t\t\tproperty=\"valid\"/>",
                        "\t\t\t<Value",
                        "\t\t\t\tvalue=\"light blue\"",
                        "\t\t\t\tdisplayValue=\"Light &quot;blue&quot;\"",
                        "\t\t\t\tproperty=\"valid\"/>",
                        "\t\t\t<Value",
                        "\t\t\t\tvalue=\"n/a\"",
                        "\t\t\t\tdisplayValue=\"not available\"",
                        "\t\t\t\tproperty=\"missing\"/>",
                        "\t\t</DataField>",
                        // size
                        "\t\t<DataField",
                        "\t\t\tname=\"size\"",
                        "\t\t\toptype=\"ordinal\"",
                        "\t\t\tdataType=\"integer\">",
                        "\t\t\t<Extension",
                        "\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\tname=\"invalidRangeLower\"",
                        "\t\t\t\tvalue=\"-9\"/>",
                        "\t\t\t<Extension",
                        "\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\tname=\"invalidRangeUpper\"",
                        "\t\t\t\tvalue=\"-1\"/>",
                        "\t\t\t<Value",
                        "\t\t\t\tvalue=\"1\"",
                        "\t\t\t\tproperty=\"valid\"/>",
                        "\t\t\t<Value",
                        "\t\t\t\tvalue=\"2\"",
                        "\t\t\t\tproperty=\"valid\"/>",
                        "\t\t\t<Value",
                        "\t\t\t\tvalue=\"3\"",
                        "\t\t\t\tproperty=\"valid\"/>",
                        "\t\t\t<Value",
                        "\t\t\t\tvalue=\"-99.000000\"",
                        "\t\t\t\tproperty=\"missing\"/>",
                        "\t\t</DataField>",
                        // rate: real categories keep their fraction
                        "\t\t<DataField",
                        "\t\t\tname=\"rate\"",
                        "\t\t\toptype=\"categorical\"",
                        "\t\t\tdataType=\"double\">",
                        "\t\t\t<Value",
                        "\t\t\t\tvalue=\"2.7\"",
                        "\t\t\t\tproperty=\"valid\"/>",
                        "\t\t\t<Value",
                        "\t\t\t\tvalue=\"3.5\"",
                        "\t\t\t\tproperty=\"valid\"/>",
                        "\t\t</DataField>",
                        // buy (freq and ignored are not fields)
                        "\t\t<DataField",
                        "\t\t\tname=\"buy\"",
                        "\t\t\tdisplayName=\"Bought?\"",
                        "\t\t\toptype=\"categorical\"",
                        "\t\t\tdataType=\"string\">",
                        "\t\t\t<Value",
                        "\t\t\t\tvalue=\"yes\"",
                        "\t\t\t\tproperty=\"valid\"/>",
                        "\t\t\t<Value",
                        "\t\t\t\tvalue=\"no\"",
                        "\t\t\t\tproperty=\"valid\"/>",
                        "\t\t</DataField>",
                        "\t</DataDictionary>",
                        // list 0
                        "\t<RuleSetModel",
                        "\t\tmodelName=\"RuleSet0\"",
                        "\t\tfunctionName=\"classification\"",
                        "\t\talgorithmName=\"DecisionList\">",
                        "\t\t<MiningSchema>",
                        "\t\t\t<MiningField",
                        "\t\t\t\tname=\"age\"/>",
                        "\t\t\t<MiningField",
                        "\t\t\t\tname=\"color\"/>",
                        "\t\t\t<MiningField",
                        "\t\t\t\tname=\"size\"/>",
                        "\t\t\t<MiningField",
                        "\t\t\t\tname=\"buy\"",
                        "\t\t\t\tusageType=\"predicted\"/>",
                        "\t\t</MiningSchema>",
                        "\t\t<RuleSet>",
                        "\t\t\t<RuleSelectionMethod",
                        "\t\t\t\tcriterion=\"firstHit\"/>",
                        "\t\t\t<SimpleRule",
                        "\t\t\t\tid=\"1\"",
                        "\t\t\t\tscore=\"yes\"",
                        "\t\t\t\trecordCount=\"40\"",
                        "\t\t\t\tnbCorrect=\"30\">",
                        "\t\t\t\t<Extension",
                        "\t\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\t\tname=\"label\"",
                        "\t\t\t\t\tvalue=\"R1\"/>",
                        "\t\t\t\t<Extension",
                        "\t\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\t\tname=\"isDisabled\"",
                        "\t\t\t\t\tvalue=\"false\"/>",
                        "\t\t\t\t<Extension",
                        "\t\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\t\tname=\"searchDirection\"",
                        "\t\t\t\t\tvalue=\"up\"/>",
                        "\t\t\t\t<SimplePredicate",
                        "\t\t\t\t\tfield=\"age\"",
                        "\t\t\t\t\toperator=\"greaterOrEqual\"",
                        "\t\t\t\t\tvalue=\"2.500000\"/>",
                        "\t\t\t</SimpleRule>",
                        "\t\t\t<SimpleRule",
                        "\t\t\t\tid=\"2\"",
                        "\t\t\t\tscore=\"yes\"",
                        "\t\t\t\trecordCount=\"20\"",
                        "\t\t\t\tnbCorrect=\"5\">",
                        "\t\t\t\t<Extension",
                        "\t\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\t\tname=\"isDisabled\"",
                        "\t\t\t\t\tvalue=\"true\"/>",
                        "\t\t\t\t<Extension",
                        "\t\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\t\tname=\"searchDirection\"",
                        "\t\t\t\t\tvalue=\"down\"/>",
                        "\t\t\t\t<CompoundPredicate",
                        "\t\t\t\t\tbooleanOperator=\"and\">",
                        "\t\t\t\t\t<SimpleSetPredicate",
                        "\t\t\t\t\t\tfield=\"color\"",
                        "\t\t\t\t\t\tbooleanOperator=\"isIn\">",
                        "\t\t\t\t\t\t<Array",
                        "\t\t\t\t\t\t\tn=\"2\"",
                        "\t\t\t\t\t\t\ttype=\"string\">\"red\" \"light blue\" </Array>",
                        "\t\t\t\t\t</SimpleSetPredicate>",
                        "\t\t\t\t\t<SimplePredicate",
                        "\t\t\t\t\t\tfield=\"size\"",
                        "\t\t\t\t\t\toperator=\"greaterOrEqual\"",
                        "\t\t\t\t\t\tvalue=\"1\"/>",
                        "\t\t\t\t\t<SimplePredicate",
                        "\t\t\t\t\t\tfield=\"size\"",
                        "\t\t\t\t\t\toperator=\"lessOrEqual\"",
                        "\t\t\t\t\t\tvalue=\"2\"/>",
                        "\t\t\t\t</CompoundPredicate>",
                        "\t\t\t</SimpleRule>",
                        "\t\t\t<SimpleRule",
                        "\t\t\t\tid=\"3\"",
                        "\t\t\t\tscore=\"yes\"",
                        "\t\t\t\trecordCount=\"0\"",
                        "\t\t\t\tnbCorrect=\"0\">",
                        "\t\t\t\t<Extension",
                        "\t\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\t\tname=\"label\"",
                        "\t\t\t\t\tvalue=\"remainder\"/>",
                        "\t\t\t\t<Extension",
                        "\t\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\t\tname=\"isDisabled\"",
                        "\t\t\t\t\tvalue=\"true\"/>",
                        "\t\t\t\t<Extension",
                        "\t\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\t\tname=\"searchDirection\"",
                        "\t\t\t\t\tvalue=\"up\"/>",
                        "\t\t\t\t<True/>",
                        "\t\t\t</SimpleRule>",
                        "\t\t</RuleSet>",
                        "\t</RuleSetModel>",
                        // list 1
                        "\t<RuleSetModel",
                        "\t\tmodelName=\"RuleSet1\"",
                        "\t\tfunctionName=\"classification\"",
                        "\t\talgorithmName=\"DecisionList\">",
                        "\t\t<MiningSchema>",
                        "\t\t\t<MiningField",
                        "\t\t\t\tname=\"age\"/>",
                        "\t\t\t<MiningField",
                        "\t\t\t\tname=\"rate\"/>",
                        "\t\t\t<MiningField",
                        "\t\t\t\tname=\"color\"/>",
                        "\t\t\t<MiningField",
                        "\t\t\t\tname=\"size\"/>",
                        "\t\t\t<MiningField",
                        "\t\t\t\tname=\"buy\"",
                        "\t\t\t\tusageType=\"predicted\"/>",
                        "\t\t</MiningSchema>",
                        "\t\t<RuleSet>",
                        "\t\t\t<RuleSelectionMethod",
                        "\t\t\t\tcriterion=\"firstHit\"/>",
                        "\t\t\t<SimpleRule",
                        "\t\t\t\tid=\"4\"",
                        "\t\t\t\tscore=\"no\"",
                        "\t\t\t\trecordCount=\"10\"",
                        "\t\t\t\tnbCorrect=\"2\">",
                        "\t\t\t\t<Extension",
                        "\t\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\t\tname=\"isDisabled\"",
                        "\t\t\t\t\tvalue=\"false\"/>",
                        "\t\t\t\t<Extension",
                        "\t\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\t\tname=\"searchDirection\"",
                        "\t\t\t\t\tvalue=\"up\"/>",
                        "\t\t\t\t<CompoundPredicate",
                        "\t\t\t\t\tbooleanOperator=\"and\">",
                        "\t\t\t\t\t<SimplePredicate",
                        "\t\t\t\t\t\tfield=\"age\"",
                        "\t\t\t\t\t\toperator=\"greaterThan\"",
                        "\t\t\t\t\t\tvalue=\"1.000000\"/>",
                        "\t\t\t\t\t<SimplePredicate",
                        "\t\t\t\t\t\tfield=\"age\"",
                        "\t\t\t\t\t\toperator=\"lessOrEqual\"",
                        "\t\t\t\t\t\tvalue=\"3.000000\"/>",
                        "\t\t\t\t</CompoundPredicate>",
                        "\t\t\t</SimpleRule>",
                        "\t\t\t<SimpleRule",
                        "\t\t\t\tid=\"5\"",
                        "\t\t\t\tscore=\"no\"",
                        "\t\t\t\trecordCount=\"7.5\"",
                        "\t\t\t\tnbCorrect=\"0.25\">",
                        "\t\t\t\t<Extension",
                        "\t\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\t\tname=\"label\"",
                        "\t\t\t\t\tvalue=\"last\"/>",
                        "\t\t\t\t<Extension",
                        "\t\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\t\tname=\"isDisabled\"",
                        "\t\t\t\t\tvalue=\"false\"/>",
                        "\t\t\t\t<Extension",
                        "\t\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\t\tname=\"searchDirection\"",
                        "\t\t\t\t\tvalue=\"down\"/>",
                        "\t\t\t\t<CompoundPredicate",
                        "\t\t\t\t\tbooleanOperator=\"and\">",
                        "\t\t\t\t\t<SimplePredicate",
                        "\t\t\t\t\t\tfield=\"rate\"",
                        "\t\t\t\t\t\toperator=\"equal\"",
                        "\t\t\t\t\t\tvalue=\"2.7\"/>",
                        "\t\t\t\t\t<SimpleSetPredicate",
                        "\t\t\t\t\t\tfield=\"color\"",
                        "\t\t\t\t\t\tbooleanOperator=\"isNotIn\">",
                        "\t\t\t\t\t\t<Array",
                        "\t\t\t\t\t\t\tn=\"1\"",
                        "\t\t\t\t\t\t\ttype=\"string\">\"green\" </Array>",
                        "\t\t\t\t\t</SimpleSetPredicate>",
                        "\t\t\t\t\t<SimplePredicate",
                        "\t\t\t\t\t\tfield=\"age\"",
                        "\t\t\t\t\t\toperator=\"isMissing\"/>",
                        "\t\t\t\t\t<SimplePredicate",
                        "\t\t\t\t\t\tfield=\"size\"",
                        "\t\t\t\t\t\toperator=\"isNotMissing\"/>",
                        "\t\t\t\t</CompoundPredicate>",
                        "\t\t\t</SimpleRule>",
                        "\t\t\t<SimpleRule",
                        "\t\t\t\tid=\"6\"",
                        "\t\t\t\tscore=\"no\"",
                        "\t\t\t\trecordCount=\"0\"",
                        "\t\t\t\tnbCorrect=\"0\">",
                        "\t\t\t\t<Extension",
                        "\t\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\t\tname=\"label\"",
                        "\t\t\t\t\tvalue=\"remainder\"/>",
                        "\t\t\t\t<Extension",
                        "\t\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\t\tname=\"isDisabled\"",
                        "\t\t\t\t\tvalue=\"true\"/>",
                        "\t\t\t\t<Extension",
                        "\t\t\t\t\textender=\"ruleweave.example\"",
                        "\t\t\t\t\tname=\"searchDirection\"",
                        "\t\t\t\t\tvalue=\"up\"/>",
                        "\t\t\t\t<True/>",
                        "\t\t\t</SimpleRule>",
                        "\t\t</RuleSet>",
                        "\t</RuleSetModel>",
                        "</PMML>",
                    }));
  SaveExportedDocument("two_lists_formatted", r.text);
}

TEST_F(PMMLExportModel, RoundTripThroughTheImporter) {
  BuildTwoLists();
  model.AddList(List("yes", {Rule(DLMeasure(), {Range("age", -DBL_MAX, 1.5e-7, true, false)}),
                             Rule(DLMeasure(), {Range("age", 0.1 + 0.2, 7, false, true),
                                                Set("rate", {0, 1}, true)})}));
  for (bool formatted : {true, false}) {
    const PMMLExportOptions options{true, "", "", "", formatted};
    const ExportResult r = Export(&vars, model, &options);
    ASSERT_TRUE(r.status.IsOK());
    ExpectRoundTrip(vars, model, r.text);
  }
}

TEST(PMMLExportValues, EscapedTextsRoundTrip) {
  DLVarList vars;
  vars.AddCatVar("s", "", std::vector<std::string>{"say \"hi\" \\o/", "a]]>b", "<&>", "x y"}, true,
                 IDLVar::kPredictor);
  vars.AddCatVar("t", "", std::vector<std::string>{"y\tz"}, true, IDLVar::kTarget);
  DLModel model;
  model.AddList(List("y\tz", {Rule(DLMeasure(), {Set("s", {0, 1, 2, 3}, true)}, DLConst::Up,
                                   "tab\there\r\nnew line"),
                              Rule(DLMeasure(), {Equal("s", 1)})}));
  const ExportResult r = Export(&vars, model);
  ASSERT_TRUE(r.status.IsOK());
  ExpectRoundTrip(vars, model, r.text);
}

// A one-rule model whose texts mix Latin-1 and UTF-8: x continuous, y the string target.
class PMMLExportSmall : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vars.AddContVar("x", "", IDLVar::kPredictor), 0);
    ASSERT_EQ(vars.AddCatVar("y", "",
                             std::vector<std::string>{"caf\xE9", "th\xC3\xA9"},  // Latin-1, UTF-8
                             /*nominal=*/true, IDLVar::kTarget),
              1);
    auto* rule = new DLRule();
    ASSERT_TRUE(rule->AddSegment(Range("x", -DBL_MAX, 1.5e-7, false, true)));
    rule->SetLabel("caf\xE9");
    model.AddList(List("caf\xE9", {rule}));
  }

  // The unformatted document with `cafe` standing for the Latin-1 text "cafe" (e acute) as
  // written and `the` for the UTF-8 text.
  static std::string Expected(const std::string& cafe, const std::string& the,
                              const std::string& app) {
    return kDecl + "\n" + kRootOpen + app +
           "<DataDictionary numberOfFields=\"2\">"
           "<DataField name=\"x\" optype=\"continuous\" dataType=\"double\"/>"
           "<DataField name=\"y\" optype=\"categorical\" dataType=\"string\">"
           "<Value value=\"" +
           cafe + "\" property=\"valid\"/><Value value=\"" + the +
           "\" property=\"valid\"/></DataField></DataDictionary>"
           "<RuleSetModel modelName=\"RuleSet0\" functionName=\"classification\" "
           "algorithmName=\"DecisionList\"><MiningSchema><MiningField name=\"x\"/>"
           "<MiningField name=\"y\" usageType=\"predicted\"/></MiningSchema><RuleSet>"
           "<RuleSelectionMethod criterion=\"firstHit\"/>"
           "<SimpleRule id=\"1\" score=\"" +
           cafe + "\" recordCount=\"0\" nbCorrect=\"0\">" + kExt + "name=\"label\" value=\"" +
           cafe + "\"/>" + kExt + "name=\"isDisabled\" value=\"false\"/>" + kExt +
           "name=\"searchDirection\" value=\"up\"/>"
           "<SimplePredicate field=\"x\" operator=\"lessThan\" value=\"1.5e-07\"/></SimpleRule>"
           "<SimpleRule id=\"2\" score=\"" +
           cafe + "\" recordCount=\"0\" nbCorrect=\"0\">" + kExt +
           "name=\"label\" value=\"remainder\"/>" + kExt + "name=\"isDisabled\" value=\"true\"/>" +
           kExt +
           "name=\"searchDirection\" value=\"up\"/><True/></SimpleRule></RuleSet>"
           "</RuleSetModel></PMML>";
  }

  DLVarList vars;
  DLModel model;
};

const char kMyApp[] =
    "<Header copyright=\"(c) Me\"><Application name=\"MyApp\" version=\"2.1\"/>"
    "</Header>";

TEST_F(PMMLExportSmall, UnformattedWithoutConversionWritesBytesAsTheyAre) {
  const PMMLExportOptions options{false, "MyApp", "2.1", "(c) Me", false};
  const ExportResult r = Export(&vars, model, &options);
  ASSERT_TRUE(r.status.IsOK());
  EXPECT_EQ(r.text, Expected("caf\xE9", "th\xC3\xA9", kMyApp));
}

TEST_F(PMMLExportSmall, UnformattedUTF8ConvertsLatin1Only) {
  const PMMLExportOptions options{true, "MyApp", "2.1", "(c) Me", false};
  const ExportResult r = Export(&vars, model, &options);
  ASSERT_TRUE(r.status.IsOK());
  EXPECT_EQ(r.text, Expected("caf\xC3\xA9", "th\xC3\xA9", kMyApp));
  SaveExportedDocument("small_unformatted_utf8", r.text);
}

TEST_F(PMMLExportSmall, EmptyOptionStringsKeepTheDefaults) {
  const PMMLExportOptions options{true, "", "", "", false};
  const ExportResult r = Export(&vars, model, &options);
  ASSERT_TRUE(r.status.IsOK());
  EXPECT_EQ(r.text, Expected("caf\xC3\xA9", "th\xC3\xA9",
                             "<Header copyright=\"Copyright (c) the Ruleweave authors\">"
                             "<Application name=\"Ruleweave\" version=\"1.0\"/></Header>"));
}

TEST_F(PMMLExportSmall, DisplayShowsTheOptionsInEffect) {
  const PMMLExportOptions options{false, "MyApp", "", "(c) Me", true};
  DLPMMLExporter exporter(&vars, &options);
  std::ostringstream os;
  exporter.Display(os);
  std::ostringstream list;
  vars.Display(list);
  EXPECT_EQ(os.str(), "\nDLPMMLExporter display start\nMetadata for PMML:\n" + list.str() +
                          "Copyright:(c) Me\nApplication name:MyApp\nApplication version:1.0\n"
                          "Need UTF8:no\nFormatted:yes\n\nDLPMMLExporter display end\n");
}

// ---- error codes: each stops the export and nothing is written

TEST(PMMLExportErrors, NoDataField110023) {
  DLVarList vars;
  vars.AddFreqWeightVar("w", "", IDLVar::kRound);
  vars.AddCatVar("u", "", std::vector<double>{1}, true, IDLVar::kUnused, IDLVar::kInteger);
  DLModel model;
  ExpectFailure(&vars, model, 110023);
  ExpectFailure(nullptr, model, 110023);
}

TEST_F(PMMLExportModel, ValueWithoutText110024) {
  // A categorical field without categories.
  DLVarList empty;
  empty.AddCatVar("e", "", IDLVar::kNominalString, IDLVar::kPredictor, IDLVar::kString);
  ExpectFailure(&empty, model, 110024);

  // A segment code that names no category, including one beyond the range of int.
  for (double code : {3.0, -1.0, 255.0, 1e10, std::nan("")}) {
    DLModel m;
    m.AddList(List("yes", {Rule(DLMeasure(), {Equal("color", code)})}));
    if (m.GetList(0)->GetRule(0)->GetSegment(0)->GetOperator() != DLConst::OpEqualTo) continue;
    SCOPED_TRACE(code);
    ExpectFailure(&vars, m, 110024);
  }
  for (double code : {3.0, 1e10}) {
    DLModel m;
    m.AddList(List("yes", {Rule(DLMeasure(), {Set("size", {0, code}, true)})}));
    ExpectFailure(&vars, m, 110024);
  }
  // A categorical range with an unbounded end has no category text for that end.
  DLModel unbounded;
  unbounded.AddList(List("yes", {Rule(DLMeasure(), {Range("size", -DBL_MAX, 1, true, false)})}));
  ExpectFailure(&vars, unbounded, 110024);
  // A continuous value that is not a number.
  DLModel nan;
  nan.AddList(List("yes", {Rule(DLMeasure(), {Equal("age", std::nan(""))})}));
  ExpectFailure(&vars, nan, 110024);
}

TEST(PMMLExportErrors, IntegerCategoryBeyondIntIs110024) {
  // Truncating 3e9 to int is undefined; the category has no "%d" text.
  DLVarList vars;
  vars.AddCatVar("big", "", std::vector<double>{1, 3e9}, true, IDLVar::kTarget, IDLVar::kInteger);
  vars.AddContVar("x", "", IDLVar::kPredictor);
  DLModel model;
  ExpectFailure(&vars, model, 110024);
  DLVarList small;
  small.AddCatVar("big", "", std::vector<double>{1, -2147483648.0, 2147483647.9}, true,
                  IDLVar::kTarget, IDLVar::kInteger);
  const ExportResult r = Export(&small, model);
  ASSERT_TRUE(r.status.IsOK());
  EXPECT_NE(r.text.find("value=\"-2147483648\""), std::string::npos);
  EXPECT_NE(r.text.find("value=\"2147483647\""), std::string::npos);
}

TEST_F(PMMLExportModel, EmptyMiningSchema110025) {
  DLVarList noTarget;
  noTarget.AddContVar("x", "", IDLVar::kPredictor);
  model.AddList(List("yes", {}));
  ExpectFailure(&noTarget, model, 110025);
  // With a target the schema holds it alone, and the list is a remainder rule only.
  const ExportResult r = Export(&vars, model);
  ASSERT_TRUE(r.status.IsOK());
  EXPECT_NE(r.text.find("<MiningSchema>\n\t\t\t<MiningField\n\t\t\t\tname=\"buy\"\n\t\t\t\t"
                        "usageType=\"predicted\"/>\n\t\t</MiningSchema>"),
            std::string::npos);
}

TEST_F(PMMLExportModel, NoQueryOrEmptyResponse110026) {
  auto* noQuery = new DLList();
  noQuery->AddRule(Rule(DLMeasure(), {Missing("age")}));
  model.AddList(noQuery);
  ExpectFailure(&vars, model, 110026);
  DLModel empty;
  empty.AddList(List("", {Rule(DLMeasure(), {Missing("age")})}));
  ExpectFailure(&vars, empty, 110026);
}

TEST_F(PMMLExportModel, RuleWithoutSegments110027) {
  model.AddList(List("yes", {Rule(DLMeasure(), {Missing("age")}), new DLRule()}));
  ExpectFailure(&vars, model, 110027);
}

TEST_F(PMMLExportModel, UnknownAttribute110028) {
  model.AddList(List("yes", {Rule(DLMeasure(), {Missing("age"), Missing("zzz")})}));
  ExpectFailure(&vars, model, 110028);
}

TEST_F(PMMLExportModel, OperatorWithoutForm110029) {
  // Rules refuse invalid segments, so the test turns one in place into an OpInvalid segment.
  model.AddList(List("yes", {Rule(DLMeasure(), {Missing("age")})}));
  auto* segment = const_cast<DLSegment*>(model.GetList(0)->GetRule(0)->GetSegment(0));
  *segment = DLSegment("age", false);
  ASSERT_EQ(segment->GetOperator(), DLConst::OpInvalid);
  ExpectFailure(&vars, model, 110029);
}

TEST_F(PMMLExportModel, FailedExporterRefusesFurtherExports) {
  DLModel bad;
  bad.AddList(List("", {}));
  DLPMMLExporter exporter(&vars, nullptr);
  std::ostringstream os;
  EXPECT_EQ(exporter.Export(os, bad).GetErrorCode(), 110026);
  BuildTwoLists();
  const QXDecision::QXStatus again = exporter.Export(os, model);
  EXPECT_TRUE(again.IsError());
  EXPECT_EQ(again.GetErrorCode(), 110026);
  EXPECT_EQ(os.str(), "");
  EXPECT_EQ(exporter.GetStatus().GetErrorCode(), 110026);
}

// ---- values that a reader would otherwise lose or refuse

TEST_F(PMMLExportModel, SmallContinuousValuesKeepTheirDigits) {
  model.AddList(List("yes", {Rule(DLMeasure(), {Range("age", 1.5e-7, 0.1 + 0.2, true, true)})}));
  const ExportResult r = Export(&vars, model);
  ASSERT_TRUE(r.status.IsOK());
  EXPECT_NE(r.text.find("operator=\"greaterThan\"\n\t\t\t\t\t\tvalue=\"1.5e-07\""),
            std::string::npos);
  EXPECT_NE(r.text.find("operator=\"lessThan\"\n\t\t\t\t\t\tvalue=\"0.30000000000000004\""),
            std::string::npos);
  SaveExportedDocument("small_continuous_values", r.text);
}

TEST(PMMLExportValues, IntegerCategoriesAreTruncatedRealCategoriesAreExact) {
  DLVarList vars;
  vars.AddCatVar("i", "", std::vector<double>{2.7, -3.9}, true, IDLVar::kPredictor,
                 IDLVar::kInteger);
  vars.AddCatVar("d", "", std::vector<double>{2.7, 1e-9}, true, IDLVar::kTarget, IDLVar::kDouble);
  DLModel model;
  model.AddList(List("2.7", {Rule(DLMeasure(), {Equal("i", 1)})}));
  const ExportResult r = Export(&vars, model, nullptr);
  ASSERT_TRUE(r.status.IsOK());
  const PMMLExportOptions flat{true, "", "", "", false};
  const ExportResult f = Export(&vars, model, &flat);
  ASSERT_TRUE(f.status.IsOK());
  EXPECT_NE(f.text.find("<DataField name=\"i\" optype=\"categorical\" dataType=\"integer\">"
                        "<Value value=\"2\" property=\"valid\"/>"
                        "<Value value=\"-3\" property=\"valid\"/></DataField>"
                        "<DataField name=\"d\" optype=\"categorical\" dataType=\"double\">"
                        "<Value value=\"2.7\" property=\"valid\"/>"
                        "<Value value=\"1e-09\" property=\"valid\"/></DataField>"),
            std::string::npos);
  EXPECT_NE(f.text.find("<SimplePredicate field=\"i\" operator=\"equal\" value=\"-3\"/>"),
            std::string::npos);
  SaveExportedDocument("categories_integer_and_real", r.text);
}

TEST_F(PMMLExportModel, ContinuousEqualityAndSetsNeedNoEncoder) {
  ASSERT_EQ(vars.GetVarAt("age")->GetEncoder(), nullptr);
  model.AddList(List("yes", {Rule(DLMeasure(), {Equal("age", 1.5e-7)}),
                             Rule(DLMeasure(), {Set("age", {1, 2.5, 0.1 + 0.2}, false)})}));
  const PMMLExportOptions flat{true, "", "", "", false};
  const ExportResult r = Export(&vars, model, &flat);
  ASSERT_TRUE(r.status.IsOK()) << r.status.GetErrorCode();
  EXPECT_NE(r.text.find("<SimplePredicate field=\"age\" operator=\"equal\" value=\"1.5e-07\"/>"),
            std::string::npos);
  EXPECT_NE(r.text.find("<SimpleSetPredicate field=\"age\" booleanOperator=\"isNotIn\">"
                        "<Array n=\"3\" type=\"real\">1.000000 2.500000 0.30000000000000004 "
                        "</Array></SimpleSetPredicate>"),
            std::string::npos);
  SaveExportedDocument("continuous_equality_and_sets", Export(&vars, model).text);
}

TEST(PMMLExportValues, TextsXMLCannotCarryUnchangedAreEscapedOrRefused) {
  DLVarList vars;
  vars.AddCatVar("s", "", std::vector<std::string>{"say \"hi\" \\o/", "a]]>b", "plain"}, true,
                 IDLVar::kPredictor);
  vars.AddCatVar("t", "line one\nline\ttwo\r", std::vector<std::string>{"y"}, true,
                 IDLVar::kTarget);
  DLModel model;
  model.AddList(List("y", {Rule(DLMeasure(), {Set("s", {0, 1}, true)}, DLConst::Up, "a\tb")}));
  const PMMLExportOptions flat{true, "", "", "", false};
  const ExportResult r = Export(&vars, model, &flat);
  ASSERT_TRUE(r.status.IsOK());
  EXPECT_NE(r.text.find("<Array n=\"2\" type=\"string\">\"say \\\"hi\\\" \\\\o/\" \"a]]&gt;b\" "
                        "</Array>"),
            std::string::npos);
  EXPECT_NE(r.text.find("displayName=\"line one&#10;line&#9;two&#13;\""), std::string::npos);
  EXPECT_NE(r.text.find("name=\"label\" value=\"a&#9;b\""), std::string::npos);
  SaveExportedDocument("escaped_texts", Export(&vars, model).text);

  // Other control characters cannot be written in XML 1.0 at all.
  for (const char* bad : {"\x01", "x\x1Fy", "\x0B"}) {
    SCOPED_TRACE(static_cast<int>(bad[0]));
    DLModel labelled;
    labelled.AddList(List("y", {Rule(DLMeasure(), {Set("s", {0, 1}, true)}, DLConst::Up, bad)}));
    ExpectFailure(&vars, labelled, 110024);
    DLVarList withCategory;
    withCategory.AddCatVar("s", "", std::vector<std::string>{"ok", bad}, true, IDLVar::kTarget);
    withCategory.AddContVar("x", "", IDLVar::kPredictor);
    ExpectFailure(&withCategory, DLModel(), 110024);
  }
  std::string nul("n\0l", 3);
  DLVarList withNul;
  withNul.AddCatVar("s", "", std::vector<std::string>{nul}, true, IDLVar::kTarget);
  withNul.AddContVar("x", "", IDLVar::kPredictor);
  ExpectFailure(&withNul, DLModel(), 110024);
}

}  // namespace
