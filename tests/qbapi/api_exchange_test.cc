// The request cycle against a loopback server: transport failures and stalls
// become the right failure origin, an expired ticket is renewed exactly once,
// and the operations read their replies.
#include <gtest/gtest.h>

#include "canned_http_server.h"
#include "qbapi/api_exchange.h"
#include "qbapi/api_operations.h"
#include "unused_port.h"

namespace {

void PointAt(ApiSession& session, const std::string& url) {
  session.transport.settings.baseUrl = url;
  session.transport.settings.receiveTimeoutMs = 5000;
  session.userName = "ann@example.com";
  session.password = "pw";
}

TEST(ApiExchange, TransportFailuresHaveTheirOrigin) {
  CannedReply unavailable;
  unavailable.status = 503;
  unavailable.body = "busy";
  CannedReply notXml;
  notXml.contentType = "text/html";
  notXml.body = "<html>proxy login</html>";
  CannedReply stalled;
  stalled.stall = true;
  struct {
    const char* label;
    std::vector<CannedReply> replies;
    ApiFailureOrigin origin;
    const char* errtext;
  } cases[] = {
      {"HTTP 503", {unavailable}, ApiFailureOrigin::kHttp, "HTTP status 503"},
      {"HTML page", {notXml}, ApiFailureOrigin::kHttp, "Malformed reply from the service"},
      {"stall", {stalled}, ApiFailureOrigin::kTimeout, "Request timed out"},
  };
  for (const auto& c : cases) {
    CannedHttpServer server(c.replies);
    ApiSession session;
    PointAt(session, server.Url());
    session.transport.settings.receiveTimeoutMs = 300;
    ApiCallRecord call;
    EXPECT_EQ(ApiAuthenticate(session, call), kMsgServerError) << c.label;
    EXPECT_EQ(call.origin, c.origin) << c.label;
    EXPECT_EQ(call.errtext, c.errtext) << c.label;
    EXPECT_NE(call.errcode, "0") << c.label;
  }
}

TEST(ApiExchange, RefusedConnectionIsCommunicationFailure) {
  ApiSession session;
  PointAt(session, "http://127.0.0.1:" + std::to_string(UnusedPort()));
  ApiCallRecord call;
  EXPECT_EQ(ApiAuthenticate(session, call), kMsgServerError);
  EXPECT_EQ(call.origin, ApiFailureOrigin::kHttp);
  EXPECT_FALSE(call.errtext.empty());
  EXPECT_NE(call.errdetail.find("127.0.0.1"), std::string::npos) << call.errdetail;
}

TEST(ApiExchange, AuthenticateKeepsTicketAndSendsItLater) {
  CannedHttpServer server({Envelope("0", "<ticket>T-1</ticket><userid>56.abc</userid>"),
                           Envelope("0", "<user id=\"56.abc\"><login>ann</login></user>")});
  ApiSession session;
  PointAt(session, server.Url());
  session.appToken = "tok";
  ApiCallRecord call;
  ASSERT_EQ(ApiAuthenticate(session, call), kMsgSuccess) << call.errtext;
  EXPECT_EQ(session.ticket, "T-1");
  std::string userId;
  ASSERT_EQ(ApiGetUserInfo(session, userId, call), kMsgSuccess);
  EXPECT_EQ(userId, "56.abc");
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_NE(requests[0].head.find("POST /db/main"), std::string::npos);
  EXPECT_NE(requests[0].head.find("QUICKBASE-ACTION: API_Authenticate"), std::string::npos);
  EXPECT_NE(requests[0].body.find("<username>ann@example.com</username>"), std::string::npos);
  EXPECT_NE(requests[1].body.find("<ticket>T-1</ticket>"), std::string::npos);
  EXPECT_EQ(requests[1].body.find("<password>"), std::string::npos);
  EXPECT_NE(requests[1].body.find("<apptoken>tok</apptoken>"), std::string::npos);
}

TEST(ApiExchange, ExpiredTicketIsRenewedOnce) {
  struct {
    const char* label;
    std::vector<CannedReply> replies;
    MessageId result;
    std::size_t requests;
  } cases[] = {
      {"renewed", {Envelope("4", "", "Invalid ticket"), Envelope("0", "<ticket>T-2</ticket>"), Envelope("0")},
       kMsgSuccess, 3},
      {"refused again",
       {Envelope("4", "", "Invalid ticket"), Envelope("0", "<ticket>T-2</ticket>"), Envelope("4", "", "Invalid ticket")},
       kMsgServerError, 3},
      {"renewal fails", {Envelope("4", "", "Invalid ticket"), Envelope("20", "", "Unknown user")}, kMsgServerError, 2},
  };
  for (const auto& c : cases) {
    CannedHttpServer server(c.replies);
    ApiSession session;
    PointAt(session, server.Url());
    session.ticket = "T-old";
    ApiCallRecord call;
    EXPECT_EQ(ApiSetKeyField(session, call, "bqx7zzzzz", "6"), c.result) << c.label;
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), c.requests) << c.label;
    EXPECT_NE(requests[0].body.find("<ticket>T-old</ticket>"), std::string::npos);
    EXPECT_NE(requests[1].body.find("<password>pw</password>"), std::string::npos);
    if (c.requests == 3) {
      EXPECT_NE(requests[2].body.find("<ticket>T-2</ticket>"), std::string::npos);
    }
  }
}

