// The cores of SQLSetPos and SQLBulkOperations, which act on one row or every
// row of the rowset, each row's status in its own entry, and the positioned
// mode of SQLParamData and SQLPutData.
#pragma once

#include <sql.h>

#include <cstdint>

struct StatementHandle;

// SQL_POSITION, SQL_REFRESH, SQL_UPDATE, SQL_DELETE or SQL_ADD on row
// rowNumber of the rowset (0: every row). SQL_SUCCESS; SQL_SUCCESS_WITH_INFO
// when a row gave a warning or some rows failed; SQL_ERROR when the call was
// refused or every row failed; SQL_NEED_DATA when a value waits for data at
// execution.
SQLRETURN SetPosCore(StatementHandle& statement, std::uint64_t rowNumber, std::uint16_t operation,
                     std::uint16_t lockType);
// SQL_ADD, SQL_UPDATE_BY_BOOKMARK, SQL_DELETE_BY_BOOKMARK or
// SQL_FETCH_BY_BOOKMARK over every row of the rowset; results as above.
SQLRETURN BulkOperationsCore(StatementHandle& statement, std::uint16_t operation);

// The positioned mode of SQLParamData: the next column waiting for data
// (its row's element through valuePointer, SQL_NEED_DATA), or, once a row is
// complete, its write and the rows after it.
SQLRETURN PositionedParamData(StatementHandle& statement, SQLPOINTER* valuePointer);
// SQLCancel of an operation waiting for data: the rows not yet written stay
// as they are and the cursor goes back to its rowset.
void CancelPositionedOperation(StatementHandle& statement);
// The positioned mode of SQLPutData: one piece of the announced column.
SQLRETURN PositionedPutData(StatementHandle& statement, SQLPOINTER data, SQLLEN lengthOrIndicator);
