// Tests of the XML tree writer: layout, escaping, number attributes and UTF-8 output. Expected
// documents are written out by hand from the layout rules.
#include "ruleweave/pmml/xml_writer.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <sstream>
#include <string>

#include "pmml/utf8.h"

namespace QXDecisionXML {
namespace {

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n";

std::string Write(XMLInterface& root, bool formatted, bool utf8 = false) {
  std::ostringstream os;
  if (utf8) {
    WriteXMLDocumentUTF8(os, nullptr, &root, formatted);
  } else {
    WriteXMLDocument(os, nullptr, &root, formatted);
  }
  return os.str();
}

std::string Append(XMLInterface& node, bool formatted) {
  XMLWriteState state;
  state.formatted = formatted;
  std::string out;
  node.AppendTo(out, state);
  return out;
}

// A small PMML-like tree: nested elements, attributes, an Array with two text nodes.
std::unique_ptr<XMLElement> SampleTree() {
  auto root = std::make_unique<XMLElement>("PMML");
  root->AddAttribute("version", "3.0");
  auto* header = new XMLElement("Header");
  header->AddAttribute("copyright", "c");
  auto* app = new XMLElement("Application");
  app->AddAttribute(new XMLAttribute("name", "n"));
  header->AddChild(app);
  root->AddChild(header);
  auto* array = new XMLElement("Array");
  array->AddAttribute("n", 2.0);
  array->AddAttribute("type", "string");
  array->AddChild(new XMLString("\"a\" "));
  EXPECT_EQ(array->AddChild(new XMLString("\"b c\" ")), 2);
  root->AddChild(array);
  return root;
}

TEST(XMLElement, EmptyElementUnformatted) {
  XMLElement e("Name");
  EXPECT_EQ(Write(e, false), kDecl + "<Name/>");
  EXPECT_EQ(Write(e, true), kDecl + "\n<Name/>");
}

TEST(XMLElement, FormattedLayoutPutsEveryElementAndAttributeOnItsOwnLine) {
  auto root = SampleTree();
  EXPECT_EQ(Write(*root, true),
            kDecl +
                "\n<PMML\n\tversion=\"3.0\">"
                "\n\t<Header\n\t\tcopyright=\"c\">"
                "\n\t\t<Application\n\t\t\tname=\"n\"/>"
                "\n\t</Header>"
                "\n\t<Array\n\t\tn=\"2\"\n\t\ttype=\"string\">\"a\" \"b c\" </Array>"
                "\n</PMML>");
}

TEST(XMLElement, UnformattedDocumentIsOneLine) {
  auto root = SampleTree();
  EXPECT_EQ(Write(*root, false),
            kDecl +
                "<PMML version=\"3.0\"><Header copyright=\"c\"><Application name=\"n\"/></Header>"
                "<Array n=\"2\" type=\"string\">\"a\" \"b c\" </Array></PMML>");
}

TEST(XMLElement, WriteToMatchesAppendTo) {
  for (bool formatted : {true, false}) {
    auto root = SampleTree();
    std::ostringstream os;
    XMLWriteState state;
    state.formatted = formatted;
    root->WriteTo(os, state, /*toUTF8=*/false);
    EXPECT_EQ(os.str(), Append(*root, formatted));
    EXPECT_TRUE(state.newLine);
    EXPECT_TRUE(state.indent);
    EXPECT_EQ(state.depth, 0);
  }
}

TEST(XMLString, TextClearsLineFlagsUntilTheNextElementEnds) {
  // After the text, B starts on the text's line; B's end turns the flags on again, so A's closing
  // tag and the sibling C are laid out as usual.
  XMLElement p("P");
  auto* a = new XMLElement("A");
  a->AddChild(new XMLString("t"));
  a->AddChild(new XMLElement("B"));
  p.AddChild(a);
  p.AddChild(new XMLElement("C"));
  EXPECT_EQ(Append(p, true), "\n<P>\n\t<A>t<B/>\n\t</A>\n\t<C/>\n</P>");

  XMLElement two("A");
  two.AddChild(new XMLString("t1"));
  two.AddChild(new XMLString("t2"));
  EXPECT_EQ(Append(two, true), "\n<A>t1t2</A>");

  XMLString text("x");
  XMLWriteState state;
  std::string out;
  text.AppendTo(out, state);
  EXPECT_FALSE(state.newLine);
  EXPECT_FALSE(state.indent);
}

TEST(XMLAttribute, EscapesMarkupCharacters) {
  XMLElement e("E");
  e.AddAttribute("v", "x<y&z>w");
  e.AddAttribute("q", "say \"hi\"");
  e.AddAttribute("a", "&amp;");
  EXPECT_EQ(Append(e, false),
            "<E v=\"x&lt;y&amp;z&gt;w\" q=\"say &quot;hi&quot;\" a=\"&amp;amp;\"/>");
}

TEST(XMLString, EscapesAmpersandAndLessThanOnly) {
  XMLElement e("E");
  e.AddChild(new XMLString("x<y&z>w \"q\" 'a'"));
  EXPECT_EQ(Append(e, false), "<E>x&lt;y&amp;z>w \"q\" 'a'</E>");
}

TEST(XMLAttribute, WritesTabLineFeedAndCarriageReturnAsReferences) {
  XMLElement e("E");
  e.AddAttribute("v", "a\tb\nc\rd");
  EXPECT_EQ(Append(e, false), "<E v=\"a&#9;b&#10;c&#13;d\"/>");
}

TEST(XMLString, NeverWritesCdataEndOrBareCarriageReturn) {
  XMLElement e("E");
  e.AddChild(new XMLString("a]]>b ]> ]] > ]]]>\r\n\t"));
  EXPECT_EQ(Append(e, false), "<E>a]]&gt;b ]> ]] > ]]]&gt;&#13;\n\t</E>");
}

TEST(XMLElement, NumberAttributesAreWrittenAsPercentPoint15g) {
  XMLElement e("E");
  e.AddAttribute("a", 3.0);
  e.AddAttribute("b", 1.0 / 3.0);
  e.AddAttribute("c", 0.25);
  e.AddAttribute("d", 1.5e-7);
  e.AddAttribute("e", 123456789012345678.0);
  e.AddAttribute("f", -2.5);
  e.AddAttribute("g", 0.0);
  EXPECT_EQ(Append(e, false),
            "<E a=\"3\" b=\"0.333333333333333\" c=\"0.25\" d=\"1.5e-07\" "
            "e=\"1.23456789012346e+17\" f=\"-2.5\" g=\"0\"/>");
}

// A decimal-comma numpunct facet for the C++ global locale.
struct CommaPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST(XMLElement, NumbersIgnoreTheHostLocale) {
  const std::locale oldGlobal = std::locale::global(std::locale(std::locale(), new CommaPunct));
  // A C locale with a decimal comma, where the machine has one.
  const std::string oldC = std::setlocale(LC_NUMERIC, nullptr);
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE", "fr_FR"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) break;
  }
  XMLElement e("E");
  e.AddAttribute("a", 2.5);
  std::ostringstream os;  // takes the comma facet from the global locale
  WriteXMLDocument(os, nullptr, &e, false);
  std::setlocale(LC_NUMERIC, oldC.c_str());
  std::locale::global(oldGlobal);
  EXPECT_EQ(os.str(), kDecl + "<E a=\"2.5\"/>");
}

// A host-made prolog replaces the default declaration.
class RawProlog : public XMLInterface {
 public:
  void AppendTo(std::string& out, XMLWriteState&) override { out += "<?xml version=\"1.0\"?>"; }
  void WriteTo(std::ostream& os, XMLWriteState& state, bool) override {
    std::string s;
    AppendTo(s, state);
    os << s;
  }
};

TEST(WriteXMLDocument, UsesTheGivenPrologInsteadOfTheDeclaration) {
  RawProlog prolog;
  XMLElement e("E");
  std::ostringstream os;
  WriteXMLDocument(os, &prolog, &e, true);
  EXPECT_EQ(os.str(), "<?xml version=\"1.0\"?>\n<E/>");
}

TEST(WriteXMLDocumentUTF8, ConvertsLatin1AndKeepsValidUTF8) {
  XMLElement e("E");
  e.AddAttribute("latin1", "caf\xE9");                 // Latin-1 e acute
  e.AddAttribute("two", "caf\xC3\xA9");                // U+00E9, two bytes
  e.AddAttribute("three", "\xE2\x82\xAC");             // U+20AC euro sign, three bytes
  e.AddChild(new XMLString("\xF0\x9F\x98\x80 \xE9"));  // a four-byte character with a stray 0xE9
  EXPECT_EQ(Write(e, false, /*utf8=*/true),
            kDecl +
                "<E latin1=\"caf\xC3\xA9\" two=\"caf\xC3\xA9\" three=\"\xE2\x82\xAC\">"
                "\xC3\xB0\xC2\x9F\xC2\x98\xC2\x80 \xC3\xA9</E>");
  XMLElement text("E");
  text.AddChild(new XMLString("\xF0\x9F\x98\x80"));
  EXPECT_EQ(Write(text, false, true), kDecl + "<E>\xF0\x9F\x98\x80</E>");
  // The plain writer passes every byte through.
  EXPECT_EQ(Write(text, false, false), kDecl + "<E>\xF0\x9F\x98\x80</E>");
  XMLElement latin("E");
  latin.AddAttribute("v", "\xE9");
  EXPECT_EQ(Write(latin, false, false), kDecl + "<E v=\"\xE9\"/>");
}

TEST(UTF8, EncodesEachLengthAtItsBoundaries) {
  std::string out;
  for (char32_t cp : {0x41u, 0x7Fu, 0x80u, 0xE9u, 0x7FFu, 0x800u, 0x20ACu, 0xFFFFu, 0x10000u,
                      0x1F600u, 0x10FFFFu}) {
    AppendUTF8(out, cp);
  }
  EXPECT_EQ(out,
            "\x41\x7F\xC2\x80\xC3\xA9\xDF\xBF\xE0\xA0\x80\xE2\x82\xAC\xEF\xBF\xBF"
            "\xF0\x90\x80\x80\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
  std::string bad;
  AppendUTF8(bad, 0xD800);
  AppendUTF8(bad, 0x110000);
  EXPECT_EQ(bad, "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(UTF8, RecognisesOnlyWellFormedSequences) {
  EXPECT_TRUE(IsValidUTF8(""));
  EXPECT_TRUE(IsValidUTF8("plain"));
  EXPECT_TRUE(IsValidUTF8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUTF8("\xE9"));              // Latin-1 byte
  EXPECT_FALSE(IsValidUTF8("\x80"));              // stray continuation
  EXPECT_FALSE(IsValidUTF8("\xC0\x80"));          // overlong NUL
  EXPECT_FALSE(IsValidUTF8("\xE0\x80\x80"));      // overlong three-byte
  EXPECT_FALSE(IsValidUTF8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(IsValidUTF8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUTF8("\xE2\x82"));          // truncated
  EXPECT_FALSE(IsValidUTF8("\xF8\x88\x80\x80\x80"));
  EXPECT_EQ(NarrowToUTF8("\xC3\xA9"), "\xC3\xA9");
  EXPECT_EQ(NarrowToUTF8("\xE9t\xE9"), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(NarrowToUTF8("\xC3"), "\xC3\x83");
}

}  // namespace
}  // namespace QXDecisionXML
