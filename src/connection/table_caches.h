// The per-connection caches of table access, kept in the QuickBaseClient:
// schemas, fields to fetch, query results (the row cache), the write cache
// and the granted-databases lists; and the attachments a cursor downloaded.
// Plain records, here with the client that holds them; table access fills
// and reads them.
#pragma once

#include <charconv>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "handles/api_call_record.h"
#include "handles/message_id.h"
#include "platform/files.h"
#include "qbapi/api_operations.h"

// What API_GetSchema said about one table, kept until the connection closes
// or FLUSH_THIS_DBID_SCHEMA drops it.
struct TableSchema {
  std::string tableId;
  std::string appId;
  std::string name;
  std::string keyFieldId;
  SchemaReply reply;
};

struct CachedValue {
  std::uint32_t fieldId = 0;
  std::string text;
};

// One fetched row: field id to the service's text. A row holds a handful of
// fields, so a short list in ascending field-id order finds a value faster
// than a map and costs one allocation instead of a node per value.
struct CachedRow {
  std::uint32_t recordId = 0;
  std::vector<CachedValue> values;
};

// The row's text for a field; nullptr when the service sent none.
inline const std::string* FindCachedValue(const CachedRow& row, std::uint32_t fieldId) {
  for (const CachedValue& value : row.values) {
    if (value.fieldId == fieldId) return &value.text;
    if (value.fieldId > fieldId) break;
  }
  return nullptr;
}

// Sets a field's text, keeping the order; a field sent twice keeps its
// later text, as a map would.
inline void SetCachedValue(CachedRow& row, std::uint32_t fieldId, std::string_view text) {
  auto at = row.values.end();
  while (at != row.values.begin() && (at - 1)->fieldId >= fieldId) --at;
  if (at != row.values.end() && at->fieldId == fieldId) {
    at->text.assign(text);
    return;
  }
  row.values.insert(at, CachedValue{fieldId, std::string(text)});
}

