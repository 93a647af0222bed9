// Delivering one column of the current row into an application buffer: the
// core of SQLGetData and of every bound column of every fetch. It finds the
// row's place in a rowset, keeps a long value's position so SQLGetData can
// return it in pieces, takes the value from its source and converts it.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstdint>

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// The application's buffers for one column, as SQLBindCol, SQLGetData or an
// ARD record names them. Precision and scale serve SQL_C_NUMERIC.
struct ColumnBinding {
  SQLSMALLINT cType = SQL_C_DEFAULT;
  std::int32_t precision = 0;
  std::int32_t scale = 0;
  SQLPOINTER data = nullptr;
  SQLLEN bufferLength = 0;
  SQLLEN* octetLength = nullptr;
  SQLLEN* indicator = nullptr;
};

// Where the element of a rowset's row lies: bindType 0 binds by column
// (arrays of elements), any other value is the size of one row's structure.
struct RowPlacement {
  std::int64_t rowIndex = 0;
  std::uint64_t bindType = 0;
  std::int64_t bindOffset = 0;
};

// Where one row's element of a column's buffers lies: by column, the arrays
// step by one element (a fixed-size C type's own size, never the buffer
// length given with it, or the buffer length of a character or binary type)
// and by one SQLLEN; by row, all step by the row structure's size. Every
// pointer the binding lacks stays null. Without a placement the binding's
// own pointers.
struct RowElement {
  void* data;
  SQLLEN* octetLength;
  SQLLEN* indicator;
};
RowElement PlaceRowElement(const ColumnBinding& binding, SQLSMALLINT cType, const RowPlacement* placement);
// The C type a column's conversion works to: the ODBC version's date-time
// codes, and SQL_C_DEFAULT replaced by the column type's own C type.
SQLSMALLINT ResolveColumnCType(const StatementHandle& statement, SQLSMALLINT sqlType, SQLSMALLINT cType);

// What a column's value comes from, worked out once for all the rows of a
// fetch. For query results: the select item's expression, and whether it is
// read straight from its table.
enum class ColumnSourceKind : std::uint8_t { kBookmark, kQuery, kCatalog };

struct ColumnSource {
  ColumnSourceKind kind = ColumnSourceKind::kQuery;
  std::uint16_t column = 0;
  NodeIndex select = kNoNode;
  NodeIndex value = kNoNode;
  bool direct = false;
  SQLSMALLINT sqlType = 0;  // what SQL_C_DEFAULT follows
};

// 0; 1007 for a statement without a result; 1008 for a column beyond it,
// or column 0 while bookmarks are off.
MessageId ResolveColumnSource(StatementHandle& statement, std::uint16_t column, ColumnSource& source);

// Delivers the source's value of the current row. placement is null for
// SQLGetData, which writes where it is told whatever rowset was fetched.
// SQL_SUCCESS; SQL_SUCCESS_WITH_INFO with 1002 (more of the value remains,
// or digits were cut); SQL_NO_DATA when the value was returned completely
// before; SQL_ERROR with the message on the statement (1007 no current row,
// 1086 a NULL without an indicator, a conversion's or table access's id).
SQLRETURN DeliverColumn(StatementHandle& statement, const ColumnSource& source, const ColumnBinding& binding,
                        const RowPlacement* placement);

// ResolveColumnSource and DeliverColumn; clears the statement's message id.
SQLRETURN GetDataCore(StatementHandle& statement, std::uint16_t column, const ColumnBinding& binding,
                      const RowPlacement* placement);

// SQLGetData: SQL_ARD_TYPE takes the C type, precision and scale of the
// column's ARD record (SQL_C_DEFAULT when the column is not bound); the
// indicator and the length share the application's one pointer.
SQLRETURN GetData(StatementHandle& statement, std::uint16_t column, SQLSMALLINT targetType, SQLPOINTER target,
                  SQLLEN bufferLength, SQLLEN* lengthOrIndicator);

// The precision SQLBindCol and SQLGetData give SQL_C_NUMERIC, and the
// 64-bit integer types, when the application sets none.
inline constexpr std::int32_t kDefaultNumericPrecision = 19;
inline constexpr std::int32_t kDefaultUnsignedBigintPrecision = 20;
