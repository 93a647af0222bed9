// The column-attribute core: where a statement's columns are described
// (catalog table, executed or prepared SELECT, pass-through column), and the
// copy of an answer into the application's buffers.
#include "odbc/column_attributes.h"

#include <string>

#include "common/odbc_text.h"
#include "connection/type_info.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/column_attribute_answers.h"
#include "sql/parse_tree.h"

namespace {

// A statement that is prepared but not run: a SELECT describes its select
// list; the statements that have no result have no columns.
MessageId AnswerPrepared(StatementHandle& statement, std::uint16_t column, std::uint16_t attribute,
                         ColumnAttributeAnswer& answer) {
  ParseTree& tree = *statement.parseTree;
  const NodeIndex node = RootStatementNode(tree);
  if (node == kNoNode || node >= tree.nodes.size()) return kMsgInternalError;
  switch (tree.nodes[node].kind) {
    case kNodeSelect: return AnswerSelectItemAttribute(statement, tree, column, attribute, answer);
    case kNodeCreateTable:
    case kNodeInsert:
    case kNodeDelete:
    case kNodeUpdate:
      if (statement.passThrough != 0) {
        answer = OpenQueryColumnAttribute(attribute);
        return kMsgSuccess;
      }
      [[fallthrough]];
    case kNodeDropTable:
    case kNodeSqlPseudo:
    case kNodeCreateIndex:
    case kNodeDropIndex:
    case kNodeAlterTableAdd:
      if (attribute != SQL_COLUMN_COUNT) return kMsgInvalidColumnId;
      answer = NumberAnswer(0);
      return kMsgSuccess;
    default: return kMsgInternalError;
  }
}

MessageId AnswerWithoutResult(StatementHandle& statement, std::uint16_t column, std::uint16_t attribute,
                              ColumnAttributeAnswer& answer) {
  if (statement.parseTree != nullptr) return AnswerPrepared(statement, column, attribute, answer);
  if (statement.passThrough != 0) {
    answer = OpenQueryColumnAttribute(attribute);
    return kMsgSuccess;
  }
  if (attribute != SQL_COLUMN_COUNT) return kMsgInvalidCursorState;
  answer = NumberAnswer(0);
  return kMsgSuccess;
}

SQLRETURN Fail(StatementHandle& statement, MessageId id) {
  statement.diagnostic.messageId = id;
  return SQL_ERROR;
}

}  // namespace

