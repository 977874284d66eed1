// DLPMMLExporter: the model as a PMML 3.0 document. The document is built as an XML tree and
// written only once every part of it was built, so a failed export writes nothing.
//
// Document layout (? optional, * repeated):
//   PMML (version, xmlns, xmlns:xsi, xsi:schemaLocation)
//     Header (copyright) / Application (name, version)
//     DataDictionary (numberOfFields)
//       DataField* (name, displayName?, optype, dataType?)
//         Extension? invalidRangeLower, Extension? invalidRangeUpper  (user-missing interval)
//         Value* property "valid" (categorical fields), Value* property "missing"
//     RuleSetModel* (modelName "RuleSet<i>", functionName, algorithmName), one per list
//       MiningSchema / MiningField* (the rules' fields, then the target as "predicted")
//       RuleSet / RuleSelectionMethod firstHit
//         SimpleRule* (id, score, recordCount, nbCorrect): Extension* label, isDisabled,
//           searchDirection; then the predicates, inside CompoundPredicate "and" when there are
//           several
//         SimpleRule for the remainder: three Extension, then True
#include "pmml/pmml_exporter.h"
#include "foundation/number_text.h"
#include "foundation/status_codes.h"

#include <cfloat>
#include <cmath>
#include <ostream>

#include "ruleweave/data/data_query.h"
#include "ruleweave/foundation/measure.h"
#include "ruleweave/foundation/missing_value.h"
#include "ruleweave/model/list.h"
#include "ruleweave/model/model.h"
#include "ruleweave/model/rule.h"
#include "ruleweave/model/segment.h"
#include "ruleweave/pmml/export_format.h"
#include "ruleweave/pmml/xml_writer.h"
#include "ruleweave/variables/encoder.h"
#include "ruleweave/variables/user_missing.h"
#include "ruleweave/variables/var.h"
#include "ruleweave/variables/var_list.h"

using QXDecision::QXStatus;
using QXDecisionXML::XMLElement;
using QXDecisionXML::XMLString;

namespace {

using ruleweave::status::kEmptyMiningSchema;
using ruleweave::status::kNoCaseLoaded;
using ruleweave::status::kNoDataField;
using ruleweave::status::kNoResponseValue;
using ruleweave::status::kNoTextForm;
using ruleweave::status::kOperatorWithoutForm;
using ruleweave::status::kRuleWithoutSegments;
using ruleweave::status::kUnknownAttribute;

// The root element's strings as the PMML 3.0 standard defines them.
const char kPMMLVersion[] = "3.0";
const char kPMMLNamespace[] = "http://www.dmg.org/PMML-3_0";
const char kSchemaInstanceNamespace[] = "http://www.w3.org/2001/XMLSchema-instance";
const char kSchemaLocation[] = "http://www.dmg.org/PMML-3_0 http://www.dmg.org/v3-0/pmml-3-0.xsd";

const char kExtender[] = "ruleweave.example";
const char kDefaultApplicationName[] = "Ruleweave";
const char kDefaultApplicationVersion[] = "1.0";
const char kDefaultCopyright[] = "Copyright (c) the Ruleweave authors";

// The unbounded range ends of segments and user-missing intervals.
constexpr double kPlusInf = DBL_MAX;
constexpr double kMinusInf = -DBL_MAX;

// XML 1.0 cannot carry the C0 control characters other than TAB, LF and CR, not even as
// character references.
bool HasForbiddenControl(const std::string& text) {
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 && u != '\t' && u != '\n' && u != '\r') return true;
  }
  return false;
}

bool IsDataFieldLevel(IDLVar::MeasureLevel level) {
  return level == IDLVar::kContinuous || IDLVar::IsCategorical(level);
}

// A continuous value as text: "%f" when that reads back exactly, else the shortest exact text.
bool ContinuousText(double x, std::string& text) {
  if (!std::isfinite(x)) return false;
  text = ruleweave::number_text::FormatExact(x);
  return true;
}

// The text of a value (a category code, or a number for a continuous variable), or false when it
// has none. A category code is a whole double naming a category (never converting an
// out-of-range double to int).
bool ValueText(const IDLVar& var, double x, std::string& text) {
  if (var.GetMeasureLevel() == IDLVar::kContinuous) return ContinuousText(x, text);
  if (!(x > -1.0 && x < 2147483648.0)) return false;
  return var.GetCategoryText(static_cast<int>(x), text);
}

