// Forward-only rowsets over the demo fixture's 20 orders, bound by column
// and by row with guard bytes behind every array, and the statuses of rows
// that fail or are cut.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fetch_session.h"
#include "odbc/column_binding.h"
#include "odbc/row_fetch.h"
#include "odbc/statement_attributes.h"

namespace {

constexpr const char* kOrders = "SELECT \"Order No\", Amount, \"Record ID_\" FROM \"Sales: Orders\"";
constexpr unsigned char kGuard = 0xA5;
// Order 7 has no amount.
constexpr double kAmounts[20] = {1622.54, 758.49, 3256.42, 366.82,  2681.73, 1831.62, 0,       2539.64, 192.29,  2171.06,
                                 353.93,  458.11, 2125.47, 4135.13, 623.39,  1120.08, 3139.03, 4738.81, 2887.63, 1986.42};

std::string OrderNo(int row) {
  char text[16];
  std::snprintf(text, sizeof text, "SO-%04d", row);
  return text;
}

// count elements of size bytes, then guard bytes that no delivery may touch.
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
};

void Set(StatementHandle& s, SQLINTEGER attribute, SQLULEN value) {
  ASSERT_EQ(SetStatementAttribute(s, attribute, reinterpret_cast<SQLPOINTER>(value)), kMsgSuccess) << attribute;
}

// By column, each array steps by its element: a character buffer by its
// length, a fixed-size type by its own size whatever buffer length came with
// it, a length array by an SQLLEN. The last rowset is partial.
TEST(RowsetFetch, ColumnWiseArraysStepByTheirElement) {
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  StatementHandle& s = session.Statement();
  constexpr std::size_t kRows = 6, kText = 10;
  GuardedArray orderNo(kRows, kText), amount(kRows, sizeof(double)), recordId(kRows, sizeof(SQLINTEGER)),
      amountLength(kRows, sizeof(SQLLEN));
  SQLULEN fetched = 0;
  SQLUSMALLINT statuses[kRows];
  Set(s, SQL_ATTR_ROW_ARRAY_SIZE, kRows);
  Set(s, SQL_ATTR_ROWS_FETCHED_PTR, reinterpret_cast<SQLULEN>(&fetched));
  Set(s, SQL_ATTR_ROW_STATUS_PTR, reinterpret_cast<SQLULEN>(statuses));
  ASSERT_EQ(session.Run(kOrders), SQL_SUCCESS);
  BindColumn(s, 1, SQL_C_CHAR, orderNo.Data(), kText, nullptr);
  BindColumn(s, 2, SQL_C_DOUBLE, amount.Data(), 64, static_cast<SQLLEN*>(amountLength.Data()));
  BindColumn(s, 3, SQL_C_SLONG, recordId.Data(), 100, nullptr);
  int row = 0;
  for (std::size_t expected : {6, 6, 6, 2}) {
    ASSERT_EQ(FetchRow(s), SQL_SUCCESS) << s.diagnostic.messageId;
    ASSERT_EQ(fetched, expected);
    for (std::size_t i = 0; i < kRows; ++i) {
      EXPECT_EQ(statuses[i], i < expected ? SQL_ROW_SUCCESS : SQL_ROW_NOROW);
      if (i >= expected) continue;
      ++row;
      EXPECT_EQ(std::string(reinterpret_cast<char*>(orderNo.bytes.data() + i * kText)), OrderNo(row));
      EXPECT_EQ(recordId.At<SQLINTEGER>(i), row);
      if (row == 7) EXPECT_EQ(amountLength.At<SQLLEN>(i), SQL_NULL_DATA);
      else EXPECT_DOUBLE_EQ(amount.At<double>(i), kAmounts[row - 1]) << row;
    }
    for (const GuardedArray* a : {&orderNo, &amount, &recordId, &amountLength}) EXPECT_TRUE(a->GuardIntact());
  }
  EXPECT_EQ(FetchRow(s), SQL_NO_DATA);
  EXPECT_EQ(fetched, 0u);
}

