// Benchmark of reading a 100,000-row, 10-column table from the emulator
// through ExecuteTableSelect, FetchNextRow and GetRowColumnData. Prints rows
// per second, requests sent, the driver process's CPU time per row and, on
// the same reply bodies, the CPU time of a bare expat parse. Asserts nothing.
// The host's speed drifts, so the bare parse is timed just before and just
// after the driver's read and the ratio uses their mean; an untimed parse
// first lets the allocator settle, which would otherwise be charged to it.
#include <curl/curl.h>
#include <expat.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "connection/quickbase_client.h"
#include "handles/connection_record.h"
#include "tables/emulator_session.h"
#include "tables/row_values.h"
#include "tables/table_select.h"

namespace {

constexpr int kRows = 100000;

double SystemSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + SystemSeconds();
}

size_t Collect(char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

std::string Post(const std::string& url, const std::string& action, const std::string& body) {
  std::string reply;
  CURL* curl = curl_easy_init();
  curl_slist* headers = curl_slist_append(nullptr, ("QUICKBASE-ACTION: " + action).c_str());
  headers = curl_slist_append(headers, "Content-Type: application/xml");
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 600L);
  curl_easy_perform(curl);
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  return reply;
}

// The same pages the driver reads (the generated records are 1 to kRows,
// each page after the first continuing after the last one read), fetched
// apart so expat can parse them alone.
std::vector<std::string> SaveReplyBodies(const std::string& base, const std::string& ticket, const std::string& dbid,
                                         const std::string& clist) {
  std::vector<std::string> bodies;
  for (int last = 0; last <= kRows; last += 1000) {
    const std::string query = last == 0 ? "" : "<query>{3.GT.&apos;" + std::to_string(last) + "&apos;}</query>";
    std::string body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><qdbapi><ticket>" + ticket + "</ticket>" + query +
                       "<clist>" + clist + "</clist><slist>3</slist><options>num-1000.sortorder-A</options>"
                       "<fmt>structured</fmt><includeRids>1</includeRids></qdbapi>";
    bodies.push_back(Post(base + "/db/" + dbid, "API_DoQuery", body));
  }
  return bodies;
}

double ExpatSeconds(const std::vector<std::string>& bodies) {
  double start = CpuSeconds();
  for (const std::string& body : bodies) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_Parse(parser, body.data(), static_cast<int>(body.size()), 1);
    XML_ParserFree(parser);
  }
  return CpuSeconds() - start;
}

}  // namespace

int main() {
  EmulatorSession emulator;
  if (!emulator.Start("tests/tables/fixtures/shop.json")) {
    std::fprintf(stderr, "could not start or reach the emulator\n");
    return 1;
  }
  std::string base = "http://127.0.0.1:" + std::to_string(emulator.port);
  ConnectionRecord& record = emulator.Record();
  std::string dbid = emulator.TableId("Shop: Big");
  emulator.Admin("POST", "generate", "{\"table\": \"" + dbid + "\", \"rows\": 100000, \"seed\": 11}");

  TableCursor* cursor = nullptr;
  OpenTable(record, "Shop: Big", 0, cursor);
  for (const ColumnDescriptor& column : cursor->columns) AddFieldToFetch(*record.client, *cursor, column.fieldId);
  std::string clist;
  for (std::uint32_t fid : record.client->caches.tables[dbid].fieldsToFetch)
    clist += (clist.empty() ? "" : ".") + std::to_string(fid);
  std::vector<std::string> bodies = SaveReplyBodies(base, record.client->session.ticket, dbid, clist);
  ExpatSeconds(bodies);
  double expatBefore = ExpatSeconds(bodies);

  std::uint64_t requestsBefore = cursor->callRecord.requestCount;
  auto wallStart = std::chrono::steady_clock::now();
  double cpuStart = CpuSeconds();
  double systemStart = SystemSeconds();
  long rows = 0;
  char buffer[512];
  if (ExecuteTableSelect(*cursor) == kMsgSuccess) {
    while (FetchNextRow(*cursor, 0) == kMsgSuccess) {
      for (std::uint16_t column = 0; column < cursor->columnCount; ++column) {
        SQLLEN length = 0, offset = 0;
        GetRowColumnData(*cursor, column, &offset, SQL_C_CHAR, buffer, sizeof buffer, &length);
      }
      ++rows;
    }
  }
  double cpu = CpuSeconds() - cpuStart;
  double system = SystemSeconds() - systemStart;
  double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  std::uint64_t requests = cursor->callRecord.requestCount - requestsBefore;
  double expatAfter = ExpatSeconds(bodies);
  double expat = (expatBefore + expatAfter) / 2;
  std::size_t bytes = 0;
  for (const std::string& body : bodies) bytes += body.size();

  std::printf("rows read:              %ld (%d columns)\n", rows, cursor->columnCount);
  std::printf("rows per second (wall): %.0f\n", rows / wall);
  std::printf("requests sent:          %llu\n", static_cast<unsigned long long>(requests));
  std::printf("driver CPU per row:     %.2f us (%.3f s, %.3f s of it in the kernel)\n", cpu / rows * 1e6, cpu,
              system);
  std::printf("expat alone per row:    %.2f us (%.3f s over %zu bodies, %.1f MB; %.3f s before, %.3f s after)\n",
              expat / rows * 1e6, expat, bodies.size(), bytes / 1e6, expatBefore, expatAfter);
  std::printf("driver / expat:         %.2f\n", cpu / expat);
  ApplyFlushCacheCommand(cursor);
  return 0;
}
