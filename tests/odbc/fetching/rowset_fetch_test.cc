// Forward-only fetching over the demo fixture's 20 orders: rowsets bound by
// column and by row with guard bytes behind every array, the row limit
// through all three fetch functions, row statuses, and the cursor states
// fetching refuses.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fetch_session.h"
#include "odbc/column_binding.h"
#include "odbc/more_results.h"
#include "odbc/row_fetch.h"
#include "odbc/statement_attributes.h"
#include "odbc/statement_free.h"

namespace {

constexpr const char* kOrders = "SELECT \"Order No\", Amount, \"Record ID_\", Shipped FROM \"Sales: Orders\"";
constexpr int kOrderCount = 20;
constexpr unsigned char kGuard = 0xA5;
// The orders' amounts and shipped flags, order 7 without an amount.
constexpr double kAmounts[kOrderCount] = {1622.54, 758.49,  3256.42, 366.82,  2681.73, 1831.62, 0,
                                          2539.64, 192.29,  2171.06, 353.93,  458.11,  2125.47, 4135.13,
                                          623.39,  1120.08, 3139.03, 4738.81, 2887.63, 1986.42};
constexpr const char* kShipped = "00100100100100100100";

std::string OrderNo(int row) {
  char text[16];
  std::snprintf(text, sizeof text, "SO-%04d", row);
  return text;
}

// An array of count elements of size bytes followed by guard bytes that no
// delivery may touch.
struct GuardedArray {
  std::vector<unsigned char> bytes;
  std::size_t used;
  GuardedArray(std::size_t count, std::size_t size) : bytes(count * size + 32, kGuard), used(count * size) {}
  void* Data() { return bytes.data(); }
  bool GuardIntact() const {
    for (std::size_t i = used; i < bytes.size(); ++i)
      if (bytes[i] != kGuard) return false;
    return true;
  }
  template <typename T>
  T At(std::size_t index) const {
    T value{};
    std::memcpy(&value, bytes.data() + index * sizeof(T), sizeof(T));
    return value;
  }
  std::string TextAt(std::size_t index, std::size_t size) const {
    return reinterpret_cast<const char*>(bytes.data() + index * size);
  }
};

SQLRETURN RunOn(StatementHandle& s, const char* sql) {
  return ExecDirectStatement(s, reinterpret_cast<const SQLCHAR*>(sql), SQL_NTS);
}

void SetAttribute(StatementHandle& s, SQLINTEGER attribute, SQLULEN value) {
  ASSERT_EQ(SetStatementAttribute(s, attribute, reinterpret_cast<SQLPOINTER>(value)), kMsgSuccess) << attribute;
}

void SetPointer(StatementHandle& s, SQLINTEGER attribute, void* pointer) {
  ASSERT_EQ(SetStatementAttribute(s, attribute, pointer), kMsgSuccess) << attribute;
}

// By column, every array steps by its element: a character buffer by its
// length, a fixed-size type by its own size whatever buffer length came with
// it, and the length arrays by an SQLLEN.
TEST(RowsetFetch, ColumnWiseArraysStepByTheirElement) {
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  StatementHandle& s = session.Statement();
  constexpr std::size_t kRows = 6;
  constexpr std::size_t kText = 10;
  GuardedArray orderNo(kRows, kText), amount(kRows, sizeof(double)), recordId(kRows, sizeof(SQLINTEGER)),
      shipped(kRows, 2), amountLength(kRows, sizeof(SQLLEN)), orderLength(kRows, sizeof(SQLLEN));
  SQLULEN fetched = 99;
  SQLUSMALLINT statuses[kRows + 1];
  statuses[kRows] = 0xBEEF;
  SetAttribute(s, SQL_ATTR_ROW_ARRAY_SIZE, kRows);
  SetPointer(s, SQL_ATTR_ROWS_FETCHED_PTR, &fetched);
  SetPointer(s, SQL_ATTR_ROW_STATUS_PTR, statuses);
  ASSERT_EQ(session.Run(kOrders), SQL_SUCCESS);
  ASSERT_EQ(BindColumn(s, 1, SQL_C_CHAR, orderNo.Data(), kText, static_cast<SQLLEN*>(orderLength.Data())), SQL_SUCCESS);
  // A buffer length that is no double's size must not set the stride.
  ASSERT_EQ(BindColumn(s, 2, SQL_C_DOUBLE, amount.Data(), 64, static_cast<SQLLEN*>(amountLength.Data())), SQL_SUCCESS);
  ASSERT_EQ(BindColumn(s, 3, SQL_C_SLONG, recordId.Data(), 100, nullptr), SQL_SUCCESS);
  ASSERT_EQ(BindColumn(s, 4, SQL_C_CHAR, shipped.Data(), 2, nullptr), SQL_SUCCESS);

  const std::vector<std::size_t> rowsets = {6, 6, 6, 2};
  int row = 0;
  for (std::size_t expected : rowsets) {
    ASSERT_EQ(FetchRow(s), SQL_SUCCESS) << s.diagnostic.messageId;
    ASSERT_EQ(fetched, expected);
    for (std::size_t i = 0; i < kRows; ++i) {
      if (i >= expected) {
        EXPECT_EQ(statuses[i], SQL_ROW_NOROW);
        continue;
      }
      ++row;
      EXPECT_EQ(statuses[i], SQL_ROW_SUCCESS);
      EXPECT_EQ(orderNo.TextAt(i, kText), OrderNo(row));
      EXPECT_EQ(orderLength.At<SQLLEN>(i), 7);
      EXPECT_EQ(recordId.At<SQLINTEGER>(i), row);
      EXPECT_EQ(shipped.TextAt(i, 2), std::string(1, kShipped[row - 1])) << row;
      if (row == 7) {
        EXPECT_EQ(amountLength.At<SQLLEN>(i), SQL_NULL_DATA);
        continue;
      }
      EXPECT_EQ(amountLength.At<SQLLEN>(i), static_cast<SQLLEN>(sizeof(double)));
      EXPECT_DOUBLE_EQ(amount.At<double>(i), kAmounts[row - 1]) << row;
    }
    EXPECT_EQ(statuses[kRows], 0xBEEF);
    for (const GuardedArray* a : {&orderNo, &amount, &recordId, &shipped, &amountLength, &orderLength})
      EXPECT_TRUE(a->GuardIntact());
  }
  EXPECT_EQ(row, kOrderCount);
  EXPECT_EQ(FetchRow(s), SQL_NO_DATA);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(statuses[0], SQL_ROW_NOROW);
}

// By row, every column of a row sits in one structure; the bind offset
// moves the whole rowset.
TEST(RowsetFetch, RowWiseStructuresAndTheBindOffset) {
  struct Row {
    char orderNo[12];
    SQLLEN orderNoLength;
    double amount;
    SQLLEN amountIndicator;
    SQLINTEGER recordId;
    SQLLEN recordIdLength;
  };
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  StatementHandle& s = session.Statement();
  constexpr std::size_t kRows = 3;
  // One spare structure in front for the offset, and guard bytes behind.
  GuardedArray rows(kRows + 1, sizeof(Row));
  SQLLEN offset = sizeof(Row);
  auto* base = static_cast<Row*>(rows.Data());
  SetAttribute(s, SQL_ATTR_ROW_ARRAY_SIZE, kRows);
  SetAttribute(s, SQL_ATTR_ROW_BIND_TYPE, sizeof(Row));
  SetPointer(s, SQL_ATTR_ROW_BIND_OFFSET_PTR, &offset);
  ASSERT_EQ(session.Run(kOrders), SQL_SUCCESS);
  BindColumn(s, 1, SQL_C_CHAR, base->orderNo, sizeof base->orderNo, &base->orderNoLength);
  BindColumn(s, 2, SQL_C_DOUBLE, &base->amount, 0, &base->amountIndicator);
  BindColumn(s, 3, SQL_C_LONG, &base->recordId, 0, &base->recordIdLength);
  const unsigned char spare = rows.bytes[0];
  for (int rowset = 0; rowset < 3; ++rowset) {
    ASSERT_EQ(FetchRow(s), SQL_SUCCESS);
    for (std::size_t i = 0; i < kRows; ++i) {
      const int row = rowset * static_cast<int>(kRows) + static_cast<int>(i) + 1;
      Row r;
      std::memcpy(&r, rows.bytes.data() + (i + 1) * sizeof(Row), sizeof r);
      EXPECT_EQ(std::string(r.orderNo), OrderNo(row));
      EXPECT_EQ(r.orderNoLength, 7);
      EXPECT_EQ(r.recordId, row);
      EXPECT_EQ(r.recordIdLength, static_cast<SQLLEN>(sizeof(SQLINTEGER)));
      if (row == 7) EXPECT_EQ(r.amountIndicator, SQL_NULL_DATA);
      else EXPECT_DOUBLE_EQ(r.amount, kAmounts[row - 1]) << row;
    }
  }
  EXPECT_EQ(rows.bytes[0], spare);
  for (std::size_t i = 0; i < sizeof(Row); ++i) ASSERT_EQ(rows.bytes[i], kGuard) << "the spare row was written";
  EXPECT_TRUE(rows.GuardIntact());
}

enum class FetchFunction { kFetch, kFetchScroll, kExtendedFetch };

// Fetches until the end and answers the rows of each rowset.
std::vector<SQLULEN> RowsetSizesUntilTheEnd(StatementHandle& s, FetchFunction function) {
  std::vector<SQLULEN> sizes;
  SQLULEN fetched = 0;
  SQLUSMALLINT statuses[16];
  SetPointer(s, SQL_ATTR_ROWS_FETCHED_PTR, &fetched);
  SetPointer(s, SQL_ATTR_ROW_STATUS_PTR, statuses);
  for (int i = 0; i < 30; ++i) {
    SQLRETURN result = SQL_ERROR;
    if (function == FetchFunction::kFetch) result = FetchRow(s);
    if (function == FetchFunction::kFetchScroll) result = FetchScroll(s, SQL_FETCH_NEXT, 0);
    if (function == FetchFunction::kExtendedFetch) result = ExtendedFetch(s, SQL_FETCH_NEXT, 0, &fetched, statuses);
    if (result == SQL_NO_DATA) {
      EXPECT_EQ(fetched, 0u);
      break;
    }
    EXPECT_EQ(result, SQL_SUCCESS) << s.diagnostic.messageId;
    if (result != SQL_SUCCESS) break;
    sizes.push_back(fetched);
  }
  return sizes;
}

// TOP n and SQL_ATTR_MAX_ROWS cut the result whichever function fetches it
// and however large its rowsets are.
TEST(RowsetFetch, RowLimitsThroughEveryFetchFunction) {
  using F = FetchFunction;
  struct Case {
    const char* sql;
    SQLULEN maxRows;
    F function;
    SQLULEN rowsetSize;
    std::vector<SQLULEN> rowsets;
  } const cases[] = {
      {"SELECT TOP 5 \"Order No\" FROM \"Sales: Orders\"", 0, F::kFetch, 2, {2, 2, 1}},
      {"SELECT TOP 5 \"Order No\" FROM \"Sales: Orders\"", 0, F::kFetchScroll, 4, {4, 1}},
      {"SELECT TOP 5 \"Order No\" FROM \"Sales: Orders\"", 0, F::kExtendedFetch, 3, {3, 2}},
      {"SELECT \"Order No\" FROM \"Sales: Orders\"", 3, F::kFetch, 1, {1, 1, 1}},
      {"SELECT \"Order No\" FROM \"Sales: Orders\"", 3, F::kFetchScroll, 2, {2, 1}},
      {"SELECT \"Order No\" FROM \"Sales: Orders\"", 3, F::kExtendedFetch, 10, {3}},
      {"SELECT TOP 4 \"Order No\" FROM \"Sales: Orders\"", 9, F::kFetchScroll, 3, {3, 1}},
      {"SELECT TOP 9 \"Order No\" FROM \"Sales: Orders\"", 2, F::kFetch, 5, {2}},
      {"SELECT TOP 0 \"Order No\" FROM \"Sales: Orders\"", 0, F::kExtendedFetch, 5, {}},
      {"SELECT \"Order No\" FROM \"Sales: Orders\"", 0, F::kFetchScroll, 8, {8, 8, 4}},
  };
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  for (const Case& c : cases) {
    StatementHandle& s = *session.NewStatement();
    SetAttribute(s, SQL_ATTR_MAX_ROWS, c.maxRows);
    SetAttribute(s, c.function == F::kExtendedFetch ? SQL_ROWSET_SIZE : SQL_ATTR_ROW_ARRAY_SIZE, c.rowsetSize);
    ASSERT_EQ(RunOn(s, c.sql), SQL_SUCCESS) << c.sql;
    EXPECT_EQ(RowsetSizesUntilTheEnd(s, c.function), c.rowsets) << c.sql << " max " << c.maxRows;
    FreeHandleByKind(SQL_HANDLE_STMT, &s);
  }
}

// SQLFetch reads SQL_ATTR_ROW_ARRAY_SIZE rows and SQLExtendedFetch
// SQL_ROWSET_SIZE rows: an ODBC 2 program that sets the second binds one
// row for SQLFetch, which must write only that row.
TEST(RowsetFetch, EachFunctionItsOwnRowsetSize) {
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  StatementHandle& s = session.Statement();
  SetAttribute(s, SQL_ROWSET_SIZE, 5);
  ASSERT_EQ(session.Run(kOrders), SQL_SUCCESS);
  GuardedArray recordIds(5, sizeof(SQLINTEGER));
  BindColumn(s, 3, SQL_C_SLONG, recordIds.Data(), 0, nullptr);
  recordIds.used = sizeof(SQLINTEGER);
  ASSERT_EQ(FetchRow(s), SQL_SUCCESS);
  EXPECT_EQ(recordIds.At<SQLINTEGER>(0), 1);
  EXPECT_TRUE(recordIds.GuardIntact());
  recordIds.used = 5 * sizeof(SQLINTEGER);
  SQLULEN rows = 0;
  SQLUSMALLINT statuses[5];
  ASSERT_EQ(ExtendedFetch(s, SQL_FETCH_NEXT, 0, &rows, statuses), SQL_SUCCESS);
  EXPECT_EQ(rows, 5u);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(recordIds.At<SQLINTEGER>(i), static_cast<SQLINTEGER>(i) + 2);
  EXPECT_EQ(s.rowsetStatusArray, statuses);
  EXPECT_TRUE(recordIds.GuardIntact());
}

// A row whose column can't be delivered: SQLFetch and SQLFetchScroll stop
// with an error, SQLExtendedFetch marks the row and goes on. A cut value
// marks its row with information and the rowset goes on.
TEST(RowsetFetch, RowErrorsAndWarnings) {
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  constexpr const char* kCustomers = "SELECT Name FROM \"Sales: Customers\"";
  char names[4][6];
  double amounts[8];
  SQLLEN nameLengths[4];
  SQLULEN fetched = 0;
  SQLUSMALLINT statuses[8];
  // The seventh order has no amount, and its column no indicator.
  StatementHandle* s = session.NewStatement();
  SetAttribute(*s, SQL_ATTR_ROW_ARRAY_SIZE, 8);
  SetPointer(*s, SQL_ATTR_ROWS_FETCHED_PTR, &fetched);
  SetPointer(*s, SQL_ATTR_ROW_STATUS_PTR, statuses);
  ASSERT_EQ(RunOn(*s, kOrders), SQL_SUCCESS);
  BindColumn(*s, 2, SQL_C_DOUBLE, amounts, 0, nullptr);
  EXPECT_EQ(FetchRow(*s), SQL_ERROR);
  EXPECT_EQ(s->diagnostic.messageId, kMsgIndicatorRequired);
  EXPECT_EQ(fetched, 7u);
  EXPECT_EQ(statuses[0], SQL_ROW_SUCCESS);
  EXPECT_EQ(statuses[6], SQL_ROW_ERROR);
  EXPECT_EQ(statuses[7], SQL_ROW_NOROW);
  FreeHandleByKind(SQL_HANDLE_STMT, s);

  s = session.NewStatement();
  SetAttribute(*s, SQL_ROWSET_SIZE, 8);
  ASSERT_EQ(RunOn(*s, kOrders), SQL_SUCCESS);
  BindColumn(*s, 2, SQL_C_DOUBLE, amounts, 0, nullptr);
  EXPECT_EQ(ExtendedFetch(*s, SQL_FETCH_NEXT, 0, &fetched, statuses), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(s->diagnostic.messageId, kMsgIndicatorRequired);
  EXPECT_EQ(fetched, 8u);
  EXPECT_EQ(statuses[6], SQL_ROW_ERROR);
  EXPECT_EQ(statuses[7], SQL_ROW_SUCCESS);
  EXPECT_DOUBLE_EQ(amounts[7], kAmounts[7]);
  FreeHandleByKind(SQL_HANDLE_STMT, s);

  // Names cut to five bytes, never inside a character: each such row says
  // so, and no row is lost.
  s = session.NewStatement();
  SetAttribute(*s, SQL_ATTR_ROW_ARRAY_SIZE, 4);
  SetPointer(*s, SQL_ATTR_ROWS_FETCHED_PTR, &fetched);
  SetPointer(*s, SQL_ATTR_ROW_STATUS_PTR, statuses);
  ASSERT_EQ(RunOn(*s, kCustomers), SQL_SUCCESS);
  BindColumn(*s, 1, SQL_C_CHAR, names, sizeof names[0], nameLengths);
  EXPECT_EQ(FetchRow(*s), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(s->diagnostic.messageId, kMsgDataTruncated);
  EXPECT_EQ(fetched, 4u);
  const std::vector<std::string> cut = {"Acme ", "M\xC3\xBCll", "Caf\xC3\xA9", "\xE6\x9D\xB1"};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(statuses[i], SQL_ROW_SUCCESS_WITH_INFO) << i;
    EXPECT_EQ(std::string(names[i]), cut[i]) << i;
  }
  EXPECT_EQ(nameLengths[0], 16);
  FreeHandleByKind(SQL_HANDLE_STMT, s);
}

// What fetching refuses: no result, a scroll on a forward-only cursor; and
// what closes a result: SQLMoreResults.
TEST(RowsetFetch, CursorStates) {
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  StatementHandle& s = session.Statement();
  EXPECT_EQ(FetchRow(s), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidCursorState);
  ASSERT_EQ(session.Run(kOrders), SQL_SUCCESS);
  EXPECT_EQ(FetchScroll(s, SQL_FETCH_PRIOR, 0), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgFetchTypeOutOfRange);
  EXPECT_EQ(FetchScroll(s, 7, 0), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgFetchTypeOutOfRange);
  EXPECT_EQ(FetchScroll(s, SQL_FETCH_NEXT, 0), SQL_SUCCESS);
  EXPECT_EQ(s.currentBookmark, 1);
  EXPECT_EQ(MoreResults(s), SQL_NO_DATA);
  EXPECT_EQ(s.statementKind, kStatementNone);
  EXPECT_EQ(FetchRow(s), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidCursorState);
}

}  // namespace
