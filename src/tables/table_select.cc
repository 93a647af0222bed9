// Table queries, paging and the row cache.
#include "tables/table_select.h"

#include "connection/quickbase_client.h"
#include "handles/connection_record.h"
#include "tables/added_row_ids.h"
#include "tables/cursor_pending_writes.h"
#include "tables/page_order.h"
#include "tables/pseudo_tables.h"
#include "tables/table_failures.h"

namespace {

void FillCachedRow(const QueryPage& page, const QueryPageRecord& record, CachedRow& row) {
  row.values.clear();
  row.values.reserve(record.cellCount);
  for (std::uint32_t i = 0; i < record.cellCount; ++i) {
    const QueryPageCell& cell = page.cells[record.firstCell + i];
    SetCachedValue(row, cell.fieldId, SpanText(page, cell.text));
  }
  // Replies carry the rid attribute; field 3 stands in for it otherwise.
  const std::string* recordIdText = FindCachedValue(row, 3);
  row.recordId = record.rid.length != 0 || recordIdText == nullptr ? ParseRecordId(SpanText(page, record.rid))
                                                                   : ParseRecordId(*recordIdText);
}

std::string JoinFieldIds(const std::vector<std::uint32_t>& fields) {
  std::string clist;
  for (std::uint32_t fid : fields) {
    if (!clist.empty()) clist += '.';
    clist += std::to_string(fid);
  }
  return clist;
}

// A read drops each page once passed unless its statement visits the rows
// again by record id.
bool SequentialPaging(const TableCursor& cursor) { return !cursor.keepsEveryPage; }

// Record-id order, descending when the statement's sort asks so: the
// service sorts only by the record id first (BuildSortList), and a table
// with pending writes is read unsorted.
void SetSortOrder(const TableCursor& cursor, bool overlaid, QueryRequest& request, std::string& orders) {
  const bool sorted = !overlaid && !cursor.sortFields.empty();
  request.slist = sorted ? cursor.sortFields : std::to_string(kRecordIdFieldId);
  orders = sorted ? cursor.sortOrders : "A";
}

std::shared_ptr<QueryResult> NewResult(const TableCursor& cursor, TableCache& table, bool overlaid) {
  auto result = std::make_shared<QueryResult>();
  result->tableId = cursor.tableId;
  result->overlaid = overlaid;
  result->request.query = cursor.queryText;
  result->request.clist = JoinFieldIds(table.fieldsToFetch);
  std::string orders;
  SetSortOrder(cursor, overlaid, result->request, orders);
  result->request.options = "sortorder-" + orders;
  result->pageOrder = PageOrderOf(orders);
  result->requestKey = result->request.query + '\n' + result->request.clist + '\n' + result->request.slist + '\n' +
                       result->request.options;
  result->generation = table.generation;
  result->execution = cursor.execution;
  return result;
}

// Stores the page's records; 999 on the call record when a record id is
// not beyond the one before it.
MessageId StoreRecords(QueryResult& result, TableCache& table, const QueryPage& page, ApiCallRecord& call) {
  std::size_t stored = result.rows.size();
  result.rows.resize(stored + page.records.size());
  for (const QueryPageRecord& record : page.records) {
    CachedRow& row = result.rows[stored];
    FillCachedRow(page, record, row);
    const std::uint32_t before = result.pageOrder.lastRecordId;
    if (!AdvancePastRecordId(result.pageOrder, row.recordId)) {
      result.rows.resize(stored);
      return RecordIdOutOfOrder(call, row.recordId, before);
    }
    if (row.recordId > table.newestRecordId) table.newestRecordId = row.recordId;
    result.indexByRecordId[row.recordId] = static_cast<std::size_t>(result.fetched);
    ++stored;
    ++result.fetched;
  }
  return kMsgSuccess;
}

// Each page after the first continues after the last record the previous
// one held, whether or not that row passes the statement's conditions.
MessageId LoadNextPage(TableCursor& cursor, QueryResult& result) {
  ConnectionRecord& record = *cursor.connection;
  TableCache& table = record.client->caches.tables[cursor.tableId];
  QueryRequest request = result.request;
  if (result.pageOrder.started) request.query = ContinuationQuery(result.request.query, result.pageOrder);
  request.options = "num-" + std::to_string(kPageSize) + "." + result.request.options;
  QueryPage& page = cursor.replyPage;
  if (ApiDoQueryPage(record.client->session, cursor.callRecord, cursor.tableId, request, page) != kMsgSuccess)
    return PostTableServiceFailure(record, cursor.callRecord);
  const auto records = static_cast<std::int64_t>(page.records.size());
  if (records > kPageSize) {
    RecordLongPage(cursor.callRecord, page.records.size(), kPageSize);
    return PostTableServiceFailure(record, cursor.callRecord);
  }
  // Sequential paging keeps only the page being read.
  if (result.sequential && SequentialPaging(cursor)) {
    result.rows.clear();
    result.indexByRecordId.clear();
    result.firstIndex = result.fetched;
  }
  result.sequential = result.sequential && SequentialPaging(cursor);
  if (StoreRecords(result, table, page, cursor.callRecord) != kMsgSuccess)
    return PostTableServiceFailure(record, cursor.callRecord);
  result.complete = records < kPageSize;
  return kMsgSuccess;
}

void SnapshotPendingInserts(const TableCursor& cursor, QueryResult& result) {
  result.pendingInserts.clear();
  if (const TableWrites* writes = PendingWritesOf(cursor)) result.pendingInserts = writes->inserts;
}

bool IsPendingDeletion(const TableCursor& cursor, std::uint32_t recordId) {
  const TableWrites* writes = PendingWritesOf(cursor);
  return writes != nullptr && writes->deleted.count(recordId) != 0;
}

bool IsPendingInsert(const TableCursor& cursor, std::uint32_t recordId) {
  const TableWrites* writes = PendingWritesOf(cursor);
  return writes != nullptr && recordId >= kFirstProvisionalRecordId && writes->rows.count(recordId) != 0;
}

void StandOnRow(TableCursor& cursor, std::uint32_t recordId, bool pendingInsert) {
  cursor.recordId = recordId;
  cursor.onPendingInsert = pendingInsert;
  cursor.onLoneRow = false;
}

// After the service's rows, the connection's own inserts that existed when
// the query started (a statement never reads the rows it inserts itself).
MessageId StepIntoPendingInserts(TableCursor& cursor, QueryResult& result) {
  while (true) {
    std::int64_t next = cursor.rowIndex + 1 - result.fetched;
    if (next >= static_cast<std::int64_t>(result.pendingInserts.size())) {
      cursor.rowIndex = result.fetched + static_cast<std::int64_t>(result.pendingInserts.size());
      return kMsgNoMoreRows;
    }
    ++cursor.rowIndex;
    std::uint32_t recordId = result.pendingInserts[static_cast<std::size_t>(next)];
    if (!IsPendingInsert(cursor, recordId)) continue;
    StandOnRow(cursor, recordId, true);
    return kMsgSuccess;
  }
}

const CachedRow* RowAt(const QueryResult& result, std::int64_t index) {
  std::int64_t local = index - result.firstIndex;
  if (local < 0 || local >= static_cast<std::int64_t>(result.rows.size())) return nullptr;
  return &result.rows[static_cast<std::size_t>(local)];
}

// A record gone for this connection leaves the cursor on no row, so that
// nothing reads the values of the row it stood on before.
MessageId LeaveRow(TableCursor& cursor) {
  cursor.onPendingInsert = false;
  cursor.onLoneRow = true;
  cursor.loneRow.reset();
  return kMsgInvalidCursorPosition;
}

MessageId FetchLoneRow(TableCursor& cursor, std::uint32_t recordId) {
  ConnectionRecord& record = *cursor.connection;
  TableCache& table = record.client->caches.tables[cursor.tableId];
  QueryRequest request;
  request.query = "{3.EX.'" + std::to_string(recordId) + "'}";
  request.clist = JoinFieldIds(table.fieldsToFetch);
  QueryPage page;
  if (ApiDoQueryPage(record.client->session, cursor.callRecord, cursor.tableId, request, page) != kMsgSuccess)
    return PostTableServiceFailure(record, cursor.callRecord);
  if (page.records.empty()) return LeaveRow(cursor);
  cursor.loneRow = std::make_unique<CachedRow>();
  FillCachedRow(page, page.records.front(), *cursor.loneRow);
  cursor.loneRow->recordId = recordId;
  StandOnRow(cursor, recordId, false);
  cursor.onLoneRow = true;
  return kMsgSuccess;
}

// Rows that the cursor's execution read, while the table's cache is unchanged.
bool ReadInThisExecution(const TableCursor& cursor, const TableCache& table, const std::shared_ptr<QueryResult>& result) {
  return result && cursor.execution != 0 && result->execution == cursor.execution &&
         result->generation == table.generation;
}

bool PositionInResult(TableCursor& cursor, const std::shared_ptr<QueryResult>& result, std::uint32_t recordId) {
  if (!result) return false;
  auto found = result->indexByRecordId.find(recordId);
  if (found == result->indexByRecordId.end() || RowAt(*result, static_cast<std::int64_t>(found->second)) == nullptr)
    return false;
  cursor.result = result;
  cursor.rowIndex = static_cast<std::int64_t>(found->second);
  StandOnRow(cursor, recordId, false);
  return true;
}

}  // namespace

