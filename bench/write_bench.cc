// Benchmark of the write path against the emulator. Through the unixODBC
// Driver Manager: the client CPU and the requests of commits of 10,000 and
// 100,000 rows (one parameter array each, autocommit off), of 1,000
// single-row INSERTs that alternate between two column lists, and of a
// 1,000-row keyed UPDATE array over tables of 10,000 and 100,000 rows. Then the
// transport alone: what sending each write on a fresh connection costs per
// request, over HTTP and HTTPS, next to a reused connection. Prints figures;
// asserts nothing.
#include <sql.h>
#include <sqlext.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "../tests/integration/odbc_test_support.h"
#include "qbapi/http_transport.h"

namespace {

constexpr const char* kLines = "\"Sales: Order Lines\"";
constexpr const char* kLinesDbid = "bfhfj2jkz";

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Session {
  OdbcHandles handles;
  SQLHSTMT statement = SQL_NULL_HSTMT;
  explicit Session(const std::string& url) {
    const std::string keys = std::string("DRIVER={") + kDriverName + "};QUICKBASESERVER=" + url +
                             ";UID=alice;PWD=wonderland";
    if (!SQL_SUCCEEDED(handles.DriverConnect(keys)))
      std::fprintf(stderr, "connect failed: %s\n", handles.ConnectionDiagnostic().text.c_str());
    SQLSetConnectAttr(handles.connection, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    SQLAllocHandle(SQL_HANDLE_STMT, handles.connection, &statement);
  }
  ~Session() { SQLFreeHandle(SQL_HANDLE_STMT, statement); }
  void Check(SQLRETURN result, const char* what) const {
    if (!SQL_SUCCEEDED(result))
      std::fprintf(stderr, "%s failed: %s\n", what, ReadDiagnostic(SQL_HANDLE_STMT, statement).text.c_str());
  }
  double Commit() const {
    const double start = CpuSeconds();
    const SQLRETURN result = SQLEndTran(SQL_HANDLE_DBC, handles.connection, SQL_COMMIT);
    const double cpu = CpuSeconds() - start;
    if (!SQL_SUCCEEDED(result)) std::fprintf(stderr, "commit failed: %s\n", handles.ConnectionDiagnostic().text.c_str());
    return cpu;
  }
};

std::size_t Imports(const Emulator& emulator) { return LoggedRequests(emulator, "API_ImportFromCSV", "action").size(); }

// One parameter array of rows rows, then the commit that sends it; the
// commit's client CPU.
double CommitOnce(const Emulator& emulator, int rows, bool show) {
  // Room for "b-" and any int.
  constexpr std::size_t kProductSize = 16;
  Session session(emulator.HttpUrl());
  std::vector<char> products(static_cast<std::size_t>(rows) * kProductSize);
  std::vector<SQLLEN> lengths(static_cast<std::size_t>(rows), SQL_NTS);
  std::vector<SQLINTEGER> quantities(static_cast<std::size_t>(rows));
  for (int i = 0; i < rows; ++i) {
    std::snprintf(&products[static_cast<std::size_t>(i) * kProductSize], kProductSize, "b-%d", i);
    quantities[static_cast<std::size_t>(i)] = i;
  }
  SQLSetStmtAttr(session.statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(rows)),
                 0);
  const std::string sql = std::string("INSERT INTO ") + kLines + " (Product, Quantity) VALUES (?, ?)";
  session.Check(SQLPrepare(session.statement, (SQLCHAR*)sql.c_str(), SQL_NTS), "prepare");
  SQLBindParameter(session.statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 20, 0, products.data(), kProductSize,
                   lengths.data());
  SQLBindParameter(session.statement, 2, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, quantities.data(), 0,
                   nullptr);
  const double queueStart = CpuSeconds();
  session.Check(SQLExecute(session.statement), "execute");
  const double queued = CpuSeconds() - queueStart;
  emulator.Admin("log/clear", "{}");
  const double wallStart = WallSeconds();
  const double committed = session.Commit();
  const double wall = WallSeconds() - wallStart;
  if (show)
    std::printf("commit of %7d rows: client CPU %.4f s (queueing them %.4f s), %zu import(s), %.2f s wall\n", rows,
                committed, queued, Imports(emulator), wall);
  return committed;
}

// One parameter array of rows rows, then the commit that sends it: the
// median of a few runs, since a commit of 10,000 rows takes a few ms.
void CommitOfRows(const Emulator& emulator, int rows, int runs) {
  std::vector<double> cpu;
  for (int run = 0; run < runs; ++run) cpu.push_back(CommitOnce(emulator, rows, run + 1 == runs));
  std::sort(cpu.begin(), cpu.end());
  std::printf("commit of %7d rows: client CPU %.4f s (median of %d)\n", rows, cpu[cpu.size() / 2], runs);
}

// Single-row INSERTs alternating between two column lists, committed at once.
void AlternatingColumnLists(const Emulator& emulator, int rows) {
  Session session(emulator.HttpUrl());
  const double start = CpuSeconds();
  const double wallStart = WallSeconds();
  for (int i = 0; i < rows; ++i) {
    const std::string sql = std::string("INSERT INTO ") + kLines +
                            (i % 2 == 0 ? " (Product) VALUES ('alt')" : " (Product, Quantity) VALUES ('alt', 2)");
    session.Check(SQLExecDirect(session.statement, (SQLCHAR*)sql.c_str(), SQL_NTS), "insert");
  }
  emulator.Admin("log/clear", "{}");
  const double committed = session.Commit();
  std::printf("%d single-row INSERTs alternating two column lists: client CPU %.3f s (commit %.3f s), %zu import(s), "
              "%.2f s wall\n",
              rows, CpuSeconds() - start, committed, Imports(emulator), WallSeconds() - wallStart);
}

// Two tables for the keyed updates, filled by the emulator's generator.
constexpr const char* kUpdateFixture =
    "{\"apps\": [{\"name\": \"Bench\", \"users\": [\"alice\"], \"tables\": ["
    "{\"name\": \"Upd10k\", \"dbid\": \"bbenchupaz\", \"fields\": [{\"fid\": 6, \"label\": \"q\", \"type\": "
    "\"float\"}, {\"fid\": 7, \"label\": \"Note\", \"type\": \"text\"}]}, "
    "{\"name\": \"Upd100k\", \"dbid\": \"bbenchupbz\", \"fields\": [{\"fid\": 6, \"label\": \"q\", \"type\": "
    "\"float\"}, {\"fid\": 7, \"label\": \"Note\", \"type\": \"text\"}]}]}]}";

// A parameter array of keyed updates, the shape of a sync job, spread over
// the whole table, then its commit: the requests and the client CPU of each.
void KeyedUpdateArray(const Emulator& emulator, const char* table, int tableRows, int rows) {
  Session session(emulator.HttpUrl());
  std::vector<SQLDOUBLE> quantities(static_cast<std::size_t>(rows));
  std::vector<SQLINTEGER> recordIds(static_cast<std::size_t>(rows));
  for (int i = 0; i < rows; ++i) {
    quantities[static_cast<std::size_t>(i)] = 0.5 + i;
    recordIds[static_cast<std::size_t>(i)] = 1 + i * (tableRows / rows);
  }
  SQLSetStmtAttr(session.statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(rows)),
                 0);
  const std::string sql = std::string("UPDATE \"Bench: ") + table + "\" SET q = ? WHERE \"Record ID_\" = ?";
  session.Check(SQLPrepare(session.statement, (SQLCHAR*)sql.c_str(), SQL_NTS), "prepare");
  SQLBindParameter(session.statement, 1, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, quantities.data(), 0,
                   nullptr);
  SQLBindParameter(session.statement, 2, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, recordIds.data(), 0,
                   nullptr);
  emulator.Admin("log/clear", "{}");
  const double start = CpuSeconds();
  const double wallStart = WallSeconds();
  session.Check(SQLExecute(session.statement), "execute");
  const double cpu = CpuSeconds() - start;
  const double wall = WallSeconds() - wallStart;
  const std::size_t queries = LoggedRequests(emulator, "API_DoQuery", "action").size();
  const std::size_t requests = LoggedRequests(emulator, "", "action").size();
  emulator.Admin("log/clear", "{}");
  const double committed = session.Commit();
  std::printf("keyed UPDATE array of %d rows over %7d rows: %zu request(s), %zu API_DoQuery, client CPU %.3f s, "
              "%.2f s wall; commit %.4f s CPU, %zu import(s)\n",
              rows, tableRows, requests, queries, cpu, wall, committed, Imports(emulator));
}

