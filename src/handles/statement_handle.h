// The statement handle: what one SQL statement of a connection carries from
// allocation to its last fetch. Later layers add their fields here.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "handles/api_call_record.h"
#include "handles/descriptor_handle.h"
#include "handles/handle_diagnostic.h"
#include "handles/message_id.h"
#include "handles/statement_batch.h"

struct CatalogRowWork;
struct CatalogTableList;
struct ConnectionHandle;
struct DeliveredRowset;
struct ParseTree;
struct PositionedOperation;
struct SpecialStatement;
struct TableCursor;

// StatementKind: what produces the rows of the statement's result.
inline constexpr std::int32_t kStatementNone = 0;
inline constexpr std::int32_t kStatementTables = 1;
inline constexpr std::int32_t kStatementColumns = 2;
inline constexpr std::int32_t kStatementStatistics = 3;
inline constexpr std::int32_t kStatementSpecialColumns = 4;
inline constexpr std::int32_t kStatementTypeInfo = 5;
inline constexpr std::int32_t kStatementPrimaryKeys = 6;
inline constexpr std::int32_t kStatementForeignKeys = 7;
inline constexpr std::int32_t kStatementQueryResult = 8;
// SQLProcedures: ODBC's columns and, since the service has none, no rows.
inline constexpr std::int32_t kStatementProcedures = 9;
// The pending operation while no positioned or bulk operation awaits data.
inline constexpr std::int64_t kNoPendingOperation = 65;
// The bookmark of a row added while the result has no result file: it names
// no row to go back to.
inline constexpr std::int64_t kAddedRowBookmark = -3;

inline constexpr std::uint32_t kNoDataAtExecutionPosition = 0xFFFFFFFFu;
inline constexpr std::int64_t kNoPieceOffset = -1;

// The working row limit when neither TOP nor SQL_MAX_ROWS limits the result.
inline constexpr std::int64_t kNoRowLimit = -1;

struct StatementHandle {
  std::int16_t kind = kHandleKindStatement;
  StatementHandle* nextStatement = nullptr;
  ConnectionHandle* connection = nullptr;
  HandleDiagnostic diagnostic;
  ApiCallRecord callRecord;

  // Written by the parser. The tree is owned here and released only through
  // FreeParseTree (sql/parse_tree.h), which first hands back what execution
  // attached to it.
  ParseTree* parseTree = nullptr;
  std::int64_t maxRows = 0;             // SQL_MAX_ROWS; 0 = no limit
  std::int64_t rowLimit = kNoRowLimit;  // rows the current result may have; TOP 0 makes it 0
  std::uint8_t passThrough = 0;         // the current statement is an OQ form
  std::string remainingBatch;           // text after the first ';' of the text parsed last
  StatementBatch batch;                 // the statements of the prepared text