std::uint64_t BeginStatementExecution(ConnectionRecord& record) { return ++record.client->caches.executions; }

MessageId ExecuteTableSelect(TableCursor& cursor) {
  cursor.rowIndex = -1;
  cursor.recordId = 0;
  cursor.onPendingInsert = false;
  cursor.onLoneRow = false;
  if (cursor.pseudoTable != PseudoTable::kNone) return StartPseudoSelect(cursor);
  cursor.connection->client->localOffsetMemo = LocalOffsetMemo{};
  TableCache& table = cursor.connection->client->caches.tables[cursor.tableId];
  // The sort stays local while the service lacks this connection's writes;
  // the criteria were built knowing them.
  bool overlaid = TableHasPendingWrites(cursor);
  cursor.cachedResultGeneration = table.generation;
  std::shared_ptr<QueryResult> result = NewResult(cursor, table, overlaid);
  bool sequential = SequentialPaging(cursor);
  const std::shared_ptr<QueryResult>& last = table.lastResult;
  if (!sequential && ReadInThisExecution(cursor, table, last) && !last->sequential &&
      last->requestKey == result->requestKey) {
    cursor.result = last;
    SnapshotPendingInserts(cursor, *cursor.result);
    return kMsgSuccess;
  }
  result->sequential = sequential;
  SnapshotPendingInserts(cursor, *result);
  MessageId id = LoadNextPage(cursor, *result);
  if (id != kMsgSuccess) return id;
  cursor.result = result;
  if (!sequential) table.lastResult = result;
  return kMsgSuccess;
}

