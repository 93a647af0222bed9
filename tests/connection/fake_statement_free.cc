// Stand-ins for the ODBC layer's statement and descriptor release, which the
// connection layer calls but this test program does not link. A statement
// whose kind is kRefuseDrop refuses to be dropped, as one whose commit failed.
#include "fake_statement_free.h"
#include "odbc/descriptor_lifecycle.h"

#include "common/message_ids.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/statement_free.h"

SQLRETURN FreeStatement(StatementHandle* statement, SQLUSMALLINT option) {
  if (option != SQL_DROP) return SQL_SUCCESS;
  if (statement->statementKind == kRefuseDrop) {
    SetDiagnostic(statement->diagnostic, kMsgServerError, "detail");
    statement->diagnostic.messageText = "S1000 HY000 [Tarvox][QuickBase]flush failed";
    return SQL_ERROR;
  }
  ConnectionHandle& connection = *statement->connection;
  for (StatementHandle** link = &connection.firstStatement; *link != nullptr; link = &(*link)->nextStatement) {
    if (*link == statement) {
      *link = statement->nextStatement;
      break;
    }
  }
  delete statement;
  return SQL_SUCCESS;
}

void FreeApplicationDescriptors(ConnectionHandle&) {}
