// The statement state of a type-information result: a catalog kind of its
// own, positioned before its first row.
#include "odbc/type_info_result.h"

#include "common/message_ids.h"
#include "connection/type_info.h"
#include "handles/statement_handle.h"
#include "odbc/special_statement.h"
#include "sql/parse_tree.h"

namespace {

// The result replaces any prepared statement, as a new SQL text would.
void DropPreparedStatement(StatementHandle& statement) {
  FreeParseTree(statement.parseTree);
  FreeSpecialStatement(statement.specialStatement);
  statement.specialStatement = nullptr;
  statement.prepared = 0;
  statement.dataAtExecutionPosition = kNoDataAtExecutionPosition;
  statement.pieceOffset = kNoPieceOffset;
}

}  // namespace

SQLRETURN OpenTypeInfoResult(StatementHandle& statement, SQLSMALLINT dataType) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  if (statement.statementKind != kStatementNone || statement.dataAtExecution != 0) {
    statement.diagnostic.messageId = kMsgInvalidCursorState;
    return SQL_ERROR;
  }
  DropPreparedStatement(statement);
  statement.statementKind = kStatementTypeInfo;
  statement.catalogSubMode = 0;
  statement.requestedType = MapDateTypeForStatement(statement, dataType);
  statement.catalogRow = -1;
  statement.rowCount = -1;
  statement.currentBookmark = 0;
  statement.rowsetStatusArray = nullptr;
  statement.longDataColumn = 0;
  statement.longDataOffset = 0;
  statement.pendingOperation = kNoPendingOperation;
  return SQL_SUCCESS;
}