// A record id as the service writes it; 0 for a text that is none.
inline std::uint32_t ParseRecordId(std::string_view text) {
  std::uint32_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// Where a query's pages stand (page_order.h): each page after the first
// continues after the last record read.
struct PageOrder {
  bool descending = false;
  bool started = false;          // a record was read
  std::uint32_t lastRecordId = 0;
};

// The rows of one query, in the service's order. In sequential paging only
// the current page is kept (firstIndex says where it starts).
struct QueryResult {
  std::string tableId;
  std::string requestKey;  // query, clist, slist and orders: reuse needs all equal
  QueryRequest request;
  std::uint32_t generation = 0;  // the table's generation the rows belong to
  std::uint64_t execution = 0;   // the statement execution that read them
  std::vector<CachedRow> rows;
  std::unordered_map<std::uint32_t, std::size_t> indexByRecordId;
  std::int64_t firstIndex = 0;   // result index of rows[0]
  std::int64_t fetched = 0;      // records the service sent
  PageOrder pageOrder;
  bool complete = false;         // the service has no more rows
  bool sequential = false;       // pages are dropped once passed
  bool overlaid = false;         // pending writes apply (read without the service's sort)
  std::vector<std::uint32_t> pendingInserts;  // provisional ids appended after the service's rows
};

inline constexpr std::uint32_t kFirstProvisionalRecordId = 0xF0000000u;
// The parameter row of a write made outside any statement's parameter array.
inline constexpr std::int32_t kNoWriteSource = -1;

// A record's pending write: every value of an add (provisional record id)
// or the changed fields of an edit. A later change of the same record merges
// into it, so each record goes out once, with its last values; reads of the
// table show these values until then.
struct PendingRow {
  std::map<std::string, std::string> values;  // field id to service text
  std::size_t batch = 0;                      // its batch in TableWrites::batches
  std::size_t slot = 0;                       // its place in that batch's recordIds
  std::vector<std::int32_t> sources;          // parameter rows whose writes it holds
};

// The records whose pending writes have the same field list (3 first, so an
// empty record id is an add and a filled one an edit): one import.
struct CsvBatch {
  std::vector<std::string> fieldIds;     // without 3
  std::vector<std::uint32_t> recordIds;  // in order of queueing; a slot whose record moved to another batch is stale
  std::size_t rowCount = 0;              // records that still go out in this batch
};

struct PendingDeletion {
  std::uint32_t recordId = 0;
  std::int32_t source = kNoWriteSource;
};

struct TableWrites {
  std::string tableName;  // as the application named the table, for diagnostics
  std::vector<CsvBatch> batches;  // one per field list, in order of first use
  std::map<std::vector<std::string>, std::size_t> batchOfFields;
  std::unordered_map<std::uint32_t, PendingRow> rows;  // by record id
  std::vector<PendingDeletion> deletions;              // queued for API_PurgeRecords
  std::set<std::uint32_t> deleted;
  // Provisional ids in order of insertion; an id no longer in rows is stale.
  std::vector<std::uint32_t> inserts;
};

// What one table's writes came to in a flush that failed, or in a row sent
// on its own: the rows the service took, those whose fate it never told, and
// those it did not get (refused or never sent).
struct TableWriteCounts {
  std::string tableName;
  std::size_t written = 0;
  std::size_t deleted = 0;
  std::size_t unknown = 0;
  std::size_t notWritten = 0;
  std::size_t notDeleted = 0;
};

// The account of a failed write, for the one diagnostic that reports it.
struct WriteOutcome {
  std::map<std::string, TableWriteCounts> tables;  // by table id, the order a flush sends them in
  ApiCallRecord failure;                           // the request that was refused or went unanswered
  MessageId messageId = 0;                         // the account posted; 0 for the service's own error
  bool unsentDropped = false;                      // the rows not sent were dropped rather than kept
};

struct WriteCache {
  std::map<std::string, TableWrites> tables;  // by table id
  std::uint32_t nextProvisionalId = kFirstProvisionalRecordId;
  // Provisional ids that a result file names, to the ids the service gave
  // their rows (0 until sent); see added_row_ids.h.
  std::unordered_map<std::uint32_t, std::uint32_t> followedRowIds;
  // The parameter row whose writes are being queued.
  std::int32_t source = kNoWriteSource;
  // Parameter rows of writes that left the cache without a verdict from the
  // service since the last flush began.
  std::vector<std::int32_t> unsettledSources;
  // What the last flush did, when it failed.
  WriteOutcome lastFlush;
};

// An attachment downloaded for reading, held open while its cursor stays on
// the row: a temporary copy has no name, so it goes with its descriptor even
// when the process is killed; a FILEPATH copy stays in that folder.
struct AttachmentFile {
  std::uint32_t recordId = 0;
  std::string fieldId;
  PlatformFile file = kNoFile;  // none when IGNOREMISSINGFILE turned a failed download into NULL
};

// A cursor's attachments, of its current row only: a scan over many rows
// holds a handful of descriptors, not one per row read.
struct AttachmentFiles {
  std::vector<AttachmentFile> files;
  AttachmentFiles() = default;
  AttachmentFiles(const AttachmentFiles&) = delete;
  AttachmentFiles& operator=(const AttachmentFiles&) = delete;
  ~AttachmentFiles() { Close(); }
  // Closes every file (a FILEPATH copy stays in its folder).
  void Close() {
    for (AttachmentFile& entry : files) CloseFile(entry.file);
    files.clear();
  }
};

struct TableCache {
  std::vector<std::uint32_t> fieldsToFetch;  // ascending
  std::uint32_t generation = 0;              // changes whenever the table's rows may have
  std::uint32_t newestRecordId = 0;
  std::shared_ptr<QueryResult> lastResult;   // reused by an identical query of the same execution
};

struct TableAccessCaches {
  std::map<std::string, std::shared_ptr<TableSchema>> schemas;  // by table id
  std::map<std::string, TableCache> tables;                     // by table id
  std::vector<GrantedDatabase> grantedTables;
  bool grantedTablesLoaded = false;
  std::vector<GrantedDatabase> grantedApplications;
  WriteCache writes;
  // Statement executions begun on the connection: the rows one read are
  // never served to another, so each sees what the service holds when it runs.
  std::uint64_t executions = 0;
};

// True while CSV batches or deletions of the table wait to be sent.
inline bool HasQueuedWrites(const TableWrites& writes) { return !writes.rows.empty() || !writes.deletions.empty(); }

// The same for any table.
inline bool HasQueuedWrites(const WriteCache& writes) {
  for (const auto& entry : writes.tables)
    if (HasQueuedWrites(entry.second)) return true;
  return false;
}