// The same small import sent again and again, as a write (fresh connection)
// or as if it were a read (kept-open connection).
double SecondsPerRequest(const std::string& baseUrl, const std::string& caFile, RequestKind kind, int requests) {
  HttpTransport transport;
  transport.settings.baseUrl = baseUrl;
  transport.settings.caFile = caFile;
  const std::string body =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><qdbapi><usertoken>b7d2c9_demo_alice_token</usertoken>"
      "<records_csv><![CDATA[\"\",\"transport\"\n]]></records_csv><clist>3.7</clist></qdbapi>";
  HttpReply reply;
  ApiCallRecord call;
  HttpPostXml(transport, std::string("/db/") + kLinesDbid, "API_ImportFromCSV", body, kind, reply, call);
  const double start = WallSeconds();
  for (int i = 0; i < requests; ++i) {
    if (HttpPostXml(transport, std::string("/db/") + kLinesDbid, "API_ImportFromCSV", body, kind, reply, call) !=
            kMsgSuccess ||
        reply.status != 200) {
      std::fprintf(stderr, "request failed: %s %s\n", call.errtext.c_str(), call.errdetail.c_str());
      return 0;
    }
  }
  return (WallSeconds() - start) / requests;
}

void FreshConnectionCost(const std::string& scheme, const std::string& baseUrl, const std::string& caFile) {
  constexpr int kRequests = 500;
  const double reused = SecondsPerRequest(baseUrl, caFile, RequestKind::kRead, kRequests);
  const double fresh = SecondsPerRequest(baseUrl, caFile, RequestKind::kWrite, kRequests);
  std::printf("%-5s one-row import: %.3f ms on a kept-open connection, %.3f ms on a fresh one (+%.3f ms a write)\n",
              scheme.c_str(), reused * 1e3, fresh * 1e3, (fresh - reused) * 1e3);
}

