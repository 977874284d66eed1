// QXScore::ModelFactory: walks the tree of a PMML document into a RuleSetModel.
//
// Predicates: the predicates of one field inside a rule (directly, or inside nested "and"
// CompoundPredicates) become one split, at the position of the field's first predicate:
//   greaterThan/greaterOrEqual  -> the low end, lessThan/lessOrEqual -> the high end
//   scale field:   a ScaleSplit; a missing end is the largest finite double with its sign, open
//   ordinal field: a DiscreteSplit of level ordinal with the ends as positions in the field's
//                  category list; a missing end is the first or last position
//   equal         -> scale field: the closed range [v, v]; otherwise a one-value "in" set
//   notEqual      -> a one-value "not in" set
//   isIn/isNotIn  -> an "in" or "not in" set of the Array's members
//   isMissing/isNotMissing -> the missing tests
// Anything else (False, or/xor/surrogate, an unknown operator, two bounds on one end, a
// comparison on a nominal field, comparisons mixed with other tests of the field) gives a
// null split: the importer reports it as a predicate it cannot use.
#include "pmml/reader/model_factory.h"

#include <libxml/tree.h>

#include <cfloat>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/number_text.h"
#include "pmml/reader/rule_set_model.h"
#include "pmml/reader/safe_xml.h"
#include "pmml/reader/scorer_exception.h"

namespace QXScore {
namespace {

std::string_view NameOf(const xmlNode* node) { return reinterpret_cast<const char*>(node->name); }

bool IsElement(const xmlNode* node, std::string_view name) {
  return node->type == XML_ELEMENT_NODE && NameOf(node) == name;
}

std::string LineOf(const xmlNode* node) {
  return " (line " + std::to_string(xmlGetLineNo(node)) + ")";
}

// The value of the attribute `name` (no namespace); false when absent.
bool GetAttribute(const xmlNode* node, const char* name, std::string* value) {
  xmlChar* raw = xmlGetNoNsProp(node, reinterpret_cast<const xmlChar*>(name));
  if (raw == nullptr) return false;
  value->assign(reinterpret_cast<const char*>(raw));
  xmlFree(raw);
  return true;
}

// The attribute `name` as one finite number; NaN when absent or anything else.
double FigureOf(const xmlNode* node, const char* name) {
  std::string text;
  double value = 0;
  if (GetAttribute(node, name, &text) && ruleweave::number_text::ParseWholeNumber(text, &value)) {
    return value;
  }
  return std::numeric_limits<double>::quiet_NaN();
}

std::string TextOf(const xmlNode* node) {
  std::string text;
  for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
    if ((child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) &&
        child->content != nullptr) {
      text += reinterpret_cast<const char*>(child->content);
    }
  }
  return text;
}

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Members of an Array: blank-separated tokens; a token starting with '"' runs to the next
// unescaped '"', with \" and \\ standing for " and \ (any other backslash is kept).
std::vector<std::string> ReadArray(const xmlNode* array) {
  const std::string text = TextOf(array);
  std::vector<std::string> members;
  std::size_t i = 0;
  while (true) {
    while (i < text.size() && IsXmlSpace(text[i])) ++i;
    if (i >= text.size()) break;
    std::string member;
    if (text[i] == '"') {
      ++i;
      bool closed = false;
      while (i < text.size()) {
        const char c = text[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < text.size() && (text[i] == '"' || text[i] == '\\')) {
          member += text[i++];
        } else {
          member += c;
        }
      }
      if (!closed) throw ScorerException("an Array holds an unterminated string" + LineOf(array));
    } else {
      while (i < text.size() && !IsXmlSpace(text[i])) member += text[i++];
    }
    members.push_back(std::move(member));
  }
  std::string n;
  if (GetAttribute(array, "n", &n)) {
    double count = 0;
    if (!ruleweave::number_text::ParseWholeNumber(n, &count) ||
        count != static_cast<double>(members.size())) {
      throw ScorerException("an Array's n does not match its " + std::to_string(members.size()) +
                            " members" + LineOf(array));
    }
  }
  return members;
}

enum class TestKind {
  kEqual,
  kNotEqual,
  kLess,
  kLessOrEqual,
  kGreater,
  kGreaterOrEqual,
  kIsMissing,
  kIsNotMissing,
  kIn,
  kNotIn,
  kUnknown
};

// One SimplePredicate or SimpleSetPredicate.
struct Test {
  std::string field;
  TestKind kind = TestKind::kUnknown;
  bool hasValue = false;
  std::string value;
  std::vector<std::string> members;
};

bool IsLowBound(TestKind k) { return k == TestKind::kGreater || k == TestKind::kGreaterOrEqual; }
bool IsHighBound(TestKind k) { return k == TestKind::kLess || k == TestKind::kLessOrEqual; }

TestKind KindOfOperator(const std::string& op) {
  if (op == "equal") return TestKind::kEqual;
  if (op == "notEqual") return TestKind::kNotEqual;
  if (op == "lessThan") return TestKind::kLess;
  if (op == "lessOrEqual") return TestKind::kLessOrEqual;
  if (op == "greaterThan") return TestKind::kGreater;
  if (op == "greaterOrEqual") return TestKind::kGreaterOrEqual;
  if (op == "isMissing") return TestKind::kIsMissing;
  if (op == "isNotMissing") return TestKind::kIsNotMissing;
  return TestKind::kUnknown;
}

// A rule tests each field once, so this is far above any real rule; it bounds the work of
// checking a rule's fields for repeats.
constexpr std::size_t kMaxTestsPerRule = 1000;

bool IsPredicate(const xmlNode* node) {
  return IsElement(node, "SimplePredicate") || IsElement(node, "CompoundPredicate") ||
         IsElement(node, "SimpleSetPredicate") || IsElement(node, "True") ||
         IsElement(node, "False");
}

class DocumentReader {
 public:
  explicit DocumentReader(RuleSetModel* model) : mModel(model) {}