  // Allocation, freeing and the attribute functions.
  std::string cursorName;
  std::int32_t dynamicFunctionCode = 0;
  std::int32_t statementKind = kStatementNone;
  std::int32_t catalogSubMode = 0;
  std::int32_t catalogRow = -2;  // before the first row
  std::uint8_t metadataId = 0;
  std::int16_t requestedType = 0;
  CatalogTableList* pendingCatalogRequest = nullptr;
  // The catalog functions' arguments and the names of the current catalog
  // row: the application pattern; the row's application; the primary-key
  // table; the table pattern, then the row's table; the one table described;
  // the column pattern; the foreign-key table's application.
  std::string catalogPattern;
  std::string catalogName;
  std::string primaryKeyTableName;
  std::string catalogTableName;
  TableCursor* catalogCursor = nullptr;
  std::string catalogColumnName;
  std::string foreignKeyCatalogName;
  CatalogRowWork* catalogRowWork = nullptr;
  std::uint8_t prepared = 0;  // closing keeps the parse tree while set
  SpecialStatement* specialStatement = nullptr;
  // Written under the connection's lock like the rest; atomic so that
  // SQLCancel can see, without that lock, whether there is data to wait for.
  std::atomic<std::uint8_t> dataAtExecution{0};
  // The item data at execution is serving: a parameter node, or a bound
  // column of a positioned operation; and the bytes SQLPutData has delivered
  // for it (none until the first piece of the item).
  std::uint32_t dataAtExecutionPosition = kNoDataAtExecutionPosition;
  std::int64_t pieceOffset = kNoPieceOffset;
  // A wide piece's closing high surrogate, held until the next piece brings
  // its low half; 0 when none is held.
  std::uint16_t heldHighSurrogate = 0;
  // What the rows of a parameter array have done so far, kept while a row
  // waits for data at execution.
  std::int64_t arrayRowsAffected = 0;
  MessageId arrayInformation = 0;
  std::int32_t diagnosticRowCount = 0;
  std::int32_t rowCount = -1;
  std::uint16_t longDataColumn = 0;
  std::int64_t longDataOffset = 0;
  DescriptorHandle ird;
  DescriptorHandle ard;
  DescriptorHandle* currentArd = &ard;
  DescriptorHandle ipd;
  DescriptorHandle apd;
  DescriptorHandle* currentApd = &apd;
  std::uint8_t transactionFlags[2] = {0, 0};  // [0]: wrote in the open transaction
  std::uint16_t concurrency = 1;
  std::uint16_t cursorType = 0;
  std::uint16_t retrieveData = 1;
  std::uint16_t useBookmarks = 0;
  std::int64_t currentBookmark = 0;
  SQLUSMALLINT* rowsetStatusArray = nullptr;
  std::int64_t pendingOperation = kNoPendingOperation;
  // The SQLSetPos or SQLBulkOperations call under way: its rows, how far it
  // got and the values of the row waiting for data at execution. Shared
  // ownership only so that this header needs no more than the name.
  std::shared_ptr<PositionedOperation> positionedOperation;
  // The rows the last positioned update, delete or add wrote, which
  // SQLRowCount answers until the next fetch or close; -1 for none. Apart
  // from rowCount, the result's own count.
  std::int32_t positionedRowCount = -1;
  std::uint8_t autoIpd = 1;
  SQLPOINTER fetchBookmarkPointer = nullptr;
  std::string sqlText;
  std::int64_t paramsetSize = 1;
  std::int32_t paramsetCounter = 0;
  std::int64_t rowArraySize = 1;  // SQL_ATTR_ROW_ARRAY_SIZE: the rowset of SQLFetch and SQLFetchScroll
  std::int32_t rowsetRowIndex = 0;
  // SQL_ROWSET_SIZE, the rowset of SQLExtendedFetch alone: an ODBC 2
  // application sets it for that call and still binds one row for SQLFetch.
  std::int64_t rowsetSize = 1;
  // The rows the last rowset fetch asked for: the next NEXT starts that far
  // after the current rowset's first row.
  std::int64_t previousRowsetSize = 0;
  // The rows it delivered: the rows SQLSetPos can act on.
  std::int64_t rowsetRows = 0;
  // The rows of a streamed rowset, which can't be read again: the records
  // each row's FROM tables stood on (exec/row_positioning.h), so that
  // SQLSetPos can stand on any of them.
  std::vector<std::vector<std::uint32_t>> streamedRowsetIds;
  // What the last fetch, refresh or positioned update left in the bound
  // columns of each row of the rowset, for an updatable result only; shared
  // ownership for the same reason as positionedOperation's.
  std::shared_ptr<DeliveredRowset> deliveredRowset;

  // Set by SQLCancel from any thread without the connection's mutex; the
  // call running on the statement sees it before its next request to the
  // service. Every new call on the statement starts with it cleared.
  std::atomic<bool> cancelRequested{false};

  StatementHandle() { RegisterHandle(this, kind); }
  StatementHandle(const StatementHandle&) = delete;
  StatementHandle& operator=(const StatementHandle&) = delete;
  ~StatementHandle() { RetireHandle(this); }
};
