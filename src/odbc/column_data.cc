// GetDataCore and SQLGetData: a column's source, the element of the row in
// the application's arrays, the position inside a long value, and the
// indicator and length rules.
#include "odbc/column_data.h"

#include "common/c_type_rules.h"
#include "common/sql_to_c.h"
#include "connection/type_info.h"
#include "handles/connection_record.h"
#include "handles/descriptor_handle.h"
#include "handles/statement_handle.h"
#include "odbc/catalog_column_tables.h"
#include "odbc/catalog_rows.h"
#include "odbc/column_attributes.h"
#include "odbc/column_values.h"

namespace {

// The long-data offset of a column whose value has been returned whole: the
// next SQLGetData on it answers SQL_NO_DATA, NULLs and fixed-size values
// included.
constexpr std::int64_t kLongDataDone = -1;

// A host that insists on catalog columns of this octet length.
constexpr const char* kFixedCatalogLengthHost = "visio.exe";
constexpr SQLLEN kFixedCatalogLength = 1024;

NodeIndex StatementNodeOf(const StatementHandle& statement) {
  return statement.parseTree == nullptr ? kNoNode : RootStatementNode(*statement.parseTree);
}

MessageId ResolveQueryColumn(StatementHandle& statement, std::uint16_t column, ColumnSource& source) {
  const ParseTree& tree = *statement.parseTree;
  source.select = StatementNodeOf(statement);
  if (source.select == kNoNode || tree.nodes[source.select].kind != kNodeSelect) return kMsgInternalError;
  const NodeIndex item = ResultColumnItem(tree, column);
  if (item == kNoNode) return kMsgInvalidColumnId;
  source.value = tree.nodes[item].fields.listItem.value;
  if (source.value == kNoNode) return kMsgInternalError;
  source.sqlType = tree.nodes[source.value].cell.sqlType;
  source.direct = ReadsFromTable(tree, source.select, source.value);
  return kMsgSuccess;
}

MessageId ResolveCatalogColumn(const StatementHandle& statement, std::uint16_t column, ColumnSource& source) {
  const CatalogColumnTable* table = GetCatalogColumnTable(statement);
  if (column > table->count) return kMsgInvalidColumnId;
  source.kind = ColumnSourceKind::kCatalog;
  source.sqlType = CatalogColumnSqlType(table->columns[column - 1].type);
  return kMsgSuccess;
}

bool HasCurrentRow(const StatementHandle& statement, const ColumnSource& source) {
  if (statement.statementKind != kStatementQueryResult) return true;  // catalog rows check their own
  const std::int64_t row = statement.parseTree->nodes[source.select].fields.select.currentRow;
  return row != kRowBeforeFirst && row != kRowAfterLast;
}

template <typename T>
T* Advance(T* pointer, std::int64_t bytes) {
  if (pointer == nullptr) return nullptr;
  return reinterpret_cast<T*>(reinterpret_cast<char*>(pointer) + bytes);
}

MessageId ReadCatalogColumn(StatementHandle& statement, const ColumnSource& source, const ValueTarget& target,
                            SQLLEN& outLength) {
  CatalogValue value;
  if (MessageId id = ReadCatalogValue(statement, source.column, target.cType, target.length, value)) return id;
  const MessageId id = ConvertColumnValue(statement, value.sqlType, value.data, value.length, target, outLength);
  const ConnectionRecord* record = statement.connection->record;
  if (outLength != SQL_NULL_DATA && record != nullptr && record->hostModuleName == kFixedCatalogLengthHost)
    outLength = kFixedCatalogLength;
  return id;
}

MessageId ReadSource(StatementHandle& statement, const ColumnSource& source, const ValueTarget& target,
                     SQLLEN& outLength) {
  switch (source.kind) {
    case ColumnSourceKind::kBookmark: {
      // The row being delivered: inside a rowset it is not yet the current
      // bookmark, which names the rowset's first row.
      const std::int64_t row = source.select != kNoNode
                                   ? statement.parseTree->nodes[source.select].fields.select.currentRow + 1
                                   : statement.currentBookmark;
      const auto bookmark = static_cast<std::int32_t>(row);
      return ConvertColumnValue(statement, SQL_INTEGER, &bookmark, sizeof bookmark, target, outLength);
    }
    case ColumnSourceKind::kCatalog: return ReadCatalogColumn(statement, source, target, outLength);
    default: return ReadQueryColumn(statement, source, target, outLength);
  }
}

SQLRETURN Fail(StatementHandle& statement, MessageId id) {
  statement.diagnostic.messageId = id;
  return SQL_ERROR;
}

// A cut piece of a character or binary value leaves more to read; a
// fixed-size value is whole even when digits were dropped.
bool Finished(MessageId id, SQLSMALLINT cType) {
  return id == kMsgSuccess || FixedCTypeSize(cType) != 0 || cType == SQL_C_NUMERIC;
}

SQLRETURN Report(StatementHandle& statement, MessageId id, SQLLEN outLength, const RowElement& element) {
  if (outLength == SQL_NULL_DATA) {
    if (element.indicator == nullptr) return Fail(statement, kMsgIndicatorRequired);
    *element.indicator = SQL_NULL_DATA;
  } else {
    // The indicator first: when both share one variable, the length wins.
    if (element.indicator != nullptr) *element.indicator = 0;
    if (element.octetLength != nullptr) *element.octetLength = outLength;
  }
  statement.diagnostic.messageId = id;
  return id == kMsgSuccess ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

}  // namespace

SQLSMALLINT ResolveColumnCType(const StatementHandle& statement, SQLSMALLINT sqlType, SQLSMALLINT cType) {
  const SQLSMALLINT mapped = MapDateTypeForConnection(*statement.connection, cType);
  if (mapped != SQL_C_DEFAULT) return mapped;
  return DefaultCTypeForSqlType(sqlType, FindTypeInfoRow(statement, sqlType));
}

RowElement PlaceRowElement(const ColumnBinding& binding, SQLSMALLINT cType, const RowPlacement* placement) {
  RowElement e{binding.data, binding.octetLength, binding.indicator};
  if (placement == nullptr) return e;
  const std::int64_t r = placement->rowIndex;
  if (placement->bindType != SQL_BIND_BY_COLUMN) {
    const std::int64_t step = static_cast<std::int64_t>(placement->bindType) * r + placement->bindOffset;
    return RowElement{Advance(e.data, step), Advance(e.octetLength, step), Advance(e.indicator, step)};
  }
  const std::size_t fixedSize = FixedCTypeSize(cType);
  const std::int64_t elementSize = fixedSize != 0 ? static_cast<std::int64_t>(fixedSize) : binding.bufferLength;
  const std::int64_t lengthStep = placement->bindOffset + r * static_cast<std::int64_t>(sizeof(SQLLEN));
  return RowElement{Advance(e.data, placement->bindOffset + r * elementSize), Advance(e.octetLength, lengthStep),
                    Advance(e.indicator, lengthStep)};
}

MessageId ResolveColumnSource(StatementHandle& statement, std::uint16_t column, ColumnSource& source) {
  source = ColumnSource{};
  source.column = column;
  const bool catalog = GetCatalogColumnTable(statement) != nullptr;
  const bool query = statement.statementKind == kStatementQueryResult && statement.parseTree != nullptr;
  if (!catalog && !query) return kMsgInvalidCursorState;
  if (column == 0) {
    if (statement.useBookmarks == SQL_UB_OFF) return kMsgInvalidColumnId;
    source.kind = ColumnSourceKind::kBookmark;
    source.sqlType = SQL_INTEGER;
    if (query) source.select = StatementNodeOf(statement);
    return source.select == kNoNode && query ? kMsgInternalError : kMsgSuccess;
  }
  return catalog ? ResolveCatalogColumn(statement, column, source) : ResolveQueryColumn(statement, column, source);
}

SQLRETURN DeliverColumn(StatementHandle& statement, const ColumnSource& source, const ColumnBinding& binding,
                        const RowPlacement* placement) {
  if (!HasCurrentRow(statement, source)) return Fail(statement, kMsgInvalidCursorState);
  const SQLSMALLINT cType = ResolveColumnCType(statement, source.sqlType, binding.cType);
  const RowElement element = PlaceRowElement(binding, cType, placement);
  if (statement.longDataColumn != source.column) {
    statement.longDataColumn = source.column;
    statement.longDataOffset = 0;
  }
  if (statement.longDataOffset == kLongDataDone) return SQL_NO_DATA;
  ValueTarget target{cType, binding.precision, binding.scale, element.data, binding.bufferLength,
                     &statement.longDataOffset};
  SQLLEN outLength = 0;
  const MessageId id = ReadSource(statement, source, target, outLength);
  if (id == kMsgNoDataFound) {
    statement.longDataOffset = kLongDataDone;
    return SQL_NO_DATA;
  }
  if (!IsDeliveredValue(id)) return Fail(statement, id);
  const SQLRETURN result = Report(statement, id, outLength, element);
  if (result != SQL_ERROR && (outLength == SQL_NULL_DATA || Finished(id, cType)))
    statement.longDataOffset = kLongDataDone;
  return result;
}

SQLRETURN GetDataCore(StatementHandle& statement, std::uint16_t column, const ColumnBinding& binding,
                      const RowPlacement* placement) {
  statement.diagnostic.messageId = kMsgSuccess;
  ColumnSource source;
  if (MessageId id = ResolveColumnSource(statement, column, source)) return Fail(statement, id);
  return DeliverColumn(statement, source, binding, placement);
}

SQLRETURN GetData(StatementHandle& statement, std::uint16_t column, SQLSMALLINT targetType, SQLPOINTER target,
                  SQLLEN bufferLength, SQLLEN* lengthOrIndicator) {
  statement.diagnosticRowCount = 0;
  if (bufferLength < 0) return Fail(statement, kMsgInvalidBufferLength);
  ColumnBinding binding{targetType, kDefaultNumericPrecision, 0, target, bufferLength, lengthOrIndicator,
                        lengthOrIndicator};
  if (targetType == SQL_ARD_TYPE) {
    binding.cType = SQL_C_DEFAULT;
    for (const DescriptorRecord* r = statement.currentArd->records; r != nullptr; r = r->nextRecord) {
      if (r->number != column) continue;
      binding.cType = r->cType;
      binding.precision = r->precision;
      binding.scale = r->scale;
      break;
    }
  }
  return GetDataCore(statement, column, binding, nullptr);
}
