// A bound column's element for one row of the rowset, as positioned writes
// and the record of what fetches delivered read it: never past the buffer's
// length. Used by positioned_values.cc and delivered_values.cc.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "odbc/column_data.h"

struct DescriptorRecord;
struct StatementHandle;

enum class BoundElementKind : std::uint8_t {
  kValue,
  kNull,
  kIgnored,   // SQL_COLUMN_IGNORE
  kDeferred,  // data at execution
  kOverlong,  // the length says more than the buffer holds: a value cut by the fetch
};

struct BoundElement {
  BoundElementKind kind = BoundElementKind::kValue;
  SQLSMALLINT cType = SQL_C_DEFAULT;  // resolved: what the buffer holds
  void* data = nullptr;               // the element's start, what SQLParamData hands back
  // A character, wide or binary value's byte count (a terminated text
  // measured within the buffer), or the length as the application left it.
  SQLLEN length = 0;
  // The bytes a write may read: the value's (a fixed-size type's whole
  // element), or for kOverlong the whole buffer. Empty for the other kinds.
  std::string_view bytes;
};

// Where the fetch puts the rowset row's element of record, for C type cType.
RowElement BoundRowElement(const StatementHandle& statement, const DescriptorRecord& record, SQLSMALLINT cType,
                           std::int64_t rowIndex);

// The element of the rowset's row at rowIndex (0 first) of a bound column
// whose select item has SQL type sqlType (what SQL_C_DEFAULT follows).
BoundElement ReadBoundElement(const StatementHandle& statement, const DescriptorRecord& record, SQLSMALLINT sqlType,
                              std::int64_t rowIndex);

// What the 22001 of a value longer than its buffer says after its name.
std::string DescribeOverlong(const std::string& name, SQLLEN length, SQLLEN bufferLength);