bool MakeCertificate(const std::string& dir) {
  const std::string commands = "cd " + dir +
                               " && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 1 "
                               "-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 >/dev/null 2>&1 && echo made";
  return RunCommand(commands).find("made") != std::string::npos;
}

}  // namespace

int main() {
  TempFolder folder;
  WriteOdbcFiles(folder, {});
  {
    Emulator emulator(folder);
    if (emulator.port == 0) {
      std::fprintf(stderr, "the emulator did not start\n");
      return 1;
    }
    CommitOfRows(emulator, 10000, 7);
    CommitOfRows(emulator, 100000, 5);
    AlternatingColumnLists(emulator, 1000);
    emulator.Admin("fixture", kUpdateFixture);
    emulator.Generate("bbenchupaz", 10000, 3);
    emulator.Generate("bbenchupbz", 100000, 3);
    KeyedUpdateArray(emulator, "Upd10k", 10000, 1000);
    KeyedUpdateArray(emulator, "Upd100k", 100000, 1000);
    FreshConnectionCost("HTTP", emulator.HttpUrl(), "");
  }
  if (!MakeCertificate(folder.path)) {
    std::fprintf(stderr, "openssl could not make a certificate\n");
    return 1;
  }
  Emulator secure(folder, "--tls " + folder.path + "/cert.pem " + folder.path + "/key.pem");
  FreshConnectionCost("HTTPS", "https://127.0.0.1:" + std::to_string(secure.port), folder.path + "/cert.pem");
  return 0;
}