SQLRETURN DeliverColumnAttribute(StatementHandle& statement, const ColumnAttributeAnswer& answer, SQLCHAR* buffer,
                                 SQLSMALLINT bufferLength, SQLSMALLINT* textLength, SQLLEN* numeric) {
  if (!answer.isText) {
    if (numeric != nullptr) *numeric = static_cast<SQLLEN>(answer.number);
    return SQL_SUCCESS;
  }
  if (bufferLength < 0) {
    statement.diagnostic.messageId = kMsgInvalidBufferLength;
    return SQL_ERROR;
  }
  const MessageId id = CopyToOdbcBuffer16(buffer, bufferLength, textLength, answer.text);
  statement.diagnostic.messageId = id;
  return id == kMsgSuccess ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

MessageId AnswerColumnAttribute(StatementHandle& statement, std::uint16_t column, std::uint16_t attribute,
                                ColumnAttributeAnswer& answer) {
  if (attribute > SQL_COLUMN_LABEL) {
    statement.diagnostic.detailText = "column attribute " + std::to_string(attribute);
    return kMsgNotSupportedDetail;
  }
  if (const CatalogColumnTable* table = GetCatalogColumnTable(statement))
    return AnswerCatalogAttribute(statement, *table, column, attribute, answer);
  if (statement.statementKind == kStatementQueryResult && statement.parseTree != nullptr) {
    ParseTree& tree = *statement.parseTree;
    const NodeIndex node = RootStatementNode(tree);
    if (node == kNoNode || node >= tree.nodes.size() || tree.nodes[node].kind != kNodeSelect)
      return kMsgInternalError;
    return AnswerSelectItemAttribute(statement, tree, column, attribute, answer);
  }
  if (statement.statementKind != kStatementNone) return kMsgInternalError;
  return AnswerWithoutResult(statement, column, attribute, answer);
}

SQLRETURN GetColumnAttribute(StatementHandle& statement, std::uint16_t column, std::uint16_t attribute,
                             SQLCHAR* buffer, SQLSMALLINT bufferLength, SQLSMALLINT* textLength, SQLLEN* numeric) {
  statement.diagnostic.messageId = kMsgSuccess;
  statement.diagnosticRowCount = 0;
  ColumnAttributeAnswer answer;
  if (MessageId id = AnswerColumnAttribute(statement, column, attribute, answer)) return Fail(statement, id);
  return DeliverColumnAttribute(statement, answer, buffer, bufferLength, textLength, numeric);
}

SQLRETURN DescribeOpenQueryColumn(StatementHandle& statement, std::uint16_t attribute, SQLCHAR* buffer,
                                  SQLSMALLINT bufferLength, SQLSMALLINT* textLength, SQLLEN* numeric) {
  statement.diagnostic.messageId = kMsgSuccess;
  if (attribute > SQL_COLUMN_LABEL) {
    statement.diagnostic.detailText = "column attribute " + std::to_string(attribute);
    return Fail(statement, kMsgNotSupportedDetail);
  }
  return DeliverColumnAttribute(statement, OpenQueryColumnAttribute(attribute), buffer, bufferLength, textLength, numeric);
}

SQLRETURN CountResultColumns(StatementHandle& statement, SQLSMALLINT* count) {
  SQLLEN value = 0;
  const SQLRETURN result = GetColumnAttribute(statement, 0, SQL_COLUMN_COUNT, nullptr, 0, nullptr, &value);
  if (SQL_SUCCEEDED(result) && count != nullptr) *count = static_cast<SQLSMALLINT>(value);
  return result;
}

SQLRETURN DescribeResultColumn(StatementHandle& statement, std::uint16_t column, SQLCHAR* name,
                               SQLSMALLINT bufferLength, SQLSMALLINT* nameLength, SQLSMALLINT* dataType,
                               SQLULEN* columnSize, SQLSMALLINT* decimalDigits, SQLSMALLINT* nullable) {
  statement.diagnostic.messageId = kMsgSuccess;
  ColumnAttributeAnswer answer;
  struct Out {
    std::uint16_t attribute;
    bool wanted;
  } const numbers[] = {{SQL_COLUMN_TYPE, dataType != nullptr},
                       {SQL_COLUMN_PRECISION, columnSize != nullptr},
                       {SQL_COLUMN_SCALE, decimalDigits != nullptr},
                       {SQL_COLUMN_NULLABLE, nullable != nullptr}};
  std::int64_t values[4] = {0, 0, 0, 0};
  for (std::size_t i = 0; i < 4; ++i) {
    if (!numbers[i].wanted) continue;
    if (MessageId id = AnswerColumnAttribute(statement, column, numbers[i].attribute, answer))
      return Fail(statement, id);
    values[i] = answer.number;
  }
  // Nothing is written before every answer is known, so a failure leaves
  // the application's variables as they were.
  if (dataType != nullptr) *dataType = static_cast<SQLSMALLINT>(values[0]);
  if (columnSize != nullptr) *columnSize = static_cast<SQLULEN>(static_cast<std::uint32_t>(values[1]));
  if (decimalDigits != nullptr) *decimalDigits = static_cast<SQLSMALLINT>(values[2]);
  if (nullable != nullptr) *nullable = static_cast<SQLSMALLINT>(values[3]);
  if (name == nullptr && nameLength == nullptr) return SQL_SUCCESS;
  if (MessageId id = AnswerColumnAttribute(statement, column, SQL_COLUMN_NAME, answer)) return Fail(statement, id);
  return DeliverColumnAttribute(statement, answer, name, bufferLength, nameLength, nullptr);
}

const TypeInfoRow* TypeInfoRowForStatement(const StatementHandle& statement, std::int16_t sqlType) {
  const std::int16_t wanted = MapDateTypeForStatement(statement, sqlType);
  const TypeInfoRow* rows = GetTypeInfoTable();
  for (std::uint16_t i = 0; i < GetTypeInfoRowCount(); ++i)
    if (MapDateTypeForStatement(statement, rows[i].dataType) == wanted) return &rows[i];
  return nullptr;
}

bool FindTypeInfoRow(const StatementHandle& statement, std::int16_t sqlType) {
  const TypeInfoRow* row = TypeInfoRowForStatement(statement, sqlType);
  return row != nullptr && row->unsignedAttribute == 1;
}
