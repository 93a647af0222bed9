// SQLExecDirect's core: prepare and execute in one call, then the rest of a
// batch of statements separated by ';', one after the other. Also finishes a
// direct execution that waited for data at execution.
#pragma once

#include <sql.h>

struct StatementHandle;

// Runs every statement of text (length or SQL_NTS) until one fails, waits
// for data or the batch ends; the last statement's result is returned.
SQLRETURN ExecDirectStatement(StatementHandle& statement, const SQLCHAR* text, SQLINTEGER length);

// After SQLParamData completed the execution of a directly executed
// statement (result not SQL_NEED_DATA): its tree goes, and the rest of its
// batch runs.
SQLRETURN FinishDirectExecution(StatementHandle& statement, SQLRETURN result);
