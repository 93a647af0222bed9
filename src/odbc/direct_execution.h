// SQLExecDirect's core: prepare and execute in one call, every statement of
// a batch separated by ';' included.
#pragma once

#include <sql.h>

struct StatementHandle;

// Prepares text (length or SQL_NTS), which parses every statement of the
// batch, and runs them one after the other until one fails, waits for data
// or the batch ends; the last statement's result is returned.
SQLRETURN ExecDirectStatement(StatementHandle& statement, const SQLCHAR* text, SQLINTEGER length);
