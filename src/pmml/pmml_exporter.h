// DLPMMLExporter: writes a DLModel as a PMML 3.0 document with one RuleSetModel per decision list,
// preceded by a header and a data dictionary built from the variable list.
#ifndef RULEWEAVE_PMML_PMML_EXPORTER_H_
#define RULEWEAVE_PMML_PMML_EXPORTER_H_

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "ruleweave/foundation/status.h"

class DLList;
class DLModel;
class DLRule;
class DLSegment;
class DLVarList;
class IDLVar;

namespace QXDecisionXML {
class XMLElement;
struct PMMLExportOptions;
}  // namespace QXDecisionXML

// Built for one export (IDLAlgorithm::ExportModel makes one per call). Borrows the variable list,
// which must outlive it; copies what it needs of the options. The whole document is built as an
// XML tree first and written only when every part of it could be built, so on an error nothing
// reaches the stream. Status codes (all errors):
//   110023 no variable could be written to the data dictionary
//   110024 a value, range end or set member has no text form (no encoder, no categories, a code
//          without a category, a number with no exact text, or a text holding a control character
//          that XML 1.0 cannot carry)
//   110025 a list's mining schema would be empty
//   110026 a list has no query or an empty response value
//   110027 a rule has no segments
//   110028 a segment names an attribute the variable list lacks
//   110029 a segment's operator has no PMML form
// A failed exporter keeps its status and refuses further exports.
class DLPMMLExporter {
 public:
  // `vars` is borrowed; `options` may be null (UTF-8, formatted, library defaults).
  DLPMMLExporter(const DLVarList* vars, const QXDecisionXML::PMMLExportOptions* options);
  DLPMMLExporter(const DLPMMLExporter&) = delete;
  DLPMMLExporter& operator=(const DLPMMLExporter&) = delete;
  ~DLPMMLExporter();

  // Builds the document for `model` and writes it to `out`; stores and returns the status.
  // 110011, and nothing written, when the model's data set (or a list's) is gone.
  QXDecision::QXStatus Export(std::ostream& out, const DLModel& model);
  QXDecision::QXStatus GetStatus() const { return mStatus; }

  // The variable list and the options in effect, between start and end banners.
  void Display(std::ostream& os) const;

 private:
  using Element = QXDecisionXML::XMLElement;

  // Each step runs only while the status is OK and sets it on failure.
  void AddDataDictionary(Element* root);
  bool AddDataField(Element* dictionary, const IDLVar& var);
  void AddValidValues(Element* field, const IDLVar& var);
  // The invalidRangeLower/Upper extensions of a numeric user-missing interval.
  void AddMissingInterval(Element* field, const IDLVar& var);
  // The discrete user-missing values.
  void AddMissingValues(Element* field, const IDLVar& var);
  void AddRuleSetModel(Element* root, const DLList& list, int index);
  void AddMiningSchema(Element* model, const DLList& list);
  void AddRuleSet(Element* model, const DLList& list);
  void AddSimpleRule(Element* ruleSet, const DLRule& rule, const std::string& score);
  void AddRemainderRule(Element* ruleSet, const DLList& list, const std::string& score);
  void AddSegment(Element* parent, const DLSegment& segment);
  // Appends an Extension with the library's extender and `name`; returns it.
  static Element* AddExtension(Element* parent, const std::string& name);
  // Appends a string attribute; refuses (110024) a value holding a control character that XML 1.0
  // cannot carry.
  void AddText(Element* element, const std::string& name, const std::string& value);
  // Appends a new child element and returns it (owned by `parent`).
  static Element* AddElement(Element* parent, const std::string& name);
  void Fail(long code);
  bool IsOK() const { return !mStatus.IsError(); }

  const DLVarList* mVars;
  std::string mCopyright;
  std::string mApplicationName;
  std::string mApplicationVersion;
  bool mNeedUTF8 = true;
  bool mFormatted = true;
  QXDecision::QXStatus mStatus;
  std::unique_ptr<Element> mRoot;
  int mRuleCounter = 0;
};

#endif  // RULEWEAVE_PMML_PMML_EXPORTER_H_
