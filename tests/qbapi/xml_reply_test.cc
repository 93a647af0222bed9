// Reply parsing: a broken or hostile reply must end in a clear 999
// diagnostic, and well-formed values must arrive as UTF-8 unchanged.
#include <gtest/gtest.h>

#include "common/diagnostics.h"
#include "qbapi/reply_envelope.h"
#include "qbapi/xml_reply.h"

namespace {

std::string Nested(int depth) {
  std::string text = "<qdbapi><errcode>0</errcode>";
  for (int i = 0; i < depth; ++i) text += "<a>";
  for (int i = 0; i < depth; ++i) text += "</a>";
  return text + "</qdbapi>";
}

TEST(XmlReply, MalformedRepliesAreTransportFailures) {
  const std::string cases[] = {
      "",
      "not xml at all",
      "<qdbapi><errcode>0</errcode>",
      "<qdbapi><errcode>0</errcode></other>",
      "<html><body>Bad gateway</body></html>",
      "<qdbapi><errtext>No error</errtext></qdbapi>",
      "<qdbapi><errcode>zero</errcode></qdbapi>",
      "<qdbapi><errcode></errcode></qdbapi>",
      "<?xml version=\"1.0\" encoding=\"x-unknown\"?><qdbapi/>",
      "<qdbapi><errcode>0</errcode>\xff\xfe</qdbapi>",
      Nested(500),
      // Document types are refused before any entity is declared or used.
      "<!DOCTYPE qdbapi [<!ENTITY a \"x\"><!ENTITY b \"&a;&a;\">]><qdbapi><errcode>0</errcode><v>&b;</v></qdbapi>",
      "<?xml version=\"1.0\"?><!DOCTYPE qdbapi SYSTEM \"qdbapi.dtd\"><qdbapi><errcode>0</errcode></qdbapi>",
      "<!DOCTYPE qdbapi><qdbapi><errcode>0</errcode></qdbapi>",
  };
  for (const std::string& body : cases) {
    XmlElement root;
    ApiCallRecord call;
    EXPECT_EQ(InterpretXmlReply(body, root, call), kMsgServerError) << body.substr(0, 60);
    EXPECT_EQ(call.origin, ApiFailureOrigin::kHttp) << body.substr(0, 60);
    EXPECT_EQ(call.errtext, "Malformed reply from the service");
    EXPECT_FALSE(call.errdetail.empty());
    EXPECT_NE(call.errcode, "0");
  }
}

// The tree keeps 64 levels, the root's included, and names the bound it
// refuses a reply by (the element count's is left to the integration tests:
// a million elements take seconds to build in the sanitizer build).
TEST(XmlReply, DepthIsBounded) {
  const struct {
    std::string body;
    const char* refusal;  // nullptr: read
  } cases[] = {
      {Nested(63), nullptr},
      {Nested(64), "reply nested deeper than 64 levels"},
  };
  for (const auto& c : cases) {
    XmlElement root;
    ApiCallRecord call;
    const MessageId id = InterpretXmlReply(c.body, root, call);
    EXPECT_EQ(id, c.refusal == nullptr ? kMsgSuccess : kMsgServerError) << c.body.size();
    if (c.refusal != nullptr) {
      EXPECT_EQ(call.errdetail, c.refusal);
    }
  }
}

TEST(XmlReply, ServiceErrorsCarryTheirTexts) {
  XmlElement root;
  ApiCallRecord call;
  std::string body =
      "<qdbapi><action>API_Authenticate</action><errcode>20</errcode>"
      "<errtext>Unknown username/password</errtext><errdetail>Sign in &amp; retry 100%s</errdetail></qdbapi>";
  EXPECT_EQ(InterpretXmlReply(body, root, call), kMsgServerError);
  EXPECT_EQ(call.origin, ApiFailureOrigin::kService);
  EXPECT_EQ(call.errcode, "20");
  EXPECT_EQ(call.errtext, "Unknown username/password");
  EXPECT_EQ(call.errdetail, "Sign in & retry 100%s");
}

// Both texts of the envelope are kept to a diagnostic's detail bound.
TEST(XmlReply, LongServiceTextsAreCut) {
  const std::string text(5 * 1024 * 1024, 'e');
  XmlElement root;
  ApiCallRecord call;
  const std::string body =
      "<qdbapi><errcode>1</errcode><errtext>" + text + "</errtext><errdetail>" + text + "</errdetail></qdbapi>";
  EXPECT_EQ(InterpretXmlReply(body, root, call), kMsgServerError);
  const std::string kept = text.substr(0, kMaxRecordedText - std::string(kCutMarker).size()) + kCutMarker;
  EXPECT_EQ(call.errtext, kept);
  EXPECT_EQ(call.errdetail, kept);
}

TEST(XmlReply, ValuesArriveAsUtf8) {
  struct {
    std::string document;
    std::string expected;
  } cases[] = {
      {"<qdbapi><errcode>0</errcode><v>Z\xC3\xBCrich \xE2\x82\xAC</v></qdbapi>", "Z\xC3\xBCrich \xE2\x82\xAC"},
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><qdbapi><errcode>0</errcode><v>Z\xFCrich</v></qdbapi>",
       "Z\xC3\xBCrich"},
      {"<qdbapi><errcode>0</errcode><v><![CDATA[a]]]]><![CDATA[>b <x>]]></v></qdbapi>", "a]]>b <x>"},
      {"<qdbapi><errcode>0</errcode><v>a&#13;&#10;b&#x1F600;</v></qdbapi>", "a\r\nb\xF0\x9F\x98\x80"},
      {"<qdbapi><errcode>0</errcode><v/></qdbapi>", ""},
  };
  for (const auto& c : cases) {
    XmlElement root;
    ApiCallRecord call;
    ASSERT_EQ(InterpretXmlReply(c.document, root, call), kMsgSuccess) << call.errdetail;
    EXPECT_EQ(ChildText(root, "v"), c.expected);
  }
}

TEST(XmlReply, AttributesAndChildrenAreKept) {
  XmlElement root;
  std::string error;
  ASSERT_TRUE(ParseXmlDocument("<r><f id=\"6\" mode=\"virtual\"><label>L</label>tail</f><f id=\"7\"/></r>", root,
                               error));
  ASSERT_EQ(root.children.size(), 2u);
  EXPECT_EQ(*FindAttribute(root.children[0], "mode"), "virtual");
  EXPECT_EQ(ChildText(root.children[0], "label"), "L");
  EXPECT_EQ(root.children[0].text, "tail");
  EXPECT_EQ(FindAttribute(root.children[1], "mode"), nullptr);
  EXPECT_EQ(FindChild(root, "missing"), nullptr);
}

}  // namespace
