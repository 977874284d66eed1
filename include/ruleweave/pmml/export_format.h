// QXDecisionXML::PMMLExportOptions, the options a host passes to IDLAlgorithm::ExportModel, and
// QXDecisionXML::ExportFormat, a pair of opaque words a host may carry with an export.
#ifndef RULEWEAVE_PMML_EXPORT_FORMAT_H_
#define RULEWEAVE_PMML_EXPORT_FORMAT_H_

#include <cstdint>
#include <string>

namespace QXDecisionXML {

// Options of a PMML export, a plain aggregate:
//   QXDecisionXML::PMMLExportOptions opts{true, "MyApp", "2.1", "(c) Me", true};
// An empty string keeps the library's default (application "Ruleweave", version "1.0" and the
// library's copyright notice); the two flags are always taken as given. Without options the
// document is written as UTF-8 and formatted.
struct PMMLExportOptions {
  bool needUTF8 = true;
  std::string applicationName;     // empty: the library's default
  std::string applicationVersion;  // empty: the library's default
  std::string copyright;           // empty: the library's default
  bool formatted = true;
};

// Two 32-bit words (for example a format tag and a version of the host's choosing). The library
// copies them and never reads them.
struct ExportFormat {
  std::int32_t format = 0;
  std::int32_t version = 0;
};

}  // namespace QXDecisionXML

#endif  // RULEWEAVE_PMML_EXPORT_FORMAT_H_
