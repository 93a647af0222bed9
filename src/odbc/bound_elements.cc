// Reading a bound column's element of a rowset row within its buffer: a
// length that says more than the buffer holds is a value the fetch cut, and
// reading that far would run into whatever memory follows the buffer.
#include "odbc/bound_elements.h"

#include <cstring>

#include "common/c_type_rules.h"
#include "common/utf16_text.h"
#include "handles/descriptor_handle.h"
#include "handles/statement_handle.h"

namespace {

// NULL from the indicator, else the octet length, else a NUL-terminated text.
SQLLEN LengthOf(const RowElement& element) {
  if (element.indicator != nullptr && *element.indicator == SQL_NULL_DATA) return SQL_NULL_DATA;
  return element.octetLength != nullptr ? *element.octetLength : SQL_NTS;
}

bool IsDeferred(SQLLEN length) { return length == SQL_DATA_AT_EXEC || length <= SQL_LEN_DATA_AT_EXEC_OFFSET; }

// A terminated text's bytes, looked for within the buffer only.
SQLLEN TerminatedLength(SQLSMALLINT cType, const char* data, SQLLEN bufferLength) {
  if (bufferLength <= 0) return 0;
  if (cType == SQL_C_WCHAR) return static_cast<SQLLEN>(Utf16LeTerminatedLength(data, bufferLength));
  return static_cast<SQLLEN>(strnlen(data, static_cast<std::size_t>(bufferLength)));
}

BoundElementKind KindOf(SQLLEN length) {
  if (length == SQL_NULL_DATA) return BoundElementKind::kNull;
  if (length == SQL_COLUMN_IGNORE) return BoundElementKind::kIgnored;
  return IsDeferred(length) ? BoundElementKind::kDeferred : BoundElementKind::kValue;
}

}  // namespace

RowElement BoundRowElement(const StatementHandle& statement, const DescriptorRecord& record, SQLSMALLINT cType,
                           std::int64_t rowIndex) {
  const DescriptorHandle& ard = *statement.currentArd;
  const ColumnBinding binding{record.cType,        record.precision,     record.scale,          record.dataPointer,
                              record.bufferLength, record.lengthPointer, record.indicatorPointer};
  const RowPlacement placement{rowIndex, ard.bindType, *ard.bindOffsetPointer};
  return PlaceRowElement(binding, cType, &placement);
}

BoundElement ReadBoundElement(const StatementHandle& statement, const DescriptorRecord& record, SQLSMALLINT sqlType,
                              std::int64_t rowIndex) {
  BoundElement e;
  e.cType = ResolveColumnCType(statement, sqlType, record.cType);
  const RowElement element = BoundRowElement(statement, record, e.cType, rowIndex);
  e.data = element.data;
  e.length = LengthOf(element);
  e.kind = KindOf(e.length);
  // No bytes to read: the conversion refuses a value without data.
  if (e.kind != BoundElementKind::kValue || e.data == nullptr) return e;
  const char* bytes = static_cast<const char*>(e.data);
  if (const std::size_t fixed = FixedCTypeSize(e.cType); fixed != 0) {
    e.bytes = std::string_view(bytes, fixed);
    return e;
  }
  if (e.length == SQL_NTS) e.length = TerminatedLength(e.cType, bytes, record.bufferLength);
  // Another negative length is refused by the conversion.
  if (e.length < 0) return e;
  const SQLLEN held = record.bufferLength > 0 ? record.bufferLength : 0;
  if (e.length > held) {
    e.kind = BoundElementKind::kOverlong;
    e.bytes = std::string_view(bytes, static_cast<std::size_t>(held));
    return e;
  }
  e.bytes = std::string_view(bytes, static_cast<std::size_t>(e.length));
  return e;
}

std::string DescribeOverlong(const std::string& name, SQLLEN length, SQLLEN bufferLength) {
  return name + " (a length of " + std::to_string(length) + " in a buffer of " + std::to_string(bufferLength) +
         " bytes)";
}
