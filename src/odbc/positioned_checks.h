// What SQLSetPos and SQLBulkOperations refuse before touching any row, each
// check in its fixed order, so that a call breaking several rules always
// reports the same one. Used by positioned_operations.cc.
#pragma once

#include <cstdint>

#include "common/message_ids.h"
#include "handles/statement_handle.h"

// The rows of the rowset a positioned operation may name: those of the last
// fetch's rowset, or SQL_ATTR_ROW_ARRAY_SIZE before any fetch.
inline std::int64_t PositionedRowsetSize(const StatementHandle& statement) {
  return statement.previousRowsetSize > 0 ? statement.previousRowsetSize : statement.rowArraySize;
}

// 1010 a lock type other than SQL_LOCK_NO_CHANGE; the query-result checks;
// for position, refresh, update and delete 1007 without a current row, 1088
// on an added row's bookmark, 1073 for a row beyond the first; 1075 update,
// delete or add on a read-only cursor; 1073 an add from a row beyond the
// rowset; 1010 an unknown operation, or an
// update, delete or add over more than one table.
MessageId CheckSetPos(StatementHandle& statement, std::uint64_t rowNumber, std::uint16_t operation,
                      std::uint16_t lockType);
// The query-result checks; 1084 an add on a read-only cursor, an update or
// delete by bookmark on a read-only cursor or a result without a result
// file, a fetch by bookmark without one, or an operation by bookmark while
// column 0 is not bound with a length buffer; 1010 an unknown operation or a
// write over more than one table.
MessageId CheckBulkOperation(StatementHandle& statement, std::uint16_t operation);