// A string member of an Array: quoted, with " and \ escaped by a backslash.
std::string QuoteArrayMember(const std::string& text) {
  std::string q = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') q += '\\';
    q += c;
  }
  q += '"';
  return q;
}

const char* ArrayType(const IDLVar& var) {
  const IDLVar::MeasureLevel level = var.GetMeasureLevel();
  if (level == IDLVar::kContinuous) return "real";
  if (IDLVar::IsString(level)) return "string";
  if (IDLVar::IsNumeric(level)) {
    if (var.GetVarDataType() == IDLVar::kInteger) return "int";
    if (var.GetVarDataType() == IDLVar::kDouble) return "real";
  }
  return nullptr;
}

// The label `i` of `labels` when it exists and is not empty.
const std::string* LabelAt(const std::vector<std::string>* labels, std::size_t i) {
  if (labels == nullptr || labels->size() <= i || (*labels)[i].empty()) return nullptr;
  return &(*labels)[i];
}

}  // namespace

DLPMMLExporter::DLPMMLExporter(const DLVarList* vars,
                               const QXDecisionXML::PMMLExportOptions* options)
    : mVars(vars),
      mCopyright(kDefaultCopyright),
      mApplicationName(kDefaultApplicationName),
      mApplicationVersion(kDefaultApplicationVersion) {
  if (options == nullptr) return;
  if (!options->copyright.empty()) mCopyright = options->copyright;
  if (!options->applicationName.empty()) mApplicationName = options->applicationName;
  if (!options->applicationVersion.empty()) mApplicationVersion = options->applicationVersion;
  mNeedUTF8 = options->needUTF8;
  mFormatted = options->formatted;
}

DLPMMLExporter::~DLPMMLExporter() = default;

QXStatus DLPMMLExporter::Export(std::ostream& out, const DLModel& model) {
  if (!IsOK()) return mStatus;
  // The remainder rules are measured on the data set: one that is gone has no cases to give.
  if (model.IsDataSetGone()) {
    Fail(kNoCaseLoaded);
    return mStatus;
  }
  mRoot = std::make_unique<XMLElement>("PMML");
  Element* root = mRoot.get();
  AddText(root, "version", kPMMLVersion);
  AddText(root, "xmlns", kPMMLNamespace);
  AddText(root, "xmlns:xsi", kSchemaInstanceNamespace);
  AddText(root, "xsi:schemaLocation", kSchemaLocation);

  Element* header = AddElement(root, "Header");
  AddText(header, "copyright", mCopyright);
  Element* application = AddElement(header, "Application");
  AddText(application, "name", mApplicationName);
  AddText(application, "version", mApplicationVersion);

  if (IsOK()) AddDataDictionary(root);
  mRuleCounter = 0;
  for (int i = 0; IsOK() && i < model.GetNumOfLists(); ++i) {
    const DLList* list = model.GetList(i);
    if (list != nullptr) AddRuleSetModel(root, *list, i);
  }
  if (IsOK()) {
    if (mNeedUTF8) {
      QXDecisionXML::WriteXMLDocumentUTF8(out, nullptr, root, mFormatted);
    } else {
      QXDecisionXML::WriteXMLDocument(out, nullptr, root, mFormatted);
    }
  }
  return mStatus;
}

void DLPMMLExporter::AddDataDictionary(Element* root) {
  Element* dictionary = AddElement(root, "DataDictionary");
  int written = 0;
  const int size = mVars != nullptr ? mVars->Size() : 0;
  for (int i = 0; IsOK() && i < size; ++i) {
    const IDLVar* var = mVars->GetVarAt(i);
    if (var == nullptr || !IsDataFieldLevel(var->GetMeasureLevel())) continue;
    const IDLVar::VarRole role = var->GetVarRole();
    if (role != IDLVar::kPredictor && role != IDLVar::kTarget) continue;
    if (AddDataField(dictionary, *var)) ++written;
  }
  if (!IsOK()) return;
  if (written == 0) {
    Fail(kNoDataField);
    return;
  }
  dictionary->AddAttribute("numberOfFields", static_cast<double>(written));
}

