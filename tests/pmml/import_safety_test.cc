// Tests of the PMML reader's defences: hostile documents are refused with 110030 before they
// can cost much time or memory, and nothing outside the text is ever read.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "import_fixtures.h"
#include "pmml/pmml_importer.h"
#include "pmml/reader/safe_xml.h"
#include "pmml/reader/scorer_exception.h"
#include "ruleweave/model/model.h"

namespace {

// The status code of importing `document` into the fixtures' variable list; `message`
// receives the reader's explanation.
long ImportCode(const std::string& document, std::string* message = nullptr) {
  std::unique_ptr<DLVarList> vars = import_fixtures::MakeVarList();
  DLPMMLImporter importer(vars.get(), false);
  DLModel* raw = nullptr;
  const long code = importer.Import(document, &raw).GetErrorCode();
  EXPECT_EQ(raw == nullptr, code != 0);
  delete raw;
  if (message != nullptr) *message = importer.GetErrorMessage();
  return code;
}

std::string ValidDocument() {
  return import_fixtures::OneRuleDocument("age",
                                          R"(<SimplePredicate field="age" operator="isMissing"/>)");
}

TEST(PMMLImportSafety, BillionLaughsIsRefused) {
  std::string document = "<?xml version=\"1.0\"?>\n<!DOCTYPE PMML [\n<!ENTITY a0 \"lol\">\n";
  for (int i = 1; i <= 10; ++i) {
    document += "<!ENTITY a" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) document += "&a" + std::to_string(i - 1) + ";";
    document += "\">\n";
  }
  document += "]>\n<PMML version=\"3.0\">&a10;</PMML>\n";
  EXPECT_EQ(ImportCode(document), 110030);
}

TEST(PMMLImportSafety, EntityRepeatedInAnAttributeIsRefused) {
  std::string document = "<!DOCTYPE PMML [<!ENTITY big \"" + std::string(10000, 'x') + "\">]>";
  document += "<PMML version=\"";
  for (int i = 0; i < 10000; ++i) document += "&big;";
  document += "\"/>";
  std::string message;
  EXPECT_EQ(ImportCode(document, &message), 110030);
  EXPECT_NE(message.find("declarations are not accepted"), std::string::npos) << message;
}

TEST(PMMLImportSafety, ExternalEntitiesAreNeverOpened) {
  // A FIFO blocks whoever opens it for reading until a writer comes: a reader that tried to
  // resolve the entity would hang here instead of answering.
  char dir[] = "/tmp/rw_import_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string fifo = std::string(dir) + "/entity";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string entity = "<!DOCTYPE PMML [<!ENTITY ext SYSTEM \"file://" + fifo +
                             "\">]><PMML version=\"3.0\">&ext;</PMML>";
  const std::string subset = "<!DOCTYPE PMML SYSTEM \"" + fifo + "\"><PMML version=\"3.0\"/>";
  const std::string parameter =
      "<!DOCTYPE PMML [<!ENTITY % p SYSTEM \"" + fifo + "\"> %p;]><PMML version=\"3.0\"/>";
  EXPECT_EQ(ImportCode(entity), 110030);
  EXPECT_EQ(ImportCode(subset), 110030);
  EXPECT_EQ(ImportCode(parameter), 110030);
  unlink(fifo.c_str());
  rmdir(dir);
}

// The reason the parser alone (without the prescan) gives for `document`, or "" if it took it.
std::string ParserRefusal(const std::string& document) {
  QXScore::XmlLimits limits;
  limits.prescan = false;
  try {
    QXScore::ParseXmlSafely(document, limits);
  } catch (const QXScore::ScorerException& e) {
    return e.GetErrorMessage();
  }
  return "";
}

TEST(PMMLImportSafety, ParserRefusesDoctypeAndDepthWithoutThePrescan) {
  std::string laughs = "<!DOCTYPE PMML [<!ENTITY a0 \"lol\">";
  for (int i = 1; i <= 10; ++i) {
    laughs += "<!ENTITY a" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) laughs += "&a" + std::to_string(i - 1) + ";";
    laughs += "\">";
  }
  laughs += "]><PMML version=\"&a10;\">&a10;</PMML>";
  EXPECT_NE(ParserRefusal(laughs).find("declarations are not accepted"), std::string::npos);
  EXPECT_NE(ParserRefusal("<!DOCTYPE PMML SYSTEM \"http://127.0.0.1:1/x.dtd\"><PMML/>")
                .find("declarations are not accepted"),
            std::string::npos);
  std::string deep;
  for (int i = 0; i < 1000; ++i) deep += "<a>";
  EXPECT_NE(ParserRefusal(deep).find("nested more than 64"), std::string::npos);
  EXPECT_EQ(ParserRefusal("<PMML/>"), "");
}

