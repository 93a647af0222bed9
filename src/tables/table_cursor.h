// One table of a statement as table access serves it: its columns as SQL
// sees them, its query, its place among the rows and the row being written.
// Opened by OpenTable, used by the executor and the catalog rows, handed back
// through ApplyFlushCacheCommand.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sql.h>
#include <sqlext.h>

#include "common/message_ids.h"
#include "connection/table_caches.h"
#include "qbapi/api_call_record.h"

struct ConnectionRecord;
struct QuickBaseClient;

// What a field holds on the service, which decides how its texts convert.
enum class FieldKind : std::uint8_t {
  kText,
  kUser,
  kRecordId,
  kNumeric,
  kDuration,
  kCheckbox,
  kDate,
  kTimestamp,
  kTimeOfDay,
  kFile,
};

// Every table's record id is field 3.
inline constexpr std::uint32_t kRecordIdFieldId = 3;

// The two tables that exist only inside the driver.
enum class PseudoTable : std::uint8_t { kNone, kSettings, kIdentity };

struct ColumnDescriptor {
  std::string name;
  std::int16_t sqlType = SQL_VARCHAR;  // ODBC 2 date-time codes
  std::int32_t columnSize = 0;
  // The service's limit on a new text, in characters; 0 where it keeps a
  // text of any length, whatever columnSize says.
  std::int32_t maxLength = 0;
  std::uint16_t decimalDigits = 0;
  std::int16_t nullable = SQL_NULLABLE;
  std::int16_t updatable = SQL_ATTR_WRITE;
  std::uint16_t keyPosition = 0;  // 1-based position in the table's key; 0 = not in it
  std::string defaultValue;
  std::uint32_t fieldId = 0;
  std::string fieldIdText;
  std::uint16_t pushDownRank = 0;  // 0 = a condition on it is never sent
  FieldKind fieldKind = FieldKind::kText;
};

// Join operators of the criteria, as the plan pass records them.
inline constexpr std::uint16_t kCriteriaJoinAnd = 19;
inline constexpr std::uint16_t kCriteriaJoinOr = 20;
// The most criteria one query may carry on the service, and the most a
// statement's own criteria may hold: each page after the first adds one, to
// continue after the last record read.
inline constexpr std::int32_t kMaxServiceCriteria = 100;
inline constexpr std::int32_t kMaxQueryCriteria = kMaxServiceCriteria - 1;

// The row a statement is building: a new row (record id 0 until written) or
// the changes to the current row. Only the fields set are written.
struct RowUnderConstruction {
  bool active = false;
  bool isInsert = false;
  std::uint32_t recordId = 0;
  std::map<std::string, std::string> values;  // field id to service text
  // Field id to the new file's bytes; none removes the stored file.
  std::map<std::string, std::optional<std::string>> attachments;
};

struct TableCursor {
  std::string tableName;
  std::uint16_t columnCount = 0;
  std::vector<ColumnDescriptor> columns;
  ConnectionRecord* connection = nullptr;
  std::string tableId;
  std::string keyName;
  std::uint32_t recordId = 0;  // the current row's record id
  // Criteria state: the count is written by the criteria collectors and by
  // BuildQueryCriteria; a count above kMaxQueryCriteria means the query
  // carries none.
  std::int32_t criteriaCount = 0;
  std::uint16_t joinOperator = 0;
  std::uint8_t orJoin = 1;
  std::uint8_t pushDown = 1;
  std::uint32_t cachedResultGeneration = 0;
  // The statement execution the cursor reads for; 0 before its first, when
  // nothing read earlier is reused.
  std::uint64_t execution = 0;
  ApiCallRecord callRecord;

  PseudoTable pseudoTable = PseudoTable::kNone;
  std::string queryText;      // criteria as a QuickBase query; empty = every row
  std::string sortFields;     // slist
  std::string sortOrders;     // one A or D per slist field
  std::shared_ptr<QueryResult> result;  // the rows of the running query
  std::int64_t rowIndex = -1;           // position in the result; -1 before the first row
  // The query keeps every page, so that the rows can be positioned on again
  // without a request each (a scrollable cursor's keyset, sorted rows, the
  // rows an UPDATE or DELETE collected). Decided afresh by each execution.
  bool keepsEveryPage = false;
  bool onPendingInsert = false;         // the current row exists only in the write cache
  bool onLoneRow = false;               // positioned on a row fetched by itself
  std::unique_ptr<CachedRow> loneRow;
  // The last page as the service sent it, kept so the next page reuses its
  // buffers instead of growing fresh ones.
  QueryPage replyPage;
  RowUnderConstruction pending;
  // Released when the statement closes its cursor, and with the cursor.
  AttachmentFiles attachments;
  std::int64_t pseudoRow = -1;                // settings or identity row
  std::vector<std::string> settingsKeys;      // the settings rows, in order

  TableCursor() = default;
  TableCursor(const TableCursor&) = delete;
  TableCursor& operator=(const TableCursor&) = delete;
};

MessageId OpenTable(ConnectionRecord& record, const std::string& tableName, std::uint16_t flag, TableCursor*& out);
void AddFieldToFetch(QuickBaseClient& client, TableCursor& cursor, std::uint32_t fieldId);

// The release path of a statement's cursor: flushes the table's pending
// batch when the connection asked for it (and drops a schema named by
// FLUSH_THIS_DBID_SCHEMA), then destroys the cursor. Callers ignore the
// result and never use the cursor again.
MessageId ApplyFlushCacheCommand(TableCursor* cursor);