bool DLPMMLExporter::AddDataField(Element* dictionary, const IDLVar& var) {
  const IDLVar::MeasureLevel level = var.GetMeasureLevel();
  Element* field = AddElement(dictionary, "DataField");
  AddText(field, "name", var.GetVarName());
  const std::string label = var.GetVarLabel();
  if (!label.empty()) AddText(field, "displayName", label);
  if (level == IDLVar::kContinuous) {
    AddText(field, "optype", "continuous");
    AddText(field, "dataType", "double");
  } else {
    AddText(field, "optype", IDLVar::IsNominal(level) ? "categorical" : "ordinal");
    if (IDLVar::IsString(level)) {
      AddText(field, "dataType", "string");
    } else if (var.GetVarDataType() == IDLVar::kInteger) {
      AddText(field, "dataType", "integer");
    } else if (var.GetVarDataType() == IDLVar::kDouble) {
      AddText(field, "dataType", "double");
    }
  }
  // The schema wants every Extension of a DataField before its first Value.
  AddMissingInterval(field, var);
  if (IDLVar::IsCategorical(level)) AddValidValues(field, var);
  if (IsOK()) AddMissingValues(field, var);
  return IsOK();
}

void DLPMMLExporter::AddValidValues(Element* field, const IDLVar& var) {
  const IDLEncoder* encoder = var.GetEncoder();
  if (encoder == nullptr || encoder->GetNumOfCategories() == 0) {
    Fail(kNoTextForm);
    return;
  }
  const std::vector<std::string>* labels = encoder->GetValueLabels();
  for (int c = 0; IsOK() && c < encoder->GetNumOfCategories(); ++c) {
    std::string text;
    if (!ValueText(var, c, text)) {
      Fail(kNoTextForm);
      return;
    }
    Element* value = AddElement(field, "Value");
    AddText(value, "value", text);
    if (const std::string* l = LabelAt(labels, static_cast<std::size_t>(c))) {
      AddText(value, "displayValue", *l);
    }
    AddText(value, "property", "valid");
  }
}

void DLPMMLExporter::AddMissingInterval(Element* field, const IDLVar& var) {
  const auto* missing = dynamic_cast<const DLNumericUserMissing*>(var.GetUserMissingInfo());
  if (missing == nullptr || IDLVar::IsString(var.GetMeasureLevel())) return;
  const DLNumericInterval* interval = missing->GetInterval();
  if (interval == nullptr || interval->IsEmpty()) return;
  if (interval->GetLeftEnd() != kMinusInf) {
    Element* e = AddExtension(field, "invalidRangeLower");
    e->AddAttribute("value", interval->GetLeftEnd());
  }
  if (interval->GetRightEnd() != kPlusInf) {
    Element* e = AddExtension(field, "invalidRangeUpper");
    e->AddAttribute("value", interval->GetRightEnd());
  }
}

void DLPMMLExporter::AddMissingValues(Element* field, const IDLVar& var) {
  const IDLUserMissing* info = var.GetUserMissingInfo();
  if (info == nullptr) return;
  std::vector<std::string> texts;
  const std::vector<std::string>* labels = nullptr;
  if (IDLVar::IsString(var.GetMeasureLevel())) {
    const auto* missing = dynamic_cast<const DLStringUserMissing*>(info);
    if (missing == nullptr) return;
    texts = missing->GetDiscreteValues();
    labels = &missing->GetValueLabels();
  } else {
    const auto* missing = dynamic_cast<const DLNumericUserMissing*>(info);
    if (missing == nullptr) return;
    for (double v : missing->GetDiscreteValues())
      texts.push_back(ruleweave::number_text::FormatExact(v));
    labels = &missing->GetValueLabels();
  }
  for (std::size_t i = 0; IsOK() && i < texts.size(); ++i) {
    Element* value = AddElement(field, "Value");
    AddText(value, "value", texts[i]);
    if (const std::string* l = LabelAt(labels, i)) AddText(value, "displayValue", *l);
    AddText(value, "property", "missing");
  }
}

void DLPMMLExporter::AddRuleSetModel(Element* root, const DLList& list, int index) {
  Element* model = AddElement(root, "RuleSetModel");
  AddText(model, "modelName", "RuleSet" + ruleweave::number_text::FormatInt(index));
  AddText(model, "functionName", "classification");
  AddText(model, "algorithmName", "DecisionList");
  if (IsOK()) AddMiningSchema(model, list);
  if (IsOK()) AddRuleSet(model, list);
}

