// Query-result values for data retrieval. A column read from its table goes
// straight from the row cache into the application's buffer, in pieces for
// long texts and attachments; every other select item is evaluated for the
// current row and its value converted by its type.
#include "odbc/column_values.h"

#include <cmath>
#include <cstring>

#include "common/diagnostics.h"
#include "common/sql_to_c.h"
#include "exec/expression_evaluation.h"
#include "handles/connection_record.h"
#include "handles/statement_handle.h"
#include "odbc/column_attributes.h"
#include "tables/row_values.h"
#include "tables/table_cursor.h"

namespace {

// The conversions' "nothing left" and "cut" as data retrieval reports them.
MessageId FromRowData(MessageId id) {
  if (id == kRowDataCut) return kMsgDataTruncated;
  if (id == kRowDataExhausted) return kMsgNoDataFound;
  return id;
}

MessageId ReadDirect(StatementHandle& statement, const ParseTree& tree, NodeIndex value, const ValueTarget& target,
                     SQLLEN& outLength) {
  const ColumnReferenceFields& f = tree.nodes[value].fields.columnReference;
  const TableReferenceFields& table = tree.nodes[f.tableReference].fields.tableReference;
  if (table.nullRow != 0) {
    // The outer join's missing partner: NULL, and an empty text for a
    // character buffer, so a program that ignores the indicator shows nothing.
    if (target.cType == SQL_C_CHAR && target.data != nullptr && target.length >= 1)
      *static_cast<char*>(target.data) = '\0';
    outLength = SQL_NULL_DATA;
    return kMsgSuccess;
  }
  if (table.cursor == nullptr || f.columnNumber > 0xFFFF) return kMsgInternalError;
  const MessageId id = FromRowData(GetRowColumnData(*table.cursor, static_cast<std::uint16_t>(f.columnNumber),
                                                    target.pieceOffset, target.cType, target.data, target.length,
                                                    &outLength));
  if (IsDeliveredValue(id)) {
    statement.transactionFlags[0] = 1;
  } else if (id != kMsgNoDataFound && table.cursor->connection != nullptr) {
    GetConnectionErrorText(*table.cursor->connection, statement.diagnostic.messageText);
  }
  return id;
}

// An integer-typed value is held as a double; it goes out as a 64-bit
// integer, so that counts and sums beyond 32 bits keep their digits.
MessageId ConvertInteger(const StatementHandle& statement, const ValueCell& cell, const ValueTarget& target,
                         SQLLEN& outLength) {
  const double number = cell.value.number;
  if (!(std::fabs(number) < 9.2e18))
    return ConvertColumnValue(statement, SQL_DOUBLE, &number, sizeof number, target, outLength);
  const auto integer = static_cast<std::int64_t>(number);
  return ConvertColumnValue(statement, SQL_INTEGER, &integer, sizeof integer, target, outLength);
}

MessageId ConvertCell(const StatementHandle& statement, const ValueCell& cell, const ValueTarget& target,
                      SQLLEN& outLength) {
  const auto length = static_cast<SQLLEN>(cell.bytes.size());
  switch (cell.valueType) {
    case kValueBinary: return ConvertColumnValue(statement, SQL_BINARY, cell.bytes.data(), length, target, outLength);
    case kValueCharacter: return ConvertColumnValue(statement, SQL_CHAR, cell.bytes.data(), length, target, outLength);
    case kValueNumeric:
      // The normal form of a decimal zero is an empty text.
      if (cell.bytes.empty()) return ConvertColumnValue(statement, SQL_NUMERIC, "0", 1, target, outLength);
      return ConvertColumnValue(statement, SQL_NUMERIC, cell.bytes.data(), length, target, outLength);
    case kValueInteger: return ConvertInteger(statement, cell, target, outLength);
    case kValueDouble:
      return ConvertColumnValue(statement, SQL_DOUBLE, &cell.value.number, sizeof cell.value.number, target,
                                outLength);
    case kValueDate:
      return ConvertColumnValue(statement, SQL_DATE, &cell.value.date, sizeof cell.value.date, target, outLength);
    case kValueTime:
      return ConvertColumnValue(statement, SQL_TIME, &cell.value.time, sizeof cell.value.time, target, outLength);
    case kValueTimestamp:
      return ConvertColumnValue(statement, SQL_TIMESTAMP, &cell.value.timestamp, sizeof cell.value.timestamp,
                                target, outLength);
    default: return kMsgNotSupportedDetail;
  }
}

MessageId ReadEvaluated(StatementHandle& statement, ParseTree& tree, NodeIndex value, const ValueTarget& target,
                        SQLLEN& outLength) {
  const MessageId evaluated = EvaluateRowExpression(statement, tree, value);
  if (evaluated != kMsgSuccess && evaluated != kMsgDataTruncated) return evaluated;
  const ValueCell& cell = tree.nodes[value].cell;
  if (cell.nullFlag != 0) {
    outLength = SQL_NULL_DATA;
    return kMsgSuccess;
  }
  const MessageId id = ConvertCell(statement, cell, target, outLength);
  return id == kMsgSuccess ? evaluated : id;
}

}  // namespace

MessageId ConvertColumnValue(const StatementHandle& statement, SQLSMALLINT sqlType, const void* source,
                             SQLLEN sourceLength, const ValueTarget& target, SQLLEN& outLength) {
  const bool unsignedFlag = FindTypeInfoRow(statement, sqlType);
  if (target.cType == SQL_C_NUMERIC) {
    return ConvertSqlValueToNumeric(sqlType, unsignedFlag, source, sourceLength, target.precision, target.scale,
                                    target.data, &outLength);
  }
  return ConvertSqlValueToCType(sqlType, unsignedFlag, source, sourceLength, target.pieceOffset, target.cType,
                                target.data, target.length, &outLength);
}

bool ReadsFromTable(const ParseTree& tree, NodeIndex select, NodeIndex value) {
  const ParseNode& node = tree.nodes[value];
  if (node.kind != kNodeColumnReference || node.fields.columnReference.fromSpool != 0) return false;
  const SelectFields& f = tree.nodes[select].fields.select;
  if (f.groupBy != kNoNode || f.aggregatesWithoutGroupBy != 0 || f.distinctRows != 0) return false;
  // A NUMERIC column is normalised to its precision and scale on the way.
  return node.cell.valueType != kValueNumeric;
}

MessageId ReadQueryColumn(StatementHandle& statement, const ColumnSource& source, const ValueTarget& target,
                          SQLLEN& outLength) {
  ParseTree& tree = *statement.parseTree;
  // SQL_C_NUMERIC takes the application's precision and scale, which only
  // the conversion of an evaluated value honours.
  if (source.direct && target.cType != SQL_C_NUMERIC) return ReadDirect(statement, tree, source.value, target, outLength);
  return ReadEvaluated(statement, tree, source.value, target, outLength);
}
