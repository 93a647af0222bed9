// The record actions: queries (structured and CSV), CSV import, purge, and
// single-record add and edit.
#include <charconv>

#include "qbapi/api_exchange.h"
#include "qbapi/api_operations.h"
#include "qbapi/query_reply_reader.h"

namespace {

std::int64_t ParseCount(const std::string& text) {
  std::int64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

void AddQueryParameters(XmlRequest& params, const QueryRequest& request) {
  if (!request.query.empty()) AddXmlElement(params, "query", request.query);
  if (!request.clist.empty()) AddXmlElement(params, "clist", request.clist);
  if (!request.slist.empty()) AddXmlElement(params, "slist", request.slist);
}

void AddDoQueryParameters(XmlRequest& params, const QueryRequest& request) {
  AddQueryParameters(params, request);
  if (!request.options.empty()) AddXmlElement(params, "options", request.options);
  AddXmlElement(params, "fmt", "structured");
  AddXmlElement(params, "includeRids", "1");
}

void CopyPageRecord(const QueryPage& page, const QueryPageRecord& from, QueryRecord& record) {
  record.rid = SpanText(page, from.rid);
  record.updateId = SpanText(page, from.updateId);
  for (std::uint32_t i = 0; i < from.cellCount; ++i) {
    const QueryPageCell& cell = page.cells[from.firstCell + i];
    std::string fid = std::to_string(cell.fieldId);
    if (cell.hasUrl) record.fileUrls[fid] = SpanText(page, cell.url);
    record.values[std::move(fid)] = SpanText(page, cell.text);
  }
}

void AddWriteOptions(XmlRequest& params, const RecordWriteOptions& options) {
  if (options.msInUtc) AddXmlElement(params, "msInUTC", "1");
  if (options.msAsDurationDefault) AddXmlElement(params, "msAsDurationDefault", "1");
  if (options.ignoreError) AddXmlElement(params, "ignoreError", "1");
}

void AddRecordFields(XmlRequest& params, const std::vector<RecordField>& fields) {
  for (const RecordField& field : fields) {
    if (field.fileName.empty())
      AddXmlElementWithAttributes(params, "field", {{"fid", field.fid}}, field.value);
    else
      AddXmlElementWithAttributes(params, "field", {{"fid", field.fid}, {"filename", field.fileName}}, field.value);
  }
}

MessageId SendRecordWrite(ApiSession& session, ApiCallRecord& call, const std::string& dbid, const char* action,
                          const XmlRequest& params, RecordWriteReply& reply) {
  XmlElement root;
  MessageId id = ApiExchange(session, call, dbid, action, params, root);
  if (id != kMsgSuccess) return id;
  reply.rid = ChildText(root, "rid");
  reply.updateId = ChildText(root, "update_id");
  reply.fieldsChanged = ParseCount(ChildText(root, "num_fields_changed"));
  return kMsgSuccess;
}

}  // namespace

MessageId ApiDoQueryPage(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                         const QueryRequest& request, QueryPage& page) {
  XmlRequest params;
  AddDoQueryParameters(params, request);
  MessageId id = ApiExchangeQueryPage(session, call, dbid, params, page);
  if (id != kMsgSuccess) return id;
  for (auto& [userId, name] : page.userNames) session.userNames[userId] = name;
  return kMsgSuccess;
}

MessageId ApiDoQuery(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                     const QueryRequest& request, std::vector<QueryRecord>& records) {
  records.clear();
  QueryPage page;
  MessageId id = ApiDoQueryPage(session, call, dbid, request, page);
  if (id != kMsgSuccess) return id;
  records.resize(page.records.size());
  for (std::size_t i = 0; i < page.records.size(); ++i) CopyPageRecord(page, page.records[i], records[i]);
  return kMsgSuccess;
}

MessageId ApiGenResultsTableCsv(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                                const QueryRequest& request, std::string& csv) {
  XmlRequest params;
  AddQueryParameters(params, request);
  AddXmlElement(params, "options", request.options.empty() ? "csv" : request.options + ".csv");
  return ApiExchangeText(session, call, dbid, "API_GenResultsTable", params, csv);
}

MessageId ApiImportFromCsv(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                           const std::string& recordsCsv, const std::string& clist, const ImportOptions& options,
                           ImportReply& reply) {
  reply = ImportReply{};
  XmlRequest params;
  AddXmlCdataElement(params, "records_csv", recordsCsv);
  AddXmlElement(params, "clist", clist);
  if (options.skipFirst) AddXmlElement(params, "skipfirst", "1");
  if (options.msInUtc) AddXmlElement(params, "msInUTC", "1");
  if (options.decimalPercent) AddXmlElement(params, "decimalPercent", "1");
  XmlElement root;
  MessageId id = ApiExchange(session, call, dbid, "API_ImportFromCSV", params, root);
  if (id != kMsgSuccess) return id;
  reply.recordsInput = ParseCount(ChildText(root, "num_recs_input"));
  reply.recordsAdded = ParseCount(ChildText(root, "num_recs_added"));
  reply.recordsUpdated = ParseCount(ChildText(root, "num_recs_updated"));
  if (const XmlElement* rids = FindChild(root, "rids"))
    for (const XmlElement& rid : rids->children)
      if (rid.name == "rid") reply.rids.push_back(rid.text);
  return kMsgSuccess;
}

MessageId ApiPurgeRecords(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                          const std::string& query, std::int64_t& deleted) {
  deleted = 0;
  if (query.find_first_not_of(" \t\r\n") == std::string::npos) {
    return RecordServiceFailure(call, "2", "Purge refused", "an empty query would delete every record of the table");
  }
  XmlRequest params;
  AddXmlElement(params, "query", query);
  XmlElement root;
  MessageId id = ApiExchange(session, call, dbid, "API_PurgeRecords", params, root);
  if (id != kMsgSuccess) return id;
  deleted = ParseCount(ChildText(root, "num_records_deleted"));
  return kMsgSuccess;
}

MessageId ApiAddRecord(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                       const std::vector<RecordField>& fields, const RecordWriteOptions& options,
                       RecordWriteReply& reply) {
  reply = RecordWriteReply{};
  XmlRequest params;
  AddRecordFields(params, fields);
  AddWriteOptions(params, options);
  return SendRecordWrite(session, call, dbid, "API_AddRecord", params, reply);
}

MessageId ApiEditRecord(ApiSession& session, ApiCallRecord& call, const std::string& dbid, const std::string& rid,
                        const std::string& updateId, const std::vector<RecordField>& fields,
                        const RecordWriteOptions& options, RecordWriteReply& reply) {
  reply = RecordWriteReply{};
  XmlRequest params;
  AddXmlElement(params, "rid", rid);
  if (!updateId.empty()) AddXmlElement(params, "update_id", updateId);
  AddRecordFields(params, fields);
  AddWriteOptions(params, options);
  return SendRecordWrite(session, call, dbid, "API_EditRecord", params, reply);
}
