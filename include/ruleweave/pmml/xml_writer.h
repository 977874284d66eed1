// QXDecisionXML: a small in-memory XML tree (elements, attributes, text nodes) and the document
// writers that serialise it in one pass, optionally pretty-printed and optionally as UTF-8. The
// PMML exporter builds its documents with it; nothing here reads XML.
//
// Layout when formatted: every element on its own line, indented by one tab per nesting level, and
// every attribute on its own line one tab deeper than its element. A text node clears the line
// flags, so what follows it (further text, the start of a following element, or the closing tag of
// its element) stays on the text's line; every element end turns the flags on again. Unformatted,
// the tree is one line with attributes separated by single spaces.
#ifndef RULEWEAVE_PMML_XML_WRITER_H_
#define RULEWEAVE_PMML_XML_WRITER_H_

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace QXDecisionXML {

// The state of one document write. Newlines are written when both `formatted` and `newLine` are
// true, indentation when both `formatted` and `indent` are true; a text node clears `newLine` and
// `indent` until its enclosing element ends. `depth` is the current nesting level.
struct XMLWriteState {
  bool newLine = true;
  bool indent = true;
  bool formatted = true;
  int depth = 0;
};

// A node of the tree. WriteTo writes to `os` exactly the text AppendTo would append, and changes
// `state` the same way; with `toUTF8` each piece is converted to UTF-8 first (text that already is
// valid UTF-8 is written unchanged, any other byte sequence is taken as Latin-1).
class XMLInterface {
 public:
  virtual ~XMLInterface() {}
  virtual void AppendTo(std::string& out, XMLWriteState& state) = 0;
  virtual void WriteTo(std::ostream& os, XMLWriteState& state, bool toUTF8) = 0;
};

// An attribute: a name, written unchanged, and a value kept unescaped. On output the value has
// & < > " escaped as entities and TAB, LF and CR written as character references (&#9; &#10;
// &#13;), so that a reader gets them back instead of spaces.
class XMLAttribute : public XMLInterface {
 public:
  XMLAttribute(const std::string& name, const std::string& value);

  void AppendTo(std::string& out, XMLWriteState& state) override;
  void WriteTo(std::ostream& os, XMLWriteState& state, bool toUTF8) override;

  const std::string& GetName() const { return mName; }
  const std::string& GetValue() const { return mValue; }

 private:
  std::string mName;
  std::string mValue;
};

// A text node, kept unescaped. On output & and < are escaped, CR becomes &#13; and a > that
// follows "]]" becomes &gt; (so the text never holds "]]>"); other characters are unchanged.
class XMLString : public XMLInterface {
 public:
  explicit XMLString(const std::string& text);
  XMLString(const XMLString& other) = default;
  XMLString& operator=(const XMLString& other) = default;

  void AppendTo(std::string& out, XMLWriteState& state) override;
  void WriteTo(std::ostream& os, XMLWriteState& state, bool toUTF8) override;

  const std::string& GetText() const { return mText; }

 private:
  std::string mText;
};

// An element: a name, attributes in insertion order and children in insertion order. The element
// owns its attributes and children; deleting it deletes the whole subtree. Nothing is validated:
// names are written unchanged and duplicate attribute names are not detected.
class XMLElement : public XMLInterface {
 public:
  explicit XMLElement(const std::string& name);
  XMLElement(const XMLElement&) = delete;
  XMLElement& operator=(const XMLElement&) = delete;
  ~XMLElement() override;

  // Takes ownership of `attribute`.
  void AddAttribute(XMLAttribute* attribute);
  void AddAttribute(const std::string& name, const std::string& value);
  // The value is written with 15 significant digits in the shorter of fixed and exponent notation,
  // exactly as "%.15g" in the C locale (3.0 gives "3", 0.25 gives "0.25"), whatever the locale of
  // the host.
  void AddAttribute(const std::string& name, double value);
  // Takes ownership of `child`; returns the new number of children.
  int AddChild(XMLInterface* child);

  void AppendTo(std::string& out, XMLWriteState& state) override;
  void WriteTo(std::ostream& os, XMLWriteState& state, bool toUTF8) override;

  const std::string& GetName() const { return mName; }
  int GetNumOfAttributes() const { return static_cast<int>(mAttributes.size()); }
  int GetNumOfChildren() const { return static_cast<int>(mChildren.size()); }

 private:
  std::vector<std::unique_ptr<XMLAttribute>> mAttributes;
  std::string mName;
  std::vector<std::unique_ptr<XMLInterface>> mChildren;
};

// Writes a document: the prolog (when null, the declaration
// "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>" and a line end, formatted or not), then the tree
// under `root`. Both writers name the encoding UTF-8; WriteXMLDocument writes every byte as it is,
// WriteXMLDocumentUTF8 converts every piece to UTF-8. Stream errors are not reported.
void WriteXMLDocument(std::ostream& os, XMLInterface* prolog, XMLInterface* root, bool formatted);
void WriteXMLDocumentUTF8(std::ostream& os, XMLInterface* prolog, XMLInterface* root,
                          bool formatted);

}  // namespace QXDecisionXML

#endif  // RULEWEAVE_PMML_XML_WRITER_H_
