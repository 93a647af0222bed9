// ConvertCValueToNodeValue: NULL, the default C type, row stepping and pieces;
// storing by the node's value type is node_value_store.cc's.
#include "common/c_to_node.h"

#include <sql.h>
#include <sqlext.h>

#include "common/application_value.h"
#include "common/c_type_rules.h"
#include "common/node_value_store.h"
#include "handles/statement_handle.h"

namespace {

SQLSMALLINT ResolveApplicationCType(SQLSMALLINT cType, const ValueCell& target) {
  const SQLSMALLINT resolved = cType == SQL_C_DEFAULT ? DefaultCTypeForSqlType(target.sqlType, false) : cType;
  return ResolveSignlessCType(resolved, false);
}

// Column-wise arrays of fixed-size values are packed by the C type's size:
// applications commonly bind them with a buffer length of 0, and stepping by
// that would store row 0's value for every row. Row-wise binding is read from
// the descriptor in use, which another statement may share and change.
const void* ElementAddress(const StatementHandle* statement, SQLSMALLINT cType, const void* data,
                           SQLULEN parameterRow, SQLLEN bufferLength) {
  if (data == nullptr || parameterRow == 0 || (statement != nullptr && statement->currentApd->bindType != 0)) return data;
  const std::size_t fixed = FixedCTypeSize(cType);
  const std::size_t element = fixed != 0 ? fixed : static_cast<std::size_t>(bufferLength > 0 ? bufferLength : 0);
  return static_cast<const char*>(data) + parameterRow * element;
}

void StoreNull(ValueCell& target, SQLLEN* pieceOffset) {
  target.nullFlag = 1;
  target.bytes.clear();
  if (pieceOffset != nullptr) *pieceOffset = 0;
}

bool TakesPieces(const ValueCell& target, SQLSMALLINT cType) {
  const bool pieceType = cType == SQL_C_CHAR || cType == SQL_C_WCHAR || cType == SQL_C_BINARY;
  return pieceType && (target.valueType == kValueCharacter || target.valueType == kValueBinary);
}

}  // namespace

MessageId ConvertCValueToNodeValue(StatementHandle* statement, ValueCell& target, SQLLEN* pieceOffset,
                                   SQLSMALLINT cType, const void* data, SQLLEN lengthOrIndicator,
                                   SQLULEN parameterRow, SQLLEN bufferLength) {
  if (lengthOrIndicator == SQL_NULL_DATA) {
    StoreNull(target, pieceOffset);
    return kMsgSuccess;
  }
  const SQLSMALLINT resolved = ResolveApplicationCType(cType, target);
  if (resolved == 0) return kMsgNotSupportedDetail;
  data = ElementAddress(statement, resolved, data, parameterRow, bufferLength);
  if (data == nullptr) return kMsgConversionError;
  const bool laterPiece = pieceOffset != nullptr && *pieceOffset > 0;
  if (laterPiece && !TakesPieces(target, resolved)) return kMsgConversionError;
  ApplicationValue value;
  MessageId id = ReadApplicationValue(resolved, data, lengthOrIndicator, bufferLength, value);
  if (id != kMsgSuccess) return id;
  if (laterPiece && static_cast<std::size_t>(*pieceOffset) < target.bytes.size()) {
    target.bytes.resize(static_cast<std::size_t>(*pieceOffset));
  }
  id = StoreApplicationValue(target, value, laterPiece);
  if (id != kMsgSuccess && id != kMsgDataTruncated) return id;
  target.nullFlag = 0;
  if (pieceOffset != nullptr) {
    // Past the first piece even for a value stored whole, so that a second
    // piece of a non-piece value is refused rather than replacing the first.
    const std::size_t stored = TakesPieces(target, resolved) ? target.bytes.size() : value.bytes.size() + 1;
    *pieceOffset = static_cast<SQLLEN>(stored);
  }
  return id;
}
