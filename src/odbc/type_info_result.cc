// The statement state of a type-information result: a catalog kind of its
// own, positioned before its first row.
#include "odbc/type_info_result.h"

#include "common/message_ids.h"
#include "connection/type_info.h"
#include "handles/statement_handle.h"
#include "odbc/catalog_call.h"

SQLRETURN OpenTypeInfoResult(StatementHandle& statement, SQLSMALLINT dataType) {
  statement.diagnostic.messageId = kMsgSuccess;
  if (MessageId id = BeginCatalogCall(statement)) {
    statement.diagnostic.messageId = id;
    return SQL_ERROR;
  }
  OpenCatalogResult(statement, kStatementTypeInfo, 0);
  statement.requestedType = MapDateTypeForStatement(statement, dataType);
  return SQL_SUCCESS;
}
