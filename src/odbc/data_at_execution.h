// Data at execution: SQLParamData announces each parameter (or column of a
// positioned operation) whose value the application sends in pieces with
// SQLPutData, and runs the statement (or writes the row) once the last one
// has arrived.
#pragma once

#include <sql.h>

#include <string>

struct StatementHandle;

// The next parameter waiting for data (its bound data pointer through
// valuePointer, SQL_NEED_DATA), or the result of the execution that the last
// one completed.
SQLRETURN ParamDataCore(StatementHandle& statement, SQLPOINTER* valuePointer);
// One piece of the announced parameter's value.
SQLRETURN PutDataCore(StatementHandle& statement, SQLPOINTER data, SQLLEN lengthOrIndicator);
// A wide value may be split between the halves of a surrogate pair: a
// piece's closing high half is held back on the statement and put before
// the next piece, so that each piece converts as whole characters. data and
// length become the piece to convert, held in joined.
void JoinSurrogateHalves(StatementHandle& statement, SQLLEN bufferLength, SQLPOINTER& data, SQLLEN& length,
                         std::string& joined);
// Ends a data-at-execution sequence: nothing is awaited, announced or
// part-sent any more.
void EndDataAtExecution(StatementHandle& statement);