TEST(PMMLImportSafety, DoctypeInsideACommentIsHarmless) {
  const QXScore::XmlLimits limits;
  EXPECT_FALSE(QXScore::PrescanXml("<!DOCTYPE PMML><PMML/>", limits).empty());
  // Inside a comment the text is harmless and passes the prescan.
  EXPECT_EQ(QXScore::PrescanXml("<!-- <!DOCTYPE x> --><PMML/>", limits), "");
  const std::string valid = ValidDocument();
  EXPECT_EQ(ImportCode("<!-- <!DOCTYPE x> -->" + valid.substr(valid.find("<PMML"))), 0);
}

TEST(PMMLImportSafety, DeepNestingIsRefused) {
  std::string document = "<PMML>";
  for (int i = 0; i < 100000; ++i) document += "<a>";
  for (int i = 0; i < 100000; ++i) document += "</a>";
  document += "</PMML>";
  std::string message;
  EXPECT_EQ(ImportCode(document, &message), 110030);
  EXPECT_NE(message.find("nested"), std::string::npos) << message;
}

TEST(PMMLImportSafety, ManyAttributesAreRefused) {
  std::string document = "<PMML";
  for (int i = 0; i < 50000; ++i) document += " a" + std::to_string(i) + "=\"1\"";
  document += "/>";
  EXPECT_EQ(ImportCode(document), 110030);
  // Also in a tag after a malformed one, where the parser goes on without its callbacks.
  std::string afterError = "<PMML><x a=\"<\"/><y";
  for (int i = 0; i < 50000; ++i) afterError += " a" + std::to_string(i) + "='1'";
  afterError += "/></PMML>";
  EXPECT_EQ(ImportCode(afterError), 110030);
}

TEST(PMMLImportSafety, ManyNamespaceDeclarationsAreRefused) {
  std::string document = "<PMML>";
  for (int i = 0; i < 1000; ++i) document += "<a xmlns:p" + std::to_string(i) + "=\"u\"/>";
  document += "</PMML>";
  EXPECT_EQ(ImportCode(document), 110030);
}

TEST(PMMLImportSafety, RulesWithThousandsOfPredicatesAreRefused) {
  // Checking a rule's fields for repeats grows with the square of its predicates.
  std::string predicates;
  for (int i = 0; i < 1001; ++i) {
    predicates += R"(<SimplePredicate field="age" operator="isMissing"/>)";
  }
  std::string message;
  EXPECT_EQ(ImportCode(import_fixtures::OneRuleDocument(
                           "age", "<CompoundPredicate booleanOperator=\"and\">" + predicates +
                                      "</CompoundPredicate>"),
                       &message),
            110030);
  EXPECT_NE(message.find("more than 1000 predicates"), std::string::npos) << message;
}

TEST(PMMLImportSafety, OnlyUtf8IsRead) {
  std::string withNul = ValidDocument();
  withNul[50] = '\0';
  EXPECT_EQ(ImportCode(withNul), 110030);
  EXPECT_EQ(ImportCode("\xFF\xFE<\0P\0M\0M\0L\0/\0>\0"), 110030);
  EXPECT_EQ(ImportCode("\x4C\x6F\xA7\x94\x93"), 110030);
  // An encoding declaration does not switch the reader away from UTF-8.
  std::string declared = ValidDocument();
  declared.replace(declared.find("UTF-8"), 5, "ISO-8859-1");
  EXPECT_EQ(ImportCode(declared), 0);
  EXPECT_EQ(ImportCode("<PMML version=\"\xC3\x28\"/>"), 110030);  // invalid UTF-8
}

TEST(PMMLImportSafety, MalformedAndTruncatedDocumentsAreRefused) {
  const std::string valid = ValidDocument();
  ASSERT_EQ(ImportCode(valid), 0);
  for (std::size_t cut : {std::size_t{1}, std::size_t{40}, valid.size() / 3, valid.size() - 9}) {
    EXPECT_EQ(ImportCode(valid.substr(0, cut)), 110030) << cut;
  }
  EXPECT_EQ(ImportCode(""), 110030);
  EXPECT_EQ(ImportCode("<PMML><a></b></PMML>"), 110030);
  EXPECT_EQ(ImportCode("<PMML a='1' a='2'/>"), 110030);
  EXPECT_EQ(ImportCode(valid + "<PMML/>"), 110030);
  std::string message;
  EXPECT_EQ(ImportCode("<PMML>\n  <a>\n</PMML>", &message), 110030);
  EXPECT_NE(message.find("line 3"), std::string::npos) << message;
}

TEST(PMMLImportSafety, SizeLimitAcceptsSixtyFourMebibytes) {
  const QXScore::XmlLimits limits;
  ASSERT_EQ(limits.maxBytes, std::size_t{64} << 20);
  // One model, then one comment and blanks fill the document up to the bound exactly.
  const std::string valid = ValidDocument();
  std::string large = valid + "<!--" + std::string(limits.maxBytes / 2, 'p') + "-->";
  large.append(limits.maxBytes - large.size(), ' ');
  ASSERT_EQ(large.size(), limits.maxBytes);
  EXPECT_EQ(ImportCode(large), 0);
  large += "\n";
  std::string message;
  EXPECT_EQ(ImportCode(large, &message), 110030);
  EXPECT_NE(message.find("larger than"), std::string::npos) << message;
}

}  // namespace
