// Resolving the bound columns of a fetch and filling one row of them.
#include "odbc/bound_columns.h"

#include "handles/descriptor_handle.h"
#include "handles/statement_handle.h"

namespace {

void ResetLongData(StatementHandle& statement) {
  statement.longDataColumn = 0;
  statement.longDataOffset = 0;
}

}  // namespace

void ResolveBoundColumns(StatementHandle& statement, BoundColumns& bound) {
  const DescriptorHandle& ard = *statement.currentArd;
  bound.columns.clear();
  bound.bindType = ard.bindType;
  bound.bindOffset = *ard.bindOffsetPointer;
  for (const DescriptorRecord* r = ard.records; r != nullptr; r = r->nextRecord) {
    // A record that names no buffer at all binds nothing.
    if (r->dataPointer == nullptr && r->lengthPointer == nullptr && r->indicatorPointer == nullptr) continue;
    BoundColumn column;
    column.binding = ColumnBinding{r->cType,       r->precision,     r->scale,           r->dataPointer,
                                   r->bufferLength, r->lengthPointer, r->indicatorPointer};
    column.unresolved = ResolveColumnSource(statement, r->number, column.source);
    bound.columns.push_back(column);
  }
}

RowDelivery DeliverBoundRow(StatementHandle& statement, const BoundColumns& bound, std::int64_t rowIndex) {
  const RowPlacement placement{rowIndex, bound.bindType, bound.bindOffset};
  statement.rowsetRowIndex = static_cast<std::int32_t>(rowIndex);
  RowDelivery delivery;
  ResetLongData(statement);
  for (const BoundColumn& column : bound.columns) {
    statement.diagnostic.messageId = kMsgSuccess;
    SQLRETURN result = SQL_ERROR;
    if (column.unresolved != kMsgSuccess) statement.diagnostic.messageId = column.unresolved;
    else result = DeliverColumn(statement, column.source, column.binding, &placement);
    if (result == SQL_SUCCESS_WITH_INFO) delivery = RowDelivery{result, statement.diagnostic.messageId};
    if (result == SQL_ERROR) {
      delivery = RowDelivery{result, statement.diagnostic.messageId};
      break;
    }
  }
  ResetLongData(statement);
  statement.diagnostic.messageId = delivery.id;
  return delivery;
}