  void Read(const xmlDoc* doc) {
    const xmlNode* root = xmlDocGetRootElement(doc);
    if (root == nullptr || !IsElement(root, "PMML")) {
      throw ScorerException("the document's root element is not PMML");
    }
    for (const xmlNode* child = root->children; child != nullptr; child = child->next) {
      if (IsElement(child, "DataDictionary")) ReadDictionary(child);
    }
    for (const xmlNode* child = root->children; child != nullptr; child = child->next) {
      if (IsElement(child, "RuleSetModel")) ReadRuleSetModel(child);
    }
  }

 private:
  void ReadDictionary(const xmlNode* dictionary) {
    for (const xmlNode* field = dictionary->children; field != nullptr; field = field->next) {
      if (!IsElement(field, "DataField")) continue;
      std::string name, optype, dataType;
      if (!GetAttribute(field, "name", &name)) {
        throw ScorerException("a DataField has no name" + LineOf(field));
      }
      GetAttribute(field, "optype", &optype);
      GetAttribute(field, "dataType", &dataType);
      ScoreMeasureLevel level = kNoLevel;
      if (optype == "continuous") level = kScale;
      if (optype == "ordinal") level = kOrdinal;
      if (optype == "categorical") level = kNominal;
      auto var = std::make_unique<ScoreDictVar>(name, level, dataType);
      for (const xmlNode* value = field->children; value != nullptr; value = value->next) {
        if (!IsElement(value, "Value")) continue;
        std::string text, property;
        if (!GetAttribute(value, "value", &text)) {
          throw ScorerException("a Value has no value" + LineOf(value));
        }
        if (!GetAttribute(value, "property", &property) || property == "valid") {
          var->AddCategory(std::move(text));
        }
      }
      if (!mModel->AddDictVar(std::move(var))) {
        throw ScorerException("the DataField " + name + " is declared twice" + LineOf(field));
      }
    }
  }

  void ReadRuleSetModel(const xmlNode* node) {
    std::vector<std::string> predictors;
    std::string target;
    const xmlNode* ruleSet = nullptr;
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
      if (IsElement(child, "MiningSchema")) {
        for (const xmlNode* field = child->children; field != nullptr; field = field->next) {
          if (!IsElement(field, "MiningField")) continue;
          std::string name, usage;
          if (!GetAttribute(field, "name", &name)) {
            throw ScorerException("a MiningField has no name" + LineOf(field));
          }
          if (!GetAttribute(field, "usageType", &usage) || usage == "active") {
            predictors.push_back(name);
          } else if (usage == "predicted" && target.empty()) {
            target = name;
          }
        }
      } else if (IsElement(child, "RuleSet") && ruleSet == nullptr) {
        ruleSet = child;
      }
    }
    if (ruleSet == nullptr) throw ScorerException("a RuleSetModel has no RuleSet" + LineOf(node));
    mModel->AddRuleSet(std::move(predictors), std::move(target));
    for (const xmlNode* child = ruleSet->children; child != nullptr; child = child->next) {
      if (IsElement(child, "SimpleRule")) {
        mModel->AddRule(ReadSimpleRule(child));
      } else if (IsElement(child, "CompoundRule")) {
        mModel->AddRule(nullptr);  // nested rules have no place in a decision list
      }
    }
  }