TEST(ApiExchange, CredentialFailureWithoutTicketIsNotRetried) {
  CannedHttpServer server({Envelope("4", "", "Invalid ticket")});
  ApiSession session;
  PointAt(session, server.Url());
  ApiCallRecord call;
  EXPECT_EQ(ApiSetKeyField(session, call, "bqx7zzzzz", "6"), kMsgServerError);
  EXPECT_EQ(call.errcode, "4");
  EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(ApiOperations, RefusedBeforeSending) {
  CannedHttpServer server({});
  ApiSession session;
  PointAt(session, server.Url());
  ApiCallRecord call;
  std::int64_t deleted = -1;
  EXPECT_EQ(ApiPurgeRecords(session, call, "bqx7zzzzz", "  ", deleted), kMsgServerError);
  EXPECT_EQ(ApiSetKeyField(session, call, "../../etc", "6"), kMsgServerError);
  EXPECT_EQ(ApiSetFieldProperties(session, call, "bqx7zzzzz", "6", {{"a><b", "1"}}), kMsgServerError);
  EXPECT_EQ(server.Requests().size(), 0u);
}

TEST(ApiOperations, DoQueryReadsRecordsFilesAndUsers) {
  CannedHttpServer server({Envelope(
      "0",
      "<table><lusers><luser id=\"56.abc\">Ann Lee</luser></lusers><records>"
      "<record rid=\"3\" update_id=\"99\"><f id=\"3\">3</f><f id=\"6\">caf\xC3\xA9</f><f id=\"7\"/>"
      "<f id=\"8\"><url>http://x/up/bqx7zzzzz/a/r3/e8/v0</url>r.pdf</f></record>"
      "<record rid=\"4\"><f id=\"6\">b</f></record></records></table>")});
  ApiSession session;
  PointAt(session, server.Url());
  session.ticket = "T";
  ApiCallRecord call;
  std::vector<QueryRecord> records;
  QueryRequest request{"{'6'.EX.'x'}", "3.6.7.8", "3", "num-1000"};
  ASSERT_EQ(ApiDoQuery(session, call, "bqx7zzzzz", request, records), kMsgSuccess) << call.errdetail;
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].rid, "3");
  EXPECT_EQ(records[0].updateId, "99");
  EXPECT_EQ(records[0].values["6"], "caf\xC3\xA9");
  EXPECT_EQ(records[0].values.count("7"), 1u);
  EXPECT_EQ(records[0].values["8"], "r.pdf");
  EXPECT_EQ(records[0].fileUrls["8"], "http://x/up/bqx7zzzzz/a/r3/e8/v0");
  EXPECT_EQ(session.userNames["56.abc"], "Ann Lee");
  std::string body = server.Requests()[0].body;
  EXPECT_NE(body.find("<query>{&apos;6&apos;.EX.&apos;x&apos;}</query>"), std::string::npos) << body;
  EXPECT_NE(body.find("<fmt>structured</fmt>"), std::string::npos);
}

