// QXScore::PrescanXml and ParseXmlSafely: bounded, offline XML parsing with libxml2.
//
// Why a prescan as well as parser options: libxml2 (2.9.x) still expands internal entities
// inside attribute values whatever the options say, checks duplicate attributes in time
// quadratic in their number, and keeps parsing after a well-formedness error (with callbacks
// off, so a handler cannot stop it). The prescan bounds what the parser can meet; the SAX
// hooks below stop it at a DOCTYPE or at excessive depth before any of that work is done.
#include "pmml/reader/safe_xml.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <cstring>
#include <limits>

#include "pmml/reader/scorer_exception.h"

namespace QXScore {

void XmlDocDeleter::operator()(_xmlDoc* doc) const { xmlFreeDoc(doc); }

namespace {

bool StartsWith(std::string_view text, std::size_t at, std::string_view prefix) {
  return text.size() - at >= prefix.size() && text.compare(at, prefix.size(), prefix) == 0;
}

// Position just past the first `terminator` at or after `from`, or npos.
std::size_t SkipPast(std::string_view text, std::size_t from, std::string_view terminator) {
  const std::size_t found = text.find(terminator, from);
  return found == std::string_view::npos ? found : found + terminator.size();
}

// Per-parse state reached from the libxml2 callbacks through ctxt->_private.
struct ParseGuard {
  const XmlLimits* limits = nullptr;
  int depth = 0;
  bool refused = false;
  std::string reason;
  std::string firstError;

  void Refuse(xmlParserCtxtPtr ctxt, const std::string& why) {
    if (!refused) {
      refused = true;
      reason = why + " (line " + std::to_string(xmlSAX2GetLineNumber(ctxt)) + ", column " +
               std::to_string(xmlSAX2GetColumnNumber(ctxt)) + ")";
    }
    xmlStopParser(ctxt);
  }
};

ParseGuard& GuardOf(void* ctx) {
  return *static_cast<ParseGuard*>(static_cast<xmlParserCtxtPtr>(ctx)->_private);
}

void OnInternalSubset(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
  GuardOf(ctx).Refuse(static_cast<xmlParserCtxtPtr>(ctx),
                      "document type declarations are not accepted");
}

void OnExternalSubset(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
  GuardOf(ctx).Refuse(static_cast<xmlParserCtxtPtr>(ctx),
                      "document type declarations are not accepted");
}

xmlParserInputPtr OnResolveEntity(void* ctx, const xmlChar*, const xmlChar*) {
  GuardOf(ctx).Refuse(static_cast<xmlParserCtxtPtr>(ctx), "external entities are not read");
  return nullptr;
}

void OnEntityDecl(void* ctx, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*) {
  GuardOf(ctx).Refuse(static_cast<xmlParserCtxtPtr>(ctx), "entity declarations are not accepted");
}

void OnStartElementNs(void* ctx, const xmlChar* localname, const xmlChar* prefix,
                      const xmlChar* uri, int nbNamespaces, const xmlChar** namespaces,
                      int nbAttributes, int nbDefaulted, const xmlChar** attributes) {
  ParseGuard& guard = GuardOf(ctx);
  auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
  if (++guard.depth > guard.limits->maxDepth) {
    guard.Refuse(ctxt, "elements are nested more than " + std::to_string(guard.limits->maxDepth) +
                           " levels deep");
    return;
  }
  if (nbAttributes + nbNamespaces > guard.limits->maxAttributesPerElement) {
    guard.Refuse(ctxt, "an element has more than " +
                           std::to_string(guard.limits->maxAttributesPerElement) + " attributes");
    return;
  }
  xmlSAX2StartElementNs(ctx, localname, prefix, uri, nbNamespaces, namespaces, nbAttributes,
                        nbDefaulted, attributes);
}

void OnEndElementNs(void* ctx, const xmlChar* localname, const xmlChar* prefix,
                    const xmlChar* uri) {
  --GuardOf(ctx).depth;
  xmlSAX2EndElementNs(ctx, localname, prefix, uri);
}

// Structured errors of this parse only: keeps the first error text, prints nothing.
void OnError(void* ctx, xmlErrorPtr error) {
  if (ctx == nullptr || error == nullptr || error->level < XML_ERR_ERROR) return;
  ParseGuard& guard = GuardOf(ctx);
  if (!guard.firstError.empty()) return;
  std::string message = error->message != nullptr ? error->message : "malformed document";
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
    message.pop_back();
  }
  guard.firstError = message + " (line " + std::to_string(error->line) + ", column " +
                     std::to_string(error->int2) + ")";
}

struct ParserCtxtDeleter {
  void operator()(xmlParserCtxtPtr ctxt) const { xmlFreeParserCtxt(ctxt); }
};

}  // namespace

