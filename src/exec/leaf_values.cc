// Values without operands: column references (from the current records,
// spooled records or a NULL row), literals, parameter markers, USER and NULL.
#include <sqlext.h>

#include <algorithm>
#include <cstring>

#include "common/decimal_text.h"
#include "common/diagnostics.h"
#include "common/utf16_text.h"
#include "connection/type_info.h"
#include "exec/evaluation_machine.h"
#include "exec/spool_files.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "tables/row_values.h"

namespace {

// Most texts fit the first read; a longer one is read again at its length,
// so a wide column costs its value's bytes, not its declared size.
inline constexpr std::size_t kFirstReadBytes = 256;
// Room for any double's fixed-point text, so the normaliser always sees a
// number column's whole value and never an exponent form it can't read.
inline constexpr std::size_t kNumberTextBytes = 400;

// Table access answers a cut value with 2; its pseudo-tables pass the
// converter's 1002 through. Both mean the same here.
MessageId ReadColumnPiece(TableCursor& cursor, std::uint16_t column, SQLSMALLINT cType, void* target,
                          SQLLEN targetLength, SQLLEN* length) {
  const MessageId id = GetRowColumnData(cursor, column, nullptr, cType, target, targetLength, length);
  return id == kMsgDataTruncated ? kRowDataCut : id;
}

// The text a character read delivered: up to its NUL, at most room bytes.
std::size_t TextLength(const char* text, std::size_t room) {
  const void* end = std::memchr(text, '\0', room);
  return end == nullptr ? room : static_cast<std::size_t>(static_cast<const char*>(end) - text);
}

// The room the next read of a cut value asks for: its whole length, or
// twice the last room while the total is unknown, so an attachment of
// unknown size never reserves the column's full 2 GB at once.
std::size_t WantedBytes(SQLLEN length, std::size_t room, std::size_t limit) {
  if (length < 0) return std::min(limit, room * 2 + 1);
  return std::min(limit, static_cast<std::size_t>(length));
}

// A character (SQL_C_CHAR) or binary (SQL_C_BINARY) column into cell.bytes,
// at most limit bytes. 0, 1002 when cut, or table access's failure.
MessageId ReadVariableColumn(TableCursor& cursor, std::uint16_t column, SQLSMALLINT cType, std::size_t limit,
                             ValueCell& cell) {
  const std::size_t terminator = cType == SQL_C_CHAR ? 1 : 0;
  std::size_t room = std::min(limit, kFirstReadBytes);
  while (true) {
    cell.bytes.resize(room + terminator);
    SQLLEN length = 0;
    const MessageId id = ReadColumnPiece(cursor, column, cType, cell.bytes.data(),
                                         static_cast<SQLLEN>(room + terminator), &length);
    if (id == kRowDataExhausted) {
      cell.bytes.clear();
      cell.nullFlag = 0;
      return kMsgSuccess;
    }
    if (id != kMsgSuccess && id != kRowDataCut) return id;
    if (length == SQL_NULL_DATA) {
      SetNullValue(cell);
      return kMsgSuccess;
    }
    const std::size_t wanted = WantedBytes(length, room, limit);
    if (id == kRowDataCut && wanted > room) {
      room = wanted;
      continue;
    }
    const std::size_t delivered = terminator != 0 ? TextLength(cell.bytes.data(), room) : std::min(wanted, room);
    cell.bytes.resize(delivered);
    cell.nullFlag = 0;
    return id == kRowDataCut ? kMsgDataTruncated : kMsgSuccess;
  }
}

// A text column's value, whole: the service does not hold a text to its
// field's size, and a size may be lowered after longer values were stored,
// so a value cut to the column's size would compare, group and match as a
// value that exists nowhere.
MessageId ReadTextColumn(TableCursor& cursor, std::uint16_t column, ValueCell& cell) {
  return ReadVariableColumn(cursor, column, SQL_C_CHAR, std::string::npos, cell);
}

// A NUMERIC column: its text in normal form at the column's precision and
// scale; 1002 when fraction digits were cut.
MessageId ReadNumericColumn(TableCursor& cursor, std::uint16_t column, ValueCell& cell) {
  ValueCell text;
  const MessageId read = ReadVariableColumn(cursor, column, SQL_C_CHAR, kNumberTextBytes, text);
  if (read == kMsgDataTruncated) return kMsgOutOfRange;
  if (read != kMsgSuccess) return read;
  if (text.nullFlag != 0) {
    SetNullValue(cell);
    return kMsgSuccess;
  }
  const auto precision = static_cast<std::uint16_t>(std::clamp<std::int32_t>(cell.size, 0, 0xFFFF));
  const MessageId id = FitNumericText(text.bytes, cell.bytes, precision + 2u, precision, cell.digits);
  if (id == kMsgSuccess || id == kMsgDataTruncated) cell.nullFlag = 0;
  return id;
}

MessageId ReadFixedColumn(TableCursor& cursor, std::uint16_t column, SQLSMALLINT cType, void* target,
                          SQLLEN targetLength, ValueCell& cell) {
  SQLLEN length = 0;
  const MessageId id = ReadColumnPiece(cursor, column, cType, target, targetLength, &length);
  if (id == kRowDataExhausted) {
    cell.value = NodeValue{};
    cell.nullFlag = 0;
    return kMsgSuccess;
  }
  if (id != kMsgSuccess && id != kRowDataCut) return id;
  if (length == SQL_NULL_DATA) SetNullValue(cell);
  else cell.nullFlag = 0;
  return id == kRowDataCut ? kMsgDataTruncated : kMsgSuccess;
}

MessageId ReadColumnByType(TableCursor& cursor, std::uint16_t column, ValueCell& cell) {
  const auto size = static_cast<std::size_t>(std::max<std::int32_t>(cell.size, 0));
  switch (cell.valueType) {
    case kValueCharacter: return ReadTextColumn(cursor, column, cell);
    case kValueBinary: return ReadVariableColumn(cursor, column, SQL_C_BINARY, size, cell);
    case kValueNumeric: return ReadNumericColumn(cursor, column, cell);
    case kValueInteger:
    case kValueDouble:
      return ReadFixedColumn(cursor, column, SQL_C_DOUBLE, &cell.value.number, sizeof cell.value.number, cell);
    case kValueDate:
      return ReadFixedColumn(cursor, column, SQL_C_DATE, &cell.value.date, sizeof cell.value.date, cell);
    case kValueTime:
      return ReadFixedColumn(cursor, column, SQL_C_TIME, &cell.value.time, sizeof cell.value.time, cell);
    default:
      return ReadFixedColumn(cursor, column, SQL_C_TIMESTAMP, &cell.value.timestamp, sizeof cell.value.timestamp,
                             cell);
  }
}

// The current record's value through table access. A failure table access
// recorded on the connection reaches the statement's message text.
MessageId ReadCurrentColumn(EvalMachine& m, NodeIndex node, TableCursor& cursor, std::uint32_t column) {
  if (column > 0xFFFF) return kMsgInternalError;
  const MessageId id = ReadColumnByType(cursor, static_cast<std::uint16_t>(column), m.Cell(node));
  if (id != kMsgSuccess && id != kMsgDataTruncated) {
    if (cursor.connection != nullptr && cursor.connection->lastMessageId == id)
      GetConnectionErrorText(*cursor.connection, m.statement.diagnostic.messageText);
    return id;
  }
  m.statement.transactionFlags[0] = 1;
  return m.Note(id);
}

// The execute path stored the marker's value in its cell, null flag
// included, whole: a parameter is compared as a literal of the same text.
MessageId KeepParameterValue(EvalMachine& m, NodeIndex node) {
  switch (m.Cell(node).valueType) {
    case kValueCharacter:
    case kValueBinary:
    case kValueNumeric:
    case kValueInteger:
    case kValueDouble:
    case kValueDate:
    case kValueTime:
    case kValueTimestamp: return kMsgSuccess;
    default: return kMsgInternalError;
  }
}

MessageId TextOf(const ParseTree& tree, ValueIndex text, ValueCell& cell) {
  if (text == kNoValue || text >= tree.values.size()) return kMsgInternalError;
  cell.bytes = tree.values[text].text;
  cell.nullFlag = 0;
  return kMsgSuccess;
}

MessageId NumberLiteralValue(const ParseTree& tree, const ParseNode& node, ValueCell& cell) {
  if (cell.valueType == kValueNumeric) return TextOf(tree, node.fields.numberLiteral.text, cell);
  if (cell.valueType != kValueInteger && cell.valueType != kValueDouble) return kMsgInternalError;
  cell.value.number = node.fields.numberLiteral.number;
  cell.nullFlag = 0;
  return kMsgSuccess;
}

MessageId UserValue(const StatementHandle& statement, ValueCell& cell) {
  const ConnectionRecord* record = statement.connection != nullptr ? statement.connection->record : nullptr;
  if (record != nullptr) cell.bytes = GetConnectionUserName(*record);
  else cell.bytes.clear();
  cell.nullFlag = 0;
  return kMsgSuccess;
}

}  // namespace