// Query pages share one reply buffer on the session: each page holds exactly
// the records of its own reply, never bytes of an earlier, longer one, and a
// failed reply yields none.
TEST(ApiOperations, DoQueryPagesReuseTheReplyBuffer) {
  std::string many;
  for (int rid = 1; rid <= 3000; ++rid)
    many += "<record rid=\"" + std::to_string(rid) + "\"><f id=\"6\">value number " + std::to_string(rid) +
            "</f></record>";
  const CannedReply big = Envelope("0", "<table><records>" + many + "</records></table>");
  const CannedReply small = Envelope("0", "<table><records><record rid=\"7\"><f id=\"6\">only</f></record>"
                                          "</records></table>");
  CannedReply refusedStatus = big;
  refusedStatus.status = 500;
  CannedReply cut = big;
  cut.body.resize(cut.body.size() / 2);
  const CannedReply expired = Envelope("4", "<table><records>" + many + "</records></table>", "Invalid ticket");
  CannedHttpServer server(
      {big, small, refusedStatus, cut, small, expired, Envelope("0", "<ticket>T-2</ticket>"), small});
  ApiSession session;
  PointAt(session, server.Url());
  session.ticket = "T";
  struct {
    const char* label;
    MessageId result;
    const char* errcode;
    std::size_t records;
    const char* lastRid;
    const char* lastValue;
    std::size_t bodySize;
  } steps[] = {
      {"large reply", kMsgSuccess, "0", 3000, "3000", "value number 3000", big.body.size()},
      {"short reply after it", kMsgSuccess, "0", 1, "7", "only", small.body.size()},
      {"HTTP failure with an XML body", kMsgServerError, "500", 0, "", "", 0},
      {"reply cut short", kMsgServerError, "-1", 0, "", "", 0},
      {"short reply after a failure", kMsgSuccess, "0", 1, "7", "only", small.body.size()},
      {"renewed after a longer refused reply", kMsgSuccess, "0", 1, "7", "only", small.body.size()},
  };
  for (const auto& step : steps) {
    ApiCallRecord call;
    QueryPage page;
    QueryRequest request{"", "6", "3", "num-3000"};
    EXPECT_EQ(ApiDoQueryPage(session, call, "bqx7zzzzz", request, page), step.result) << step.label;
    EXPECT_EQ(call.errcode, step.errcode) << step.label;
    ASSERT_EQ(page.records.size(), step.records) << step.label;
    if (step.records == 0) continue;
    EXPECT_EQ(call.contentLength, std::to_string(step.bodySize)) << step.label;
    const QueryPageRecord& last = page.records.back();
    EXPECT_EQ(SpanText(page, last.rid), step.lastRid) << step.label;
    ASSERT_EQ(last.cellCount, 1u) << step.label;
    EXPECT_EQ(SpanText(page, page.cells[last.firstCell].text), step.lastValue) << step.label;
  }
}

TEST(ApiOperations, CsvResultsAndImport) {
  CannedReply csv;
  csv.contentType = "text/csv";
  csv.body = "\"Record ID#\",\"Name\"\n3,\"a\"\n";
  CannedHttpServer server({csv, Envelope("31", "", "No such field"),
                           Envelope("0", "<num_recs_input>2</num_recs_input><num_recs_added>1</num_recs_added>"
                                         "<num_recs_updated>1</num_recs_updated><rids><rid>9</rid><rid>3</rid></rids>")});
  ApiSession session;
  PointAt(session, server.Url());
  session.ticket = "T";
  ApiCallRecord call;
  std::string text;
  ASSERT_EQ(ApiGenResultsTableCsv(session, call, "bqx7zzzzz", QueryRequest{}, text), kMsgSuccess);
  EXPECT_EQ(text, csv.body);
  EXPECT_EQ(ApiGenResultsTableCsv(session, call, "bqx7zzzzz", QueryRequest{}, text), kMsgServerError);
  EXPECT_EQ(call.errcode, "31");
  ImportReply reply;
  ASSERT_EQ(ApiImportFromCsv(session, call, "bqx7zzzzz", ",x]]>y\n3,z\n", "3.6", ImportOptions{}, reply), kMsgSuccess);
  EXPECT_EQ(reply.recordsAdded, 1);
  EXPECT_EQ(reply.rids, (std::vector<std::string>{"9", "3"}));
  EXPECT_NE(server.Requests()[2].body.find("<records_csv>,x]]&gt;y\n3,z\n</records_csv>"), std::string::npos);
}

}  // namespace
