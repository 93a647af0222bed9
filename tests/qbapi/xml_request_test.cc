// Request bodies: every value must reach the service exactly as given, so
// each case is built into a body and read back with the reply parser.
#include <gtest/gtest.h>

#include "qbapi/api_session.h"
#include "qbapi/xml_reply.h"
#include "qbapi/xml_request.h"

namespace {

std::string RoundTrip(void (*add)(XmlRequest&, std::string_view, std::string_view), const std::string& value) {
  XmlRequest request;
  add(request, "v", value);
  XmlElement root;
  std::string error;
  EXPECT_TRUE(ParseXmlDocument(WrapXmlRequest("", request), root, error)) << error << " for " << value;
  return ChildText(root, "v");
}

struct ValueCase {
  const char* label;
  std::string value;
};

const ValueCase kValues[] = {
    {"plain", "Orders"},
    {"markup", "a<b>&c\"d'e"},
    {"entity text", "&amp; stays literal"},
    {"cdata terminator", "x]]>y"},
    {"cdata opener", "<![CDATA[z]]>"},
    {"non-ASCII", "M\xC3\xBCller \xE2\x80\x93 \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x98\x80"},
    {"carriage return", "line1\r\nline2\rline3"},
    {"tab and newline", "a\tb\nc"},
    {"empty", ""},
    {"csv with quotes", "1,\"He said \"\"hi\"\"\",x\n2,,y\n"},
};

TEST(XmlRequest, EscapedElementRoundTrips) {
  for (const ValueCase& c : kValues) EXPECT_EQ(RoundTrip(AddXmlElement, c.value), c.value) << c.label;
}

TEST(XmlRequest, CdataElementRoundTrips) {
  for (const ValueCase& c : kValues) EXPECT_EQ(RoundTrip(AddXmlCdataElement, c.value), c.value) << c.label;
}

TEST(XmlRequest, CdataUsedOnlyWhenSafe) {
  struct {
    std::string value;
    bool cdata;
  } cases[] = {{"a,b\n", true}, {"x]]>y", false}, {"a\rb", false}, {std::string("a\x01" "b"), false}};
  for (const auto& c : cases) {
    XmlRequest request;
    AddXmlCdataElement(request, "records_csv", c.value);
    EXPECT_EQ(request.fragment.find("<![CDATA[") != std::string::npos, c.cdata) << request.fragment;
  }
}

TEST(XmlRequest, AttributesAreEscaped) {
  XmlRequest request;
  AddXmlElementWithAttributes(request, "field", {{"fid", "7"}, {"filename", "a\"b<c>.pdf"}}, "QUJD");
  XmlElement root;
  std::string error;
  ASSERT_TRUE(ParseXmlDocument(WrapXmlRequest("", request), root, error)) << error;
  const XmlElement* field = FindChild(root, "field");
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(*FindAttribute(*field, "filename"), "a\"b<c>.pdf");
  EXPECT_EQ(field->text, "QUJD");
}

TEST(XmlRequest, CredentialBlockFollowsSessionState) {
  struct {
    const char* ticket;
    const char* appToken;
    std::vector<std::string> present;
    std::vector<std::string> absent;
  } cases[] = {
      {"", "", {"<username>u&amp;1</username>", "<password>p&lt;w</password>"}, {"<ticket>", "<apptoken>"}},
      {"T1", "", {"<ticket>T1</ticket>"}, {"<username>", "<password>", "<apptoken>"}},
      {"T1", "tok", {"<ticket>T1</ticket>", "<apptoken>tok</apptoken>"}, {"<password>"}},
  };
  for (const auto& c : cases) {
    ApiSession session;
    session.userName = "u&1";
    session.password = "p<w";
    session.ticket = c.ticket;
    session.appToken = c.appToken;
    std::string block = BuildCredentialBlock(session);
    for (const std::string& text : c.present) EXPECT_NE(block.find(text), std::string::npos) << block;
    for (const std::string& text : c.absent) EXPECT_EQ(block.find(text), std::string::npos) << block;
  }
}

}  // namespace
