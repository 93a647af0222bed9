// One operation per QuickBase API action. Table access, the connect routine
// and the executor call these; each returns 0, or 999 with errcode, errtext
// and errdetail in the call record it was given.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/message_ids.h"
#include "platform/files.h"
#include "qbapi/api_session.h"
#include "qbapi/query_reply_reader.h"

struct GrantedDatabase {
  std::string name;  // an application's name, or "Application: Table"
  std::string dbid;
};

struct GrantedDbsOptions {
  bool withEmbeddedTables = true;
  bool excludeParents = false;
  bool realmAppsOnly = false;
};

// One field of API_GetSchema, with its attributes and its child elements
// kept apart (mode and role may come either way).
struct SchemaField {
  std::string id;
  std::map<std::string, std::string> attributes;
  std::map<std::string, std::string> properties;
};

struct SchemaReply {
  std::string name;
  std::string description;
  std::map<std::string, std::string> original;  // table_id, app_id, key_fid, ...
  std::vector<std::pair<std::string, std::string>> variables;    // name, value
  std::vector<std::pair<std::string, std::string>> childTables;  // chdbid name, dbid
  std::vector<SchemaField> fields;
};

struct QueryRequest {
  std::string query;
  std::string clist;
  std::string slist;
  std::string options;  // num-N.sortorder-AD...
};

struct QueryRecord {
  std::string rid;
  std::string updateId;
  std::map<std::string, std::string> values;    // field id to text
  std::map<std::string, std::string> fileUrls;  // field id to download URL, file fields only
};

struct ImportOptions {
  bool skipFirst = false;
  bool msInUtc = false;
  bool decimalPercent = false;
};

struct ImportReply {
  std::int64_t recordsInput = 0;
  std::int64_t recordsAdded = 0;
  std::int64_t recordsUpdated = 0;
  std::vector<std::string> rids;  // in input order
};

// A value to write; with a file name the value is the attachment's base64.
struct RecordField {
  std::string fid;
  std::string value;
  std::string fileName;
};

struct RecordWriteOptions {
  bool msInUtc = false;
  bool msAsDurationDefault = false;
  bool ignoreError = false;
};

struct RecordWriteReply {
  std::string rid;
  std::string updateId;
  std::int64_t fieldsChanged = 0;
};

// API_Authenticate with the session's user name and password; stores the
// ticket and the user id in the session.
MessageId ApiAuthenticate(ApiSession& session, ApiCallRecord& call);
// API_GetUserInfo for the caller; stores and returns the user id.
MessageId ApiGetUserInfo(ApiSession& session, std::string& userId, ApiCallRecord& call);
MessageId ApiGrantedDbs(ApiSession& session, ApiCallRecord& call, const GrantedDbsOptions& options,
                        std::vector<GrantedDatabase>& databases);
MessageId ApiFindDbByName(ApiSession& session, ApiCallRecord& call, const std::string& name, bool parentsOnly,
                          std::vector<std::string>& dbids);
MessageId ApiGetSchema(ApiSession& session, ApiCallRecord& call, const std::string& dbid, SchemaReply& schema);
// Structured API_DoQuery with record ids; user display names go to the session.
MessageId ApiDoQuery(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                     const QueryRequest& request, std::vector<QueryRecord>& records);
// The same read into a caller-owned page of records, for callers that keep
// many rows and would pay for a map per record.
MessageId ApiDoQueryPage(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                         const QueryRequest& request, QueryPage& page);
MessageId ApiGenResultsTableCsv(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                                const QueryRequest& request, std::string& csv);
MessageId ApiImportFromCsv(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                           const std::string& recordsCsv, const std::string& clist, const ImportOptions& options,
                           ImportReply& reply);
// Refused without sending when the query is empty: the service would delete
// every record of the table.
MessageId ApiPurgeRecords(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                          const std::string& query, std::int64_t& deleted);
MessageId ApiAddRecord(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                       const std::vector<RecordField>& fields, const RecordWriteOptions& options,
                       RecordWriteReply& reply);
// updateId may be empty (no conflict check).
MessageId ApiEditRecord(ApiSession& session, ApiCallRecord& call, const std::string& dbid, const std::string& rid,
                        const std::string& updateId, const std::vector<RecordField>& fields,
                        const RecordWriteOptions& options, RecordWriteReply& reply);
MessageId ApiCreateTable(ApiSession& session, ApiCallRecord& call, const std::string& appDbid,
                         const std::string& tableName, const std::string& recordNoun, std::string& newDbid);
MessageId ApiAddField(ApiSession& session, ApiCallRecord& call, const std::string& dbid, const std::string& label,
                      const std::string& type, const std::string& mode, std::string& fid);
MessageId ApiSetFieldProperties(ApiSession& session, ApiCallRecord& call, const std::string& dbid,
                                const std::string& fid,
                                const std::vector<std::pair<std::string, std::string>>& properties);
MessageId ApiSetKeyField(ApiSession& session, ApiCallRecord& call, const std::string& dbid, const std::string& fid);
// Downloads one attachment of at most maxBytes into an open file; bytes
// counts what was written.
MessageId ApiDownloadAttachment(ApiSession& session, ApiCallRecord& call, const std::string& tableDbid,
                                const std::string& rid, const std::string& fid, PlatformFile file,
                                std::uint64_t maxBytes, std::uint64_t& bytes);