void DLPMMLExporter::AddMiningSchema(Element* model, const DLList& list) {
  std::vector<std::string> names;
  for (int r = 0; r < list.GetNumOfRules(); ++r) {
    const DLRule* rule = list.GetRule(r);
    for (int s = 0; rule != nullptr && s < rule->GetNumOfSegments(); ++s) {
      const std::string& name = rule->GetSegment(s)->GetAttrName();
      if (name.empty()) continue;
      bool seen = false;
      for (const std::string& n : names) seen = seen || n == name;
      if (!seen) names.push_back(name);
    }
  }
  const std::string target = mVars != nullptr ? mVars->GetTargetName() : std::string();
  if (names.empty() && target.empty()) {
    Fail(kEmptyMiningSchema);
    return;
  }
  Element* schema = AddElement(model, "MiningSchema");
  for (const std::string& name : names) AddText(AddElement(schema, "MiningField"), "name", name);
  if (!target.empty()) {
    Element* field = AddElement(schema, "MiningField");
    AddText(field, "name", target);
    AddText(field, "usageType", "predicted");
  }
}

void DLPMMLExporter::AddRuleSet(Element* model, const DLList& list) {
  const DLDataQuery* query = list.GetDataQuery();
  const std::string score = query != nullptr ? query->GetResponseVal() : std::string();
  if (score.empty()) {
    Fail(kNoResponseValue);
    return;
  }
  Element* ruleSet = AddElement(model, "RuleSet");
  AddText(AddElement(ruleSet, "RuleSelectionMethod"), "criterion", "firstHit");
  for (int r = 0; IsOK() && r < list.GetNumOfRules(); ++r) {
    const DLRule* rule = list.GetRule(r);
    if (rule != nullptr) AddSimpleRule(ruleSet, *rule, score);
  }
  if (IsOK()) AddRemainderRule(ruleSet, list, score);
}

void DLPMMLExporter::AddSimpleRule(Element* ruleSet, const DLRule& rule, const std::string& score) {
  if (rule.IsEmpty()) {
    Fail(kRuleWithoutSegments);
    return;
  }
  ++mRuleCounter;
  const DLMeasure measure = rule.GetMeasure();
  Element* simple = AddElement(ruleSet, "SimpleRule");
  simple->AddAttribute("id", static_cast<double>(mRuleCounter));
  AddText(simple, "score", score);
  simple->AddAttribute("recordCount", measure.GetCoverage());
  simple->AddAttribute("nbCorrect", measure.GetResponse());
  if (!rule.GetLabel().empty()) AddText(AddExtension(simple, "label"), "value", rule.GetLabel());
  AddText(AddExtension(simple, "isDisabled"), "value", rule.GetDisableFlag() ? "true" : "false");
  AddText(AddExtension(simple, "searchDirection"), "value",
          rule.GetSearchDirection() == DLConst::Down ? "down" : "up");

  // A single segment that writes a single predicate goes directly under the rule; anything that
  // writes more goes into an "and".
  Element* parent = simple;
  const DLSegment* first = rule.GetSegment(0);
  bool compound = rule.GetNumOfSegments() > 1;
  if (!compound && first->GetOperator() == DLConst::OpRange) {
    double low, high;
    bool lowOpen, highOpen;
    first->GetRange(low, high, lowOpen, highOpen);
    compound = low != kMinusInf && high != kPlusInf;
  }
  if (compound) {
    parent = AddElement(simple, "CompoundPredicate");
    AddText(parent, "booleanOperator", "and");
  }
  for (int s = 0; IsOK() && s < rule.GetNumOfSegments(); ++s)
    AddSegment(parent, *rule.GetSegment(s));
}

void DLPMMLExporter::AddRemainderRule(Element* ruleSet, const DLList& list,
                                      const std::string& score) {
  ++mRuleCounter;
  const std::unique_ptr<DLMeasure> remainder(list.GetRemainderMeasure());
  const DLMeasure measure = remainder != nullptr ? *remainder : DLMeasure();
  Element* simple = AddElement(ruleSet, "SimpleRule");
  simple->AddAttribute("id", static_cast<double>(mRuleCounter));
  AddText(simple, "score", score);
  simple->AddAttribute("recordCount", measure.GetCoverage());
  simple->AddAttribute("nbCorrect", measure.GetResponse());
  AddText(AddExtension(simple, "label"), "value", "remainder");
  AddText(AddExtension(simple, "isDisabled"), "value", "true");
  AddText(AddExtension(simple, "searchDirection"), "value", "up");
  AddElement(simple, "True");
}

