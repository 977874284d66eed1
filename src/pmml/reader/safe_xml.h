// QXScore::ParseXmlSafely: turns document text into a libxml2 tree under fixed limits, refusing
// whatever could make reading slow, large or reach outside the process (DOCTYPE, entities,
// external resources, deep nesting, many attributes).
#ifndef RULEWEAVE_PMML_READER_SAFE_XML_H_
#define RULEWEAVE_PMML_READER_SAFE_XML_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

struct _xmlDoc;

namespace QXScore {

// Bounds on the documents the reader accepts. A PMML rule-set document nests about eight
// levels deep and carries at most five attributes and two namespace declarations per element.
struct XmlLimits {
  std::size_t maxBytes = std::size_t{64} << 20;  // 64 MiB are accepted
  int maxDepth = 64;
  int maxAttributesPerElement = 32;
  int maxNamespaceDeclarations = 64;  // in the whole document
  // Tests turn the prescan off to reach the parser's own defences; the size bound still holds.
  bool prescan = true;
};

struct XmlDocDeleter {
  void operator()(_xmlDoc* doc) const;
};
using XmlDocPtr = std::unique_ptr<_xmlDoc, XmlDocDeleter>;

// Looks at the raw bytes before any parser does: the size, the encoding (UTF-8 or ASCII only:
// no NUL byte, no UTF-16 or EBCDIC signature), no "<!" other than a comment or CDATA section
// (so no DOCTYPE), at most `maxAttributesPerElement` attributes in any tag and at most
// `maxNamespaceDeclarations` namespace declarations. Returns an empty text when the document
// may be parsed, otherwise the reason. Runs in one pass over the text.
std::string PrescanXml(std::string_view document, const XmlLimits& limits);

// Prescans, then parses `document` as UTF-8 (an encoding declaration is ignored) with libxml2:
// no DTD, no entity substitution, no network, no XInclude. A DOCTYPE or nesting deeper than
// `maxDepth` stops the parser at once; any well-formedness error fails the parse. Throws
// ScorerException with the reason, and line and column where known.
XmlDocPtr ParseXmlSafely(std::string_view document, const XmlLimits& limits = XmlLimits());

}  // namespace QXScore

#endif  // RULEWEAVE_PMML_READER_SAFE_XML_H_
