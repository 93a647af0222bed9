// Running a prepared statement and the rest of its batch inside one
// SQLExecute, SQLExecDirect or completing SQLParamData call: each statement
// is bound when its turn comes, the first failure stops the batch and says
// which statement failed and what ran before it, and the last statement's
// result is the call's.
#pragma once

#include <sql.h>

struct StatementHandle;

// The SQLExecute core, also SQLExecDirect's once its text is prepared: runs
// the batch from its first statement (prepared again when an earlier run
// left a later statement in its place).
SQLRETURN ExecuteBatch(StatementHandle& statement);

// The SQLParamData core: once the last data at execution has arrived and its
// statement has run, the statements after it in the batch run too.
SQLRETURN ParamDataInBatch(StatementHandle& statement, SQLPOINTER* valuePointer);

// What a failed direct execution leaves: no tree, no data-at-execution
// sequence, no row count and no positioned operation.
void ForgetFailedDirectExecution(StatementHandle& statement);
