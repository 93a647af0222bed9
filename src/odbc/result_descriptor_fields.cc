// IRD answers: the statement's result columns as the result-column
// metadata describes them (SQLDescribeCol, the column attributes and the
// IRD fields SQLColAttribute reads).
#include "odbc/result_descriptor_fields.h"

#include <sqlext.h>

#include "handles/statement_handle.h"
#include "odbc/column_attribute_fields.h"
#include "odbc/column_attributes.h"

MessageId AnswerResultRowField(StatementHandle& statement, std::uint16_t column, SQLSMALLINT field,
                               DescriptorValue& answer) {
  // The IRD binds nothing: its buffers are the application's, in the ARD.
  if (DescriptorFieldWidth(field) == FieldWidth::kPointer) {
    answer = PointerValue(nullptr);
    return kMsgSuccess;
  }
  ColumnAttributeAnswer attribute;
  MessageId id = AnswerResultColumnField(statement, column, static_cast<std::uint16_t>(field), attribute);
  if (id != kMsgSuccess) return id;
  answer = attribute.isText ? TextValue(std::move(attribute.text)) : NumberValue(attribute.number);
  return kMsgSuccess;
}

MessageId CountResultRecords(StatementHandle& statement, std::int64_t& count) {
  SQLSMALLINT columns = 0;
  if (!SQL_SUCCEEDED(CountResultColumns(statement, &columns))) return statement.diagnostic.messageId;
  count = columns;
  return kMsgSuccess;
}

bool HasResultDescription(const StatementHandle& statement) {
  return statement.statementKind != kStatementNone || statement.parseTree != nullptr;
}

MessageId DescribeResultRecord(StatementHandle& statement, std::uint16_t column, std::int16_t& type,
                               std::uint64_t& size, std::int16_t& digits) {
  SQLSMALLINT described = 0;
  SQLULEN columnSize = 0;
  SQLSMALLINT decimalDigits = 0;
  if (!SQL_SUCCEEDED(DescribeResultColumn(statement, column, nullptr, 0, nullptr, &described, &columnSize,
                                          &decimalDigits, nullptr)))
    return statement.diagnostic.messageId;
  type = described;
  size = columnSize;
  digits = decimalDigits;
  return kMsgSuccess;
}