  std::unique_ptr<SimpleRule> ReadSimpleRule(const xmlNode* node) {
    auto rule = std::make_unique<SimpleRule>();
    std::string score;
    if (!GetAttribute(node, "score", &score)) {
      throw ScorerException("a SimpleRule has no score" + LineOf(node));
    }
    rule->SetScoreValue(score);
    // The id and the training figures are only reported, never needed: no value is refused.
    std::string id;
    if (GetAttribute(node, "id", &id)) rule->SetRuleId(std::move(id));
    rule->SetRecordCount(FigureOf(node, "recordCount"));
    rule->SetNbCorrect(FigureOf(node, "nbCorrect"));
    const xmlNode* predicate = nullptr;
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
      if (IsElement(child, "Extension")) {
        ReadRuleExtension(child, rule.get());
      } else if (predicate == nullptr && IsPredicate(child)) {
        predicate = child;
      }
    }
    if (predicate == nullptr) {
      throw ScorerException("a SimpleRule has no predicate" + LineOf(node));
    }
    if (IsElement(predicate, "True")) {
      rule->SetTruePredicate(true);
      return rule;
    }
    std::vector<Test> tests;
    if (!CollectTests(predicate, &tests)) {
      rule->AddSplit(nullptr);
      return rule;
    }
    if (tests.size() > kMaxTestsPerRule) {
      throw ScorerException("a SimpleRule holds more than " + std::to_string(kMaxTestsPerRule) +
                            " predicates" + LineOf(node));
    }
    // Group the tests by field, in order of each field's first test.
    std::map<std::string, std::size_t> groupOfField;
    std::vector<std::vector<const Test*>> groups;
    for (const Test& test : tests) {
      const auto found = groupOfField.emplace(test.field, groups.size());
      if (found.second) groups.emplace_back();
      groups[found.first->second].push_back(&test);
    }
    for (const std::vector<const Test*>& group : groups) {
      rule->AddSplit(MakeSplit(group.front()->field, group, rule->GetNumOfSplits()));
    }
    return rule;
  }

  static void ReadRuleExtension(const xmlNode* node, SimpleRule* rule) {
    std::string name, value;
    if (!GetAttribute(node, "name", &name)) return;
    const bool hasValue = GetAttribute(node, "value", &value);
    if (name == "label") {
      rule->SetRuleLabel(value);
    } else if (name == "isDisabled") {
      if (!hasValue || (value != "true" && value != "false")) {
        throw ScorerException("isDisabled is neither true nor false" + LineOf(node));
      }
      rule->SetDisabled(value == "true");
    } else if (name == "searchDirection") {
      if (!hasValue || (value != "up" && value != "down")) {
        throw ScorerException("searchDirection is neither up nor down" + LineOf(node));
      }
      rule->SetSearchDirection(value == "down" ? 1 : 0);
    }
  }

  // Appends the tests of `node`; false when the predicate is not a conjunction of simple tests.
  // The recursion is bounded by the parser's nesting limit.
  static bool CollectTests(const xmlNode* node, std::vector<Test>* tests) {
    if (IsElement(node, "True")) return true;
    if (IsElement(node, "SimplePredicate")) {
      Test test;
      std::string op;
      GetAttribute(node, "field", &test.field);
      GetAttribute(node, "operator", &op);
      test.kind = KindOfOperator(op);
      test.hasValue = GetAttribute(node, "value", &test.value);
      if (test.kind == TestKind::kUnknown) return false;
      tests->push_back(std::move(test));
      return true;
    }
    if (IsElement(node, "SimpleSetPredicate")) {
      Test test;
      std::string op;
      GetAttribute(node, "field", &test.field);
      GetAttribute(node, "booleanOperator", &op);
      if (op != "isIn" && op != "isNotIn") return false;
      test.kind = op == "isIn" ? TestKind::kIn : TestKind::kNotIn;
      for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (IsElement(child, "Array")) {
          test.members = ReadArray(child);
          test.hasValue = true;
          break;
        }
      }
      tests->push_back(std::move(test));
      return true;
    }
    if (IsElement(node, "CompoundPredicate")) {
      std::string op;
      GetAttribute(node, "booleanOperator", &op);
      if (op != "and") return false;
      for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (IsPredicate(child) && !CollectTests(child, tests)) return false;
      }
      return true;
    }
    return false;  // False
  }

  std::unique_ptr<ScoreSplitVar> MakeSplit(const std::string& field,
                                           const std::vector<const Test*>& group, int position) {
    const ScoreDictVar* var = mModel->FindDictVar(field);
    const ScoreMeasureLevel level = var != nullptr ? var->GetMeasureLevel() : kNoLevel;
    if (field.empty() || level == kNoLevel) {
      return std::make_unique<ScoreSplitVar>(field, kNoLevel, kOrdinaryTest, position, var);
    }
    const Test& first = *group.front();
    if (group.size() == 1) {
      switch (first.kind) {
        case TestKind::kIsMissing:
          return std::make_unique<ScoreSplitVar>(field, level, kMissingTest, position, var);
        case TestKind::kIsNotMissing:
          return std::make_unique<ScoreSplitVar>(field, level, kNotMissingTest, position, var);
        case TestKind::kIn:
        case TestKind::kNotIn: {
          std::vector<ScoreValue> values;
          for (const std::string& member : first.members) values.emplace_back(member);
          return std::make_unique<DiscreteSplit>(field, kNominal, position, var, std::move(values),
                                                 first.kind == TestKind::kIn);
        }
        case TestKind::kEqual:
        case TestKind::kNotEqual: {
          const bool isIn = first.kind == TestKind::kEqual;
          if (isIn && level == kScale) {
            double v = 0;
            std::unique_ptr<ScoreValueRange> range;
            if (first.hasValue && ruleweave::number_text::ParseWholeNumber(first.value, &v)) {
              range = std::make_unique<ScoreValueRange>(v, v, true, true);
            }
            return std::make_unique<ScaleSplit>(field, position, var, std::move(range));
          }
          std::vector<ScoreValue> values;
          if (first.hasValue) values.emplace_back(first.value);
          return std::make_unique<DiscreteSplit>(field, kNominal, position, var, std::move(values),
                                                 isIn);
        }
        default:
          break;
      }
    }
    // Otherwise every test must bound one end, each end at most once.
    const Test* low = nullptr;
    const Test* high = nullptr;
    for (const Test* test : group) {
      if (IsLowBound(test->kind) && low == nullptr) {
        low = test;
      } else if (IsHighBound(test->kind) && high == nullptr) {
        high = test;
      } else {
        return nullptr;
      }
    }
    if (level == kScale) {
      double lowValue = -DBL_MAX, highValue = DBL_MAX;
      bool usable = true;
      if (low != nullptr)
        usable = low->hasValue && ruleweave::number_text::ParseWholeNumber(low->value, &lowValue);
      if (high != nullptr && usable) {
        usable =
            high->hasValue && ruleweave::number_text::ParseWholeNumber(high->value, &highValue);
      }
      std::unique_ptr<ScoreValueRange> range;
      if (usable) {
        range = std::make_unique<ScoreValueRange>(
            lowValue, highValue, low != nullptr && low->kind == TestKind::kGreaterOrEqual,
            high != nullptr && high->kind == TestKind::kLessOrEqual);
      }
      return std::make_unique<ScaleSplit>(field, position, var, std::move(range));
    }
    if (level == kOrdinal) {
      std::vector<ScoreValue> values;
      if (low != nullptr) values.emplace_back(low->value);
      if (high != nullptr) values.emplace_back(high->value);
      auto split =
          std::make_unique<DiscreteSplit>(field, kOrdinal, position, var, std::move(values), true);
      const int last = static_cast<int>(var->GetCategories().size()) - 1;
      const int start = low == nullptr ? 0 : (low->hasValue ? var->FindCategory(low->value) : -1);
      const int end =
          high == nullptr ? last : (high->hasValue ? var->FindCategory(high->value) : -1);
      split->SetStartAndEnd(start, end, low == nullptr || low->kind == TestKind::kGreaterOrEqual,
                            high == nullptr || high->kind == TestKind::kLessOrEqual);
      return split;
    }
    return nullptr;  // comparisons on a nominal field
  }

  RuleSetModel* mModel;
};

}  // namespace

ScoreModel* ModelFactory::MakeModelFromXML(const std::string& document, const std::string&,
                                           const std::string&) {
  const XmlDocPtr doc = ParseXmlSafely(document);
  auto model = std::make_unique<RuleSetModel>();
  DocumentReader(model.get()).Read(doc.get());
  return model.release();
}

}  // namespace QXScore
