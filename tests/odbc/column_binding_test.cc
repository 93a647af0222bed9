// SQLBindCol's records on the current ARD: one per column, rebinding
// changes it, a null target unbinds, and the values it refuses.
#include "odbc/column_binding.h"

#include <gtest/gtest.h>

#include <sqlext.h>

#include <vector>

#include "odbc/column_data.h"
#include "odbc_test_handles.h"

namespace {

std::vector<std::uint16_t> BoundColumns(const StatementHandle& s) {
  std::vector<std::uint16_t> columns;
  for (const DescriptorRecord* r = s.currentArd->records; r != nullptr; r = r->nextRecord) columns.push_back(r->number);
  return columns;
}

const DescriptorRecord* RecordOf(const StatementHandle& s, std::uint16_t column) {
  for (const DescriptorRecord* r = s.currentArd->records; r != nullptr; r = r->nextRecord)
    if (r->number == column) return r;
  return nullptr;
}

TEST(ColumnBinding, RecordsOfTheCurrentArd) {
  Connection c;
  StatementHandle& s = *c.NewStatement();
  char text[16];
  SQL_NUMERIC_STRUCT numeric;
  SQLLEN length = 0;
  ASSERT_EQ(BindColumn(s, 2, SQL_C_CHAR, text, sizeof text, &length), SQL_SUCCESS);
  ASSERT_EQ(BindColumn(s, 0, SQL_C_VARBOOKMARK, text, 4, nullptr), SQL_SUCCESS);
  ASSERT_EQ(BindColumn(s, 5, SQL_C_NUMERIC, &numeric, sizeof numeric, nullptr), SQL_SUCCESS);
  EXPECT_EQ(BoundColumns(s), (std::vector<std::uint16_t>{5, 0, 2}));
  EXPECT_EQ(RecordOf(s, 5)->precision, kDefaultNumericPrecision);
  EXPECT_EQ(RecordOf(s, 5)->scale, 0);
  EXPECT_EQ(RecordOf(s, 2)->lengthPointer, &length);
  EXPECT_EQ(RecordOf(s, 2)->indicatorPointer, &length);
  // Rebinding keeps the one record and its place.
  ASSERT_EQ(BindColumn(s, 2, SQL_C_UBIGINT, text, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(BoundColumns(s), (std::vector<std::uint16_t>{5, 0, 2}));
  EXPECT_EQ(RecordOf(s, 2)->precision, kDefaultUnsignedBigintPrecision);
  EXPECT_EQ(RecordOf(s, 2)->lengthPointer, nullptr);
  // A null target unbinds; an unbound column is no error.
  ASSERT_EQ(BindColumn(s, 0, SQL_C_VARBOOKMARK, nullptr, 0, nullptr), SQL_SUCCESS);
  ASSERT_EQ(BindColumn(s, 9, SQL_C_CHAR, nullptr, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(BoundColumns(s), (std::vector<std::uint16_t>{5, 2}));
}

TEST(ColumnBinding, RefusedBindings) {
  Connection c;
  StatementHandle& s = *c.NewStatement();
  char text[16];
  EXPECT_EQ(BindColumn(s, 1, SQL_C_CHAR, text, -1, nullptr), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidBufferLength);
  s.dataAtExecution = 1;
  EXPECT_EQ(BindColumn(s, 1, SQL_C_CHAR, text, sizeof text, nullptr), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidCursorState);
  EXPECT_TRUE(BoundColumns(s).empty());
  // Date-time C types take the environment's form.
  s.dataAtExecution = 0;
  c.environment->odbcVersion = 2;
  ASSERT_EQ(BindColumn(s, 1, SQL_C_TYPE_DATE, text, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(RecordOf(s, 1)->cType, SQL_C_DATE);
}

}  // namespace