MessageId FetchNextRow(TableCursor& cursor, std::uint16_t flag) {
  (void)flag;
  if (cursor.pseudoTable != PseudoTable::kNone) return FetchNextPseudoRow(cursor);
  if (!cursor.result) return kMsgInvalidCursorState;
  QueryResult& result = *cursor.result;
  while (true) {
    std::int64_t next = cursor.rowIndex + 1;
    if (next < result.fetched) {
      const CachedRow* row = RowAt(result, next);
      if (row == nullptr) return kMsgInternalError;
      cursor.rowIndex = next;
      if (IsPendingDeletion(cursor, row->recordId)) continue;
      StandOnRow(cursor, row->recordId, false);
      return kMsgSuccess;
    }
    if (result.complete) return StepIntoPendingInserts(cursor, result);
    MessageId id = LoadNextPage(cursor, result);
    if (id != kMsgSuccess) return id;
  }
}

MessageId PositionOnRow(TableCursor& cursor, std::uint32_t recordId) {
  if (cursor.pseudoTable != PseudoTable::kNone) return PositionOnPseudoRow(cursor, recordId);
  cursor.connection->client->localOffsetMemo = LocalOffsetMemo{};
  if (recordId >= kFirstProvisionalRecordId) {
    if (IsPendingInsert(cursor, recordId)) {
      StandOnRow(cursor, recordId, true);
      return kMsgSuccess;
    }
    // A row added under this id that has since been sent has the service's id.
    recordId = SentRowId(cursor.connection->client->caches.writes, recordId);
    if (recordId == 0) return LeaveRow(cursor);
  }
  // A row deleted in the open transaction is gone for this connection.
  if (IsPendingDeletion(cursor, recordId)) return LeaveRow(cursor);
  if (PositionInResult(cursor, cursor.result, recordId)) return kMsgSuccess;
  TableCache& table = cursor.connection->client->caches.tables[cursor.tableId];
  if (ReadInThisExecution(cursor, table, table.lastResult) && PositionInResult(cursor, table.lastResult, recordId))
    return kMsgSuccess;
  return FetchLoneRow(cursor, recordId);
}

bool CursorHasRow(const TableCursor& cursor) {
  if (cursor.pseudoTable != PseudoTable::kNone) return OnPseudoRow(cursor);
  if (cursor.onPendingInsert) return true;
  if (cursor.onLoneRow) return cursor.loneRow != nullptr;
  return cursor.result && cursor.rowIndex >= 0 && RowAt(*cursor.result, cursor.rowIndex) != nullptr;
}

const std::string* CurrentFieldText(const TableCursor& cursor, const ColumnDescriptor& column) {
  if (const TableWrites* writes = PendingWritesOf(cursor)) {
    auto edited = writes->rows.find(cursor.recordId);
    if (edited != writes->rows.end()) {
      auto value = edited->second.values.find(column.fieldIdText);
      if (value != edited->second.values.end()) return &value->second;
      if (cursor.onPendingInsert) return nullptr;
    }
  }
  if (cursor.onPendingInsert) return nullptr;
  const CachedRow* row = cursor.onLoneRow ? cursor.loneRow.get()
                                          : (cursor.result ? RowAt(*cursor.result, cursor.rowIndex) : nullptr);
  return row == nullptr ? nullptr : FindCachedValue(*row, column.fieldId);
}

MessageId GetCursorRecordId(TableCursor& cursor, std::uint32_t& out) {
  out = cursor.recordId;
  if (cursor.connection != nullptr) cursor.connection->lastMessageId = kMsgSuccess;
  return kMsgSuccess;
}