void DLPMMLExporter::AddSegment(Element* parent, const DLSegment& segment) {
  const std::string& name = segment.GetAttrName();
  const IDLVar* var = mVars != nullptr ? mVars->GetVarAt(name) : nullptr;
  if (var == nullptr) {
    Fail(kUnknownAttribute);
    return;
  }
  auto simplePredicate = [&](const char* op, const std::string* value) {
    Element* predicate = AddElement(parent, "SimplePredicate");
    AddText(predicate, "field", name);
    AddText(predicate, "operator", op);
    if (value != nullptr) AddText(predicate, "value", *value);
  };
  switch (segment.GetOperator()) {
    case DLConst::OpEqualTo: {
      std::string text;
      if (!ValueText(*var, segment.GetValueEqualTo(), text)) {
        Fail(kNoTextForm);
        return;
      }
      simplePredicate("equal", &text);
      return;
    }
    case DLConst::OpMissing:
      simplePredicate("isMissing", nullptr);
      return;
    case DLConst::OpNotMissing:
      simplePredicate("isNotMissing", nullptr);
      return;
    case DLConst::OpRange: {
      double low, high;
      bool lowOpen, highOpen;
      segment.GetRange(low, high, lowOpen, highOpen);
      std::string lowText, highText;
      bool hasLow = true, hasHigh = true, ok = true;
      if (var->GetMeasureLevel() == IDLVar::kContinuous) {
        hasLow = low != kMinusInf;
        hasHigh = high != kPlusInf;
        ok = (!hasLow || ContinuousText(low, lowText)) &&
             (!hasHigh || ContinuousText(high, highText));
      } else {
        ok = ValueText(*var, low, lowText) && ValueText(*var, high, highText);
      }
      if (!ok) {
        Fail(kNoTextForm);
        return;
      }
      if (hasLow) simplePredicate(lowOpen ? "greaterThan" : "greaterOrEqual", &lowText);
      if (hasHigh) simplePredicate(highOpen ? "lessThan" : "lessOrEqual", &highText);
      return;
    }
    case DLConst::OpInSet:
    case DLConst::OpNotInSet: {
      const std::vector<double>& members = segment.GetValueSet();
      const bool quoted = IDLVar::IsString(var->GetMeasureLevel());
      std::vector<std::string> texts;
      for (double member : members) {
        std::string text;
        if (!ValueText(*var, member, text) || HasForbiddenControl(text)) {
          Fail(kNoTextForm);
          return;
        }
        texts.push_back(quoted ? QuoteArrayMember(text) : text);
      }
      Element* predicate = AddElement(parent, "SimpleSetPredicate");
      AddText(predicate, "field", name);
      AddText(predicate, "booleanOperator",
              segment.GetOperator() == DLConst::OpInSet ? "isIn" : "isNotIn");
      Element* array = AddElement(predicate, "Array");
      array->AddAttribute("n", static_cast<double>(members.size()));
      if (const char* type = ArrayType(*var)) AddText(array, "type", type);
      for (const std::string& text : texts) array->AddChild(new XMLString(text + " "));
      return;
    }
    default:
      Fail(kOperatorWithoutForm);
      return;
  }
}

DLPMMLExporter::Element* DLPMMLExporter::AddExtension(Element* parent, const std::string& name) {
  Element* extension = AddElement(parent, "Extension");
  extension->AddAttribute("extender", kExtender);
  extension->AddAttribute("name", name);
  return extension;
}

void DLPMMLExporter::AddText(Element* element, const std::string& name, const std::string& value) {
  if (HasForbiddenControl(value)) {
    Fail(kNoTextForm);
    return;
  }
  element->AddAttribute(name, value);
}

DLPMMLExporter::Element* DLPMMLExporter::AddElement(Element* parent, const std::string& name) {
  auto* child = new XMLElement(name);
  parent->AddChild(child);
  return child;
}

void DLPMMLExporter::Fail(long code) {
  if (IsOK()) mStatus = ruleweave::status::Error(code);
}

void DLPMMLExporter::Display(std::ostream& os) const {
  os << "\nDLPMMLExporter display start\n";
  os << "Metadata for PMML:\n";
  if (mVars != nullptr) mVars->Display(os);
  os << "Copyright:" << mCopyright << "\n";
  os << "Application name:" << mApplicationName << "\n";
  os << "Application version:" << mApplicationVersion << "\n";
  os << "Need UTF8:" << (mNeedUTF8 ? "yes" : "no") << "\n";
  os << "Formatted:" << (mFormatted ? "yes" : "no") << "\n";
  os << "\nDLPMMLExporter display end\n";
}