// By row, a row's columns share one structure, and the bind offset moves
// the whole rowset.
TEST(RowsetFetch, RowWiseStructuresAndTheBindOffset) {
  struct Row {
    char orderNo[12];
    SQLLEN orderNoLength;
    double amount;
    SQLLEN amountIndicator;
  };
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  StatementHandle& s = session.Statement();
  constexpr std::size_t kRows = 3;
  GuardedArray rows(kRows + 1, sizeof(Row));  // the first structure is skipped by the offset
  SQLLEN offset = sizeof(Row);
  auto* base = static_cast<Row*>(rows.Data());
  Set(s, SQL_ATTR_ROW_ARRAY_SIZE, kRows);
  Set(s, SQL_ATTR_ROW_BIND_TYPE, sizeof(Row));
  Set(s, SQL_ATTR_ROW_BIND_OFFSET_PTR, reinterpret_cast<SQLULEN>(&offset));
  ASSERT_EQ(session.Run(kOrders), SQL_SUCCESS);
  BindColumn(s, 1, SQL_C_CHAR, base->orderNo, sizeof base->orderNo, &base->orderNoLength);
  BindColumn(s, 2, SQL_C_DOUBLE, &base->amount, 0, &base->amountIndicator);
  for (int rowset = 0; rowset < 3; ++rowset) {
    ASSERT_EQ(FetchRow(s), SQL_SUCCESS);
    for (std::size_t i = 0; i < kRows; ++i) {
      const int row = rowset * static_cast<int>(kRows) + static_cast<int>(i) + 1;
      Row r;
      std::memcpy(&r, rows.bytes.data() + (i + 1) * sizeof(Row), sizeof r);
      EXPECT_EQ(std::string(r.orderNo), OrderNo(row));
      EXPECT_EQ(r.orderNoLength, 7);
      if (row == 7) EXPECT_EQ(r.amountIndicator, SQL_NULL_DATA);
      else EXPECT_DOUBLE_EQ(r.amount, kAmounts[row - 1]);
    }
  }
  for (std::size_t i = 0; i < sizeof(Row); ++i) ASSERT_EQ(rows.bytes[i], kGuard) << "the skipped structure";
  EXPECT_TRUE(rows.GuardIntact());
}

// A row whose column can't be delivered (order 7's NULL amount, bound
// without an indicator): SQLFetch stops with 22002, SQLExtendedFetch marks
// the row and goes on. A cut value marks its row and the rowset goes on.
TEST(RowsetFetch, RowErrorsAndWarnings) {
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  double amounts[8];
  SQLULEN fetched = 0;
  SQLUSMALLINT statuses[8];
  for (bool extended : {false, true}) {
    StatementHandle& s = *session.NewStatement();
    Set(s, extended ? SQL_ROWSET_SIZE : SQL_ATTR_ROW_ARRAY_SIZE, 8);
    Set(s, SQL_ATTR_ROWS_FETCHED_PTR, reinterpret_cast<SQLULEN>(&fetched));
    Set(s, SQL_ATTR_ROW_STATUS_PTR, reinterpret_cast<SQLULEN>(statuses));
    ASSERT_EQ(ExecDirectStatement(s, reinterpret_cast<const SQLCHAR*>(kOrders), SQL_NTS), SQL_SUCCESS);
    BindColumn(s, 2, SQL_C_DOUBLE, amounts, 0, nullptr);
    const SQLRETURN result = extended ? ExtendedFetch(s, SQL_FETCH_NEXT, 0, &fetched, statuses) : FetchRow(s);
    EXPECT_EQ(result, extended ? SQL_SUCCESS_WITH_INFO : SQL_ERROR);
    EXPECT_EQ(s.diagnostic.messageId, kMsgIndicatorRequired);
    EXPECT_EQ(fetched, extended ? 8u : 7u);
    EXPECT_EQ(statuses[6], SQL_ROW_ERROR);
    EXPECT_EQ(statuses[7], extended ? SQL_ROW_SUCCESS : SQL_ROW_NOROW);
    FreeHandleByKind(SQL_HANDLE_STMT, &s);
  }
  // Names cut to five bytes, never inside a character.
  StatementHandle& s = *session.NewStatement();
  char names[4][6];
  SQLLEN lengths[4];
  Set(s, SQL_ATTR_ROW_ARRAY_SIZE, 4);
  Set(s, SQL_ATTR_ROW_STATUS_PTR, reinterpret_cast<SQLULEN>(statuses));
  ASSERT_EQ(ExecDirectStatement(s, reinterpret_cast<const SQLCHAR*>("SELECT Name FROM \"Sales: Customers\""), SQL_NTS),
            SQL_SUCCESS);
  BindColumn(s, 1, SQL_C_CHAR, names, sizeof names[0], lengths);
  EXPECT_EQ(FetchRow(s), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(s.diagnostic.messageId, kMsgDataTruncated);
  const char* const cut[] = {"Acme ", "M\xC3\xBCll", "Caf\xC3\xA9", "\xE6\x9D\xB1"};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(statuses[i], SQL_ROW_SUCCESS_WITH_INFO) << i;
    EXPECT_EQ(std::string(names[i]), cut[i]) << i;
  }
  EXPECT_EQ(lengths[0], 16);
  FreeHandleByKind(SQL_HANDLE_STMT, &s);
}

}  // namespace