std::string PrescanXml(std::string_view doc, const XmlLimits& limits) {
  if (doc.size() > limits.maxBytes) {
    return "the document is larger than " + std::to_string(limits.maxBytes) + " bytes";
  }
  if (doc.empty()) return "the document is empty";
  if (std::memchr(doc.data(), 0, doc.size()) != nullptr) {
    return "the document holds a NUL byte (only UTF-8 is read)";
  }
  // Signatures that would make the parser switch to a non-ASCII-compatible encoding.
  if (StartsWith(doc, 0, "\xFE\xFF") || StartsWith(doc, 0, "\xFF\xFE")) {
    return "UTF-16 documents are not read (only UTF-8)";
  }
  if (StartsWith(doc, 0, "\x4C\x6F\xA7\x94")) return "EBCDIC documents are not read (only UTF-8)";

  int namespaceDeclarations = 0;
  std::size_t i = 0;
  const std::size_t n = doc.size();
  while (i < n) {
    const std::size_t open = doc.find('<', i);
    if (open == std::string_view::npos) break;
    if (StartsWith(doc, open, "<!--")) {
      i = SkipPast(doc, open + 4, "-->");
    } else if (StartsWith(doc, open, "<![CDATA[")) {
      i = SkipPast(doc, open + 9, "]]>");
    } else if (StartsWith(doc, open, "<!")) {
      return "document type and entity declarations are not accepted";
    } else if (StartsWith(doc, open, "<?")) {
      i = SkipPast(doc, open + 2, "?>");
    } else {
      // A tag runs to the first '>' outside quotes. The parser never takes an attribute
      // across a '<' (not allowed in attribute values), so a '<' ends the count as well.
      int attributes = 0;
      char quote = 0;
      std::size_t j = open + 1;
      for (; j < n; ++j) {
        const char c = doc[j];
        if (c == '<') break;
        if (quote != 0) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == '=') {
          if (++attributes > limits.maxAttributesPerElement) {
            return "an element has more than " + std::to_string(limits.maxAttributesPerElement) +
                   " attributes";
          }
        } else if (c == '>') {
          ++j;
          break;
        } else if (c == 'x' && StartsWith(doc, j, "xmlns")) {
          if (++namespaceDeclarations > limits.maxNamespaceDeclarations) {
            return "the document declares more than " +
                   std::to_string(limits.maxNamespaceDeclarations) + " namespaces";
          }
        }
      }
      i = j;
    }
    // An unterminated comment, CDATA section or processing instruction: the parser reports it.
    if (i == std::string_view::npos) break;
  }
  return std::string();
}

XmlDocPtr ParseXmlSafely(std::string_view document, const XmlLimits& limits) {
  if (limits.prescan) {
    const std::string refusal = PrescanXml(document, limits);
    if (!refusal.empty()) throw ScorerException(refusal);
  }
  if (document.size() > limits.maxBytes ||
      document.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    throw ScorerException("the document is larger than " + std::to_string(limits.maxBytes) +
                          " bytes");
  }

  std::unique_ptr<xmlParserCtxt, ParserCtxtDeleter> ctxt(
      xmlCreateMemoryParserCtxt(document.data(), static_cast<int>(document.size())));
  if (!ctxt || ctxt->sax == nullptr) throw ScorerException("out of memory while reading");

  ParseGuard guard;
  guard.limits = &limits;
  ctxt->_private = &guard;
  // Options first: xmlCtxtUseOptions rewrites some handlers. XML_PARSE_HUGE lifts libxml2's own
  // 10 MB limits on one text node and on look-ahead (which refuse documents well inside the
  // size bound); the bounds above and the hooks below take their place. No option asks for
  // a DTD, entity substitution or XInclude.
  xmlCtxtUseOptions(ctxt.get(), XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOCDATA |
                                    XML_PARSE_IGNORE_ENC | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                                    XML_PARSE_COMPACT | XML_PARSE_HUGE);
  xmlSAXHandler* sax = ctxt->sax;
  sax->internalSubset = OnInternalSubset;
  sax->externalSubset = OnExternalSubset;
  sax->resolveEntity = OnResolveEntity;
  sax->entityDecl = OnEntityDecl;
  sax->startElementNs = OnStartElementNs;
  sax->endElementNs = OnEndElementNs;
  sax->serror = OnError;
  sax->error = nullptr;
  sax->warning = nullptr;
  sax->fatalError = nullptr;

  xmlParseDocument(ctxt.get());
  // A stopped parse still leaves a (partial) document behind: the guard decides.
  XmlDocPtr doc(ctxt->myDoc);
  ctxt->myDoc = nullptr;
  if (guard.refused) throw ScorerException(guard.reason);
  if (!ctxt->wellFormed || !doc) {
    throw ScorerException(guard.firstError.empty() ? "the document is not well-formed XML"
                                                   : guard.firstError);
  }
  return doc;
}

}  // namespace QXScore