// In this order: the owning SELECT's DISTINCT record, the spooled record of
// a grouped SELECT, the NULL row of an outer join, the current record.
MessageId StepColumnReference(EvalMachine& m, EvalFrame& frame) {
  frame.phase = kEvalDone;
  const ColumnReferenceFields f = m.Fields(frame.node).columnReference;
  ValueCell& cell = m.Cell(frame.node);
  if (MessageId id = CheckResultType(kNodeColumnReference, cell.valueType)) return id;
  if (ReadsDistinctRecord(m.tree, f.owningStatement, f.distinctWidth))
    return m.Note(ReadSpooledColumnValue(m.tree, f.owningStatement, cell, f.distinctPosition, f.distinctWidth));
  if (f.fromSpool != 0)
    return m.Note(ReadSpooledColumnValue(m.tree, f.owningStatement, cell, f.spoolPosition, f.spoolWidth));
  if (!IsTreeNode(m.tree, f.tableReference) || m.Node(f.tableReference).kind != kNodeTableReference)
    return kMsgInternalError;
  const TableReferenceFields& table = m.Fields(f.tableReference).tableReference;
  if (table.nullRow != 0) {
    SetNullValue(cell);
    return kMsgSuccess;
  }
  if (table.cursor == nullptr) return kMsgInternalError;
  return ReadCurrentColumn(m, frame.node, *table.cursor, f.columnNumber);
}

MessageId StepLiteral(EvalMachine& m, EvalFrame& frame) {
  frame.phase = kEvalDone;
  ParseNode& node = m.Node(frame.node);
  ValueCell& cell = node.cell;
  switch (node.kind) {
    case kNodeStringLiteral: return TextOf(m.tree, node.fields.stringLiteral.text, cell);
    case kNodeNumberLiteral: return NumberLiteralValue(m.tree, node, cell);
    case kNodeParameter: return KeepParameterValue(m, frame.node);
    case kNodeUser: return UserValue(m.statement, cell);
    case kNodeNull: SetNullValue(cell); return kMsgSuccess;
    case kNodeDateLiteral: cell.value.date = node.fields.dateLiteral.date; break;
    case kNodeTimeLiteral: cell.value.time = node.fields.timeLiteral.time; break;
    case kNodeTimestampLiteral: cell.value.timestamp = node.fields.timestampLiteral.timestamp; break;
    default: return kMsgInternalError;
  }
  cell.nullFlag = 0;
  return kMsgSuccess;
}
