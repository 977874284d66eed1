// The XML tree and its serialiser: escaping, the newline/indent flags, and the two document
// writers.
#include "ruleweave/pmml/xml_writer.h"

#include <ostream>

#include "foundation/number_text.h"
#include "pmml/utf8.h"

namespace QXDecisionXML {

namespace {

bool NewLinesOn(const XMLWriteState& state) { return state.formatted && state.newLine; }
bool IndentOn(const XMLWriteState& state) { return state.formatted && state.indent; }

std::string Indentation(int depth) { return depth > 0 ? std::string(depth, '\t') : std::string(); }

// Attribute values: the four markup characters as entities, and TAB, LF and CR as character
// references because a reader normalises them to spaces otherwise.
std::string EscapeAttribute(const std::string& value) {
  std::string v;
  v.reserve(value.size());
  for (char c : value) {
    switch (c) {
      case '&':
        v += "&amp;";
        break;
      case '<':
        v += "&lt;";
        break;
      case '>':
        v += "&gt;";
        break;
      case '"':
        v += "&quot;";
        break;
      case '\t':
        v += "&#9;";
        break;
      case '\n':
        v += "&#10;";
        break;
      case '\r':
        v += "&#13;";
        break;
      default:
        v += c;
    }
  }
  return v;
}

// Text content: & and <, CR (a reader would turn it into LF), and the > of "]]>", which may not
// appear in character data.
std::string EscapeText(const std::string& text) {
  std::string t;
  t.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '&') {
      t += "&amp;";
    } else if (c == '<') {
      t += "&lt;";
    } else if (c == '\r') {
      t += "&#13;";
    } else if (c == '>' && i >= 2 && text[i - 1] == ']' && text[i - 2] == ']') {
      t += "&gt;";
    } else {
      t += c;
    }
  }
  return t;
}

void WritePiece(std::ostream& os, const std::string& piece, bool toUTF8) {
  if (toUTF8) {
    const std::string converted = NarrowToUTF8(piece);
    os.write(converted.data(), static_cast<std::streamsize>(converted.size()));
  } else {
    os.write(piece.data(), static_cast<std::streamsize>(piece.size()));
  }
}

const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n";

void WriteDocument(std::ostream& os, XMLInterface* prolog, XMLInterface* root, bool formatted,
                   bool toUTF8) {
  XMLWriteState state;
  state.formatted = formatted;
  if (prolog == nullptr) {
    WritePiece(os, kDeclaration, toUTF8);
  } else {
    prolog->WriteTo(os, state, toUTF8);
  }
  if (root != nullptr) root->WriteTo(os, state, toUTF8);
}

}  // namespace

// ---- XMLAttribute

XMLAttribute::XMLAttribute(const std::string& name, const std::string& value)
    : mName(name), mValue(value) {}

void XMLAttribute::AppendTo(std::string& out, XMLWriteState& /*state*/) {
  out += mName;
  out += "=\"";
  out += EscapeAttribute(mValue);
  out += '"';
}

void XMLAttribute::WriteTo(std::ostream& os, XMLWriteState& state, bool toUTF8) {
  std::string piece;
  AppendTo(piece, state);
  WritePiece(os, piece, toUTF8);
}

// ---- XMLString

XMLString::XMLString(const std::string& text) : mText(text) {}

void XMLString::AppendTo(std::string& out, XMLWriteState& state) {
  // Everything up to the end of the enclosing element follows the text on its line.
  state.newLine = false;
  state.indent = false;
  out += EscapeText(mText);
}

void XMLString::WriteTo(std::ostream& os, XMLWriteState& state, bool toUTF8) {
  std::string piece;
  AppendTo(piece, state);
  WritePiece(os, piece, toUTF8);
}

// ---- XMLElement

XMLElement::XMLElement(const std::string& name) : mName(name) {}

XMLElement::~XMLElement() = default;

void XMLElement::AddAttribute(XMLAttribute* attribute) {
  if (attribute != nullptr) mAttributes.emplace_back(attribute);
}

void XMLElement::AddAttribute(const std::string& name, const std::string& value) {
  mAttributes.push_back(std::make_unique<XMLAttribute>(name, value));
}

void XMLElement::AddAttribute(const std::string& name, double value) {
  mAttributes.push_back(
      std::make_unique<XMLAttribute>(name, ruleweave::number_text::FormatG15(value)));
}

int XMLElement::AddChild(XMLInterface* child) {
  if (child != nullptr) mChildren.emplace_back(child);
  return static_cast<int>(mChildren.size());
}

// Both serialisers below produce the same text: AppendTo collects it in one string, WriteTo writes
// it piece by piece (start tag, each attribute, each child, end) so that only one piece at a time
// is held and converted.

void XMLElement::AppendTo(std::string& out, XMLWriteState& state) {
  std::string s;
  const std::string ind = Indentation(state.depth);
  if (NewLinesOn(state)) s += '\n';
  if (IndentOn(state)) s += ind;
  s += '<';
  s += mName;
  if (!mAttributes.empty()) {
    ++state.depth;
    for (const auto& attribute : mAttributes) {
      s += NewLinesOn(state) ? "\n" : " ";
      if (IndentOn(state)) s += Indentation(state.depth);
      attribute->AppendTo(s, state);
    }
    --state.depth;
  }
  if (mChildren.empty()) {
    s += "/>";
  } else {
    s += '>';
    ++state.depth;
    for (const auto& child : mChildren) child->AppendTo(s, state);
    --state.depth;
    if (NewLinesOn(state)) s += '\n';
    if (IndentOn(state)) s += ind;
    s += "</";
    s += mName;
    s += '>';
  }
  state.newLine = true;
  state.indent = true;
  out += s;
}

void XMLElement::WriteTo(std::ostream& os, XMLWriteState& state, bool toUTF8) {
  const std::string ind = Indentation(state.depth);
  std::string piece;
  if (NewLinesOn(state)) piece += '\n';
  if (IndentOn(state)) piece += ind;
  piece += '<';
  piece += mName;
  WritePiece(os, piece, toUTF8);
  if (!mAttributes.empty()) {
    ++state.depth;
    for (const auto& attribute : mAttributes) {
      piece = NewLinesOn(state) ? "\n" : " ";
      if (IndentOn(state)) piece += Indentation(state.depth);
      attribute->AppendTo(piece, state);
      WritePiece(os, piece, toUTF8);
    }
    --state.depth;
  }
  if (mChildren.empty()) {
    WritePiece(os, "/>", toUTF8);
  } else {
    WritePiece(os, ">", toUTF8);
    ++state.depth;
    for (const auto& child : mChildren) child->WriteTo(os, state, toUTF8);
    --state.depth;
    piece.clear();
    if (NewLinesOn(state)) piece += '\n';
    if (IndentOn(state)) piece += ind;
    piece += "</";
    piece += mName;
    piece += '>';
    WritePiece(os, piece, toUTF8);
  }
  state.newLine = true;
  state.indent = true;
}

// ---- documents

void WriteXMLDocument(std::ostream& os, XMLInterface* prolog, XMLInterface* root, bool formatted) {
  WriteDocument(os, prolog, root, formatted, /*toUTF8=*/false);
}

void WriteXMLDocumentUTF8(std::ostream& os, XMLInterface* prolog, XMLInterface* root,
                          bool formatted) {
  WriteDocument(os, prolog, root, formatted, /*toUTF8=*/true);
}

}  // namespace QXDecisionXML
