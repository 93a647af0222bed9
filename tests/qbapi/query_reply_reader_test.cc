// The streaming reader of query replies: values arrive exactly as the
// service wrote them whatever way expat splits the text, the envelope's
// verdict is the element tree's, and a broken reply yields no rows at all.
#include <gtest/gtest.h>

#include "qbapi/api_exchange.h"
#include "qbapi/query_reply_reader.h"

namespace {

std::string Reply(const std::string& table, const std::string& errcode = "0") {
  return "<?xml version=\"1.0\" ?>\n<qdbapi>\n<action>API_DoQuery</action>\n<errcode>" + errcode +
         "</errcode>\n<errtext>No error</errtext>\n" + table + "</qdbapi>\n";
}

// One line per record: rid, update id, then fid=text and any <url>.
std::string Dump(const QueryPage& page) {
  std::string out;
  for (const QueryPageRecord& record : page.records) {
    out += "[" + std::string(SpanText(page, record.rid)) + "/" + std::string(SpanText(page, record.updateId)) + "]";
    for (std::uint32_t i = 0; i < record.cellCount; ++i) {
      const QueryPageCell& cell = page.cells[record.firstCell + i];
      out += " " + std::to_string(cell.fieldId) + "=" + std::string(SpanText(page, cell.text));
      if (cell.hasUrl) out += "<" + std::string(SpanText(page, cell.url)) + ">";
    }
    out += "\n";
  }
  for (const auto& [id, name] : page.userNames) out += "user " + id + "=" + name + "\n";
  return out;
}

struct ValueCase {
  const char* label;
  std::string table;
  std::string expected;
};

std::vector<ValueCase> ValueCases() {
  return {
      {"plain and non-ASCII",
       "<table><records>\n<record rid=\"3\" update_id=\"99\"><f id=\"3\">3</f><f id=\"6\">caf\xC3\xA9 \xE2\x82\xAC"
       "</f></record>\n</records></table>",
       "[3/99] 3=3 6=caf\xC3\xA9 \xE2\x82\xAC\n"},
      {"entities, character references and CDATA",
       "<table><records><record rid=\"1\"><f id=\"6\">a&amp;b &lt;c&gt; &quot;&apos;&#233;&#x20AC;</f>"
       "<f id=\"7\"><![CDATA[<x> & ]]y]]></f><f id=\"8\">l1\nl2&#13;</f></record></records></table>",
       "[1/] 6=a&b <c> \"'\xC3\xA9\xE2\x82\xAC 7=<x> & ]]y 8=l1\nl2\r\n"},
      {"empty values stay present",
       "<table><records><record rid=\"2\"><f id=\"7\"/><f id=\"8\"></f><f id=\"9\">  </f></record></records></table>",
       "[2/] 7= 8= 9=  \n"},
      {"file fields keep the URL apart and the name trimmed",
       "<table><records><record rid=\"4\"><f id=\"8\"><url>http://x/up/b/a/r4/e8/v0?a=1&amp;b=2</url>r.pdf</f>"
       "<f id=\"9\">\n  <url>u</url>\n  report one.pdf\n</f><f id=\"10\"><url>v</url></f></record></records></table>",
       "[4/] 8=r.pdf<http://x/up/b/a/r4/e8/v0?a=1&b=2> 9=report one.pdf<u> 10=<v>\n"},
      {"user names from lusers",
       "<table><lusers><luser id=\"56.abc\">Ann L\xC3\xA9\x65</luser><luser id=\"57.d\">B &amp; C</luser>"
       "<luser>no id</luser></lusers><records><record rid=\"1\"><f id=\"4\">56.abc</f></record></records></table>",
       "[1/] 4=56.abc\nuser 56.abc=Ann L\xC3\xA9\x65\nuser 57.d=B & C\n"},
      {"schema and other elements are not records",
       "<table><name>T</name><fields><field id=\"6\"><label>L</label></field></fields><f id=\"1\">x</f>"
       "<records><note>n</note><record rid=\"5\"><f id=\"6\">a<b>skip</b>c</f><x>y</x><f>no id</f>"
       "<f id=\"x7\">bad id</f><f id=\"7\">z</f></record></records></table><extra><record rid=\"9\"/></extra>",
       "[5/] 6=ac 7=z\n"},
      {"records without fields or rid",
       "<table><records><record/><record rid=\"8\" update_id=\"1\"></record></records></table>", "[/]\n[8/1]\n"},
  };
}

TEST(QueryReplyReader, ValuesArriveAsTheServiceWroteThem) {
  for (const ValueCase& c : ValueCases()) {
    QueryPage page;
    ApiCallRecord call;
    ASSERT_EQ(ReadQueryReply(Reply(c.table), page, call), kMsgSuccess) << c.label << ": " << call.errdetail;
    EXPECT_EQ(Dump(page), c.expected) << c.label;
    EXPECT_EQ(call.errcode, "0") << c.label;
  }
}

// expat hands text over in pieces wherever a feed ends; no split may change
// a value, an attribute or the envelope.
TEST(QueryReplyReader, EverySplitOfTheBodyReadsTheSame) {
  for (const ValueCase& c : ValueCases()) {
    std::string body = Reply(c.table);
    for (std::size_t at = 0; at <= body.size(); ++at) {
      std::string_view view(body);
      QueryPage page;
      ApiCallRecord call;
      ASSERT_EQ(ReadQueryReplyPieces({view.substr(0, at), view.substr(at)}, page, call), kMsgSuccess)
          << c.label << " split at " << at;
      ASSERT_EQ(Dump(page), c.expected) << c.label << " split at " << at;
    }
    std::vector<std::string_view> bytes;
    for (std::size_t i = 0; i < body.size(); ++i) bytes.push_back(std::string_view(body).substr(i, 1));
    QueryPage page;
    ApiCallRecord call;
    ASSERT_EQ(ReadQueryReplyPieces(bytes, page, call), kMsgSuccess) << c.label;
    EXPECT_EQ(Dump(page), c.expected) << c.label << " byte by byte";
  }
}

TEST(QueryReplyReader, ServiceErrorsKeepTheirTextsAndNoRows) {
  struct {
    const char* label;
    std::string body;
    const char* errcode;
    const char* errtext;
    const char* errdetail;
  } cases[] = {
      {"error with detail",
       "<qdbapi><errcode>31</errcode><errtext>No such field</errtext><errdetail>fid 99 &amp; more</errdetail>"
       "<table><records><record rid=\"1\"><f id=\"6\">a</f></record></records></table></qdbapi>",
       "31", "No such field", "fid 99 & more"},
      {"errcode after the records",
       "<qdbapi><table><records><record rid=\"1\"><f id=\"6\">a</f></record></records></table>"
       "<errcode>4</errcode><errtext>Invalid ticket</errtext></qdbapi>",
       "4", "Invalid ticket", ""},
      {"only the first errcode counts",
       "<qdbapi><errcode>7</errcode><errcode>0</errcode><errtext>A</errtext><errtext>B</errtext></qdbapi>", "7", "A",
       ""},
  };
  for (const auto& c : cases) {
    QueryPage page;
    ApiCallRecord call;
    EXPECT_EQ(ReadQueryReply(c.body, page, call), kMsgServerError) << c.label;
    EXPECT_EQ(call.origin, ApiFailureOrigin::kService) << c.label;
    EXPECT_EQ(call.errcode, c.errcode) << c.label;
    EXPECT_EQ(call.errtext, c.errtext) << c.label;
    EXPECT_EQ(call.errdetail, c.errdetail) << c.label;
    EXPECT_EQ(call.failureCount, 1u) << c.label;
    EXPECT_TRUE(page.records.empty() && page.cells.empty() && page.userNames.empty()) << c.label;
  }
}

void ExpectMalformed(const std::string& body, const std::string& label) {
  QueryPage page;
  ApiCallRecord call;
  EXPECT_EQ(ReadQueryReply(body, page, call), kMsgServerError) << label;
  EXPECT_EQ(call.origin, ApiFailureOrigin::kHttp) << label;
  EXPECT_EQ(call.errtext, "Malformed reply from the service") << label;
  EXPECT_FALSE(call.errdetail.empty()) << label;
  EXPECT_TRUE(page.records.empty() && page.cells.empty() && page.text.empty() && page.userNames.empty()) << label;
}

TEST(QueryReplyReader, MalformedRepliesYieldNoRows) {
  const std::string cases[] = {
      "",
      "not xml",
      "<html><body>Bad gateway</body></html>",
      "<qdbapi><errtext>No error</errtext></qdbapi>",
      "<qdbapi><errcode>zero</errcode></qdbapi>",
      "<qdbapi><errcode>0</errcode><table><records><record rid=\"1\"><f id=\"6\">a</record></records></table>"
      "</qdbapi>",
      "<qdbapi><errcode>0</errcode><table><records><record rid=\"1\"><f id=\"6\">a&bogus;</f></record></records>"
      "</table></qdbapi>",
      "<qdbapi><errcode>0</errcode><table><records><record rid=\"1\"><f id=\"6\">\xff\xfe</f></record></records>"
      "</table></qdbapi>",
      "<?xml version=\"1.0\" encoding=\"x-unknown\"?><qdbapi><errcode>0</errcode></qdbapi>",
      "<qdbapi><errcode>0</errcode></qdbapi><qdbapi/>",
      // Without its records a page would read as the end of the data.
      "<qdbapi><errcode>0</errcode></qdbapi>",
      "<qdbapi><errcode>0</errcode><table><name>T</name></table></qdbapi>",
      // A document type is refused before anything it declares is used.
      "<!DOCTYPE q [<!ENTITY a \"x\">]><qdbapi><errcode>0</errcode><table><records><record rid=\"1\">"
      "<f id=\"6\">&a;</f></record></records></table></qdbapi>",
  };
  for (const std::string& body : cases) ExpectMalformed(body, body.substr(0, 70));
}

// Inside an element it has no use for, the reader follows 256 levels.
TEST(QueryReplyReader, NestingOfIgnoredElementsIsBounded) {
  for (int depth : {256, 257}) {
    std::string body = "<qdbapi><errcode>0</errcode><table><records/></table>";
    for (int i = 0; i < depth; ++i) body += "<a>";
    for (int i = 0; i < depth; ++i) body += "</a>";
    body += "</qdbapi>";
    QueryPage page;
    ApiCallRecord call;
    const MessageId id = ReadQueryReply(body, page, call);
    if (depth == 256) {
      EXPECT_EQ(id, kMsgSuccess) << call.errdetail;
    } else {
      EXPECT_EQ(id, kMsgServerError);
      EXPECT_EQ(call.errdetail, "reply nested deeper than 256 levels");
    }
  }
}

// A reply cut off anywhere, even just before its last '>', is refused as a
// whole: rows read before the cut must not pass as a complete page.
TEST(QueryReplyReader, TruncatedRepliesYieldNoRows) {
  std::string body = Reply(ValueCases()[3].table);
  std::size_t end = body.find_last_not_of("\n") + 1;
  for (std::size_t length = 0; length < end; ++length)
    ExpectMalformed(body.substr(0, length), "cut at " + std::to_string(length));
}

// Reading reuses a page: nothing of the previous reply may survive.
TEST(QueryReplyReader, APageIsReusedWithoutLeftovers) {
  QueryPage page;
  ApiCallRecord call;
  ASSERT_EQ(ReadQueryReply(Reply(ValueCases()[4].table), page, call), kMsgSuccess);
  ASSERT_EQ(ReadQueryReply(Reply(ValueCases()[2].table), page, call), kMsgSuccess);
  EXPECT_EQ(Dump(page), ValueCases()[2].expected);
}

}  // namespace
