// Statement options and attributes: what each stores and answers, values
// replaced with 1069, refusals, the ODBC 2 forms reaching the same fields,
// open-result conflicts, descriptor choice and SQLSetScrollOptions.
#include <gtest/gtest.h>

#include <sqlext.h>

#include <cstdint>
#include <cstring>
#include <functional>

#include "common/c_to_node.h"
#include "odbc/descriptor_lifecycle.h"
#include "odbc/statement_attributes.h"
#include "odbc_test_handles.h"

namespace {

constexpr SQLULEN kUnchanged = ~SQLULEN{0};

SQLULEN ReadInteger(StatementHandle& statement, SQLINTEGER attribute) {
  SQLULEN value = 0xDEADBEEF;
  SQLINTEGER length = 0;
  EXPECT_EQ(GetStatementAttribute(statement, attribute, &value, 0, &length), kMsgSuccess) << attribute;
  EXPECT_EQ(length, SQL_IS_UINTEGER) << attribute;
  return value;
}

TEST(StatementAttributes, SetThenGet) {
  struct {
    SQLINTEGER attribute;
    SQLULEN value;
    MessageId id;
    SQLULEN answer;  // kUnchanged: not readable through SQLGetStmtAttr
  } cases[] = {
      {SQL_ATTR_QUERY_TIMEOUT, 30, kMsgOptionValueChanged, 0},
      {SQL_ATTR_MAX_ROWS, 25, kMsgSuccess, 25},
      {SQL_ATTR_NOSCAN, SQL_NOSCAN_ON, kMsgOptionalFeature, 0},
      {SQL_ATTR_MAX_LENGTH, 100, kMsgOptionValueChanged, 0},
      {SQL_ATTR_ROW_BIND_TYPE, 48, kMsgSuccess, 48},
      {SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_STATIC, kMsgSuccess, SQL_CURSOR_STATIC},
      {SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_KEYSET_DRIVEN, kMsgOptionValueChanged, SQL_CURSOR_STATIC},
      {SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_FORWARD_ONLY, kMsgSuccess, SQL_CURSOR_FORWARD_ONLY},
      {SQL_ATTR_CONCURRENCY, SQL_CONCUR_LOCK, kMsgSuccess, SQL_CONCUR_LOCK},
      {SQL_ATTR_CONCURRENCY, SQL_CONCUR_ROWVER, kMsgOptionValueChanged, SQL_CONCUR_LOCK},
      {SQL_ATTR_SIMULATE_CURSOR, SQL_SC_NON_UNIQUE, kMsgDriverNotCapable, kUnchanged},
      {SQL_ATTR_RETRIEVE_DATA, SQL_RD_OFF, kMsgSuccess, SQL_RD_OFF},
      {SQL_ATTR_RETRIEVE_DATA, 7, kMsgInvalidAttributeValue, SQL_RD_ON},
      {SQL_ATTR_USE_BOOKMARKS, SQL_UB_VARIABLE, kMsgSuccess, SQL_UB_VARIABLE},
      {SQL_ATTR_USE_BOOKMARKS, 9, kMsgInvalidAttributeValue, SQL_UB_OFF},
      {SQL_ATTR_ROW_NUMBER, 3, kMsgDriverNotCapable, 0},
      {SQL_ATTR_CURSOR_SCROLLABLE, SQL_SCROLLABLE, kMsgSuccess, SQL_SCROLLABLE},
      {SQL_ATTR_CURSOR_SCROLLABLE, 2, kMsgInvalidAttributeValue, SQL_NONSCROLLABLE},
      {SQL_ATTR_CURSOR_SENSITIVITY, SQL_UNSPECIFIED, kMsgSuccess, SQL_UNSPECIFIED},
      {SQL_ATTR_CURSOR_SENSITIVITY, SQL_INSENSITIVE, kMsgOptionalFeatureAttribute, SQL_UNSPECIFIED},
      {SQL_ATTR_PARAM_BIND_TYPE, 32, kMsgSuccess, 32},
      {SQL_ATTR_PARAMSET_SIZE, 0, kMsgInvalidAttributeValue, 1},
      {SQL_ATTR_ROW_ARRAY_SIZE, 10, kMsgSuccess, 10},
      {SQL_ATTR_ROW_ARRAY_SIZE, 0, kMsgInvalidAttributeValue, 1},
      {SQL_ATTR_METADATA_ID, 7, kMsgSuccess, SQL_TRUE},
      {SQL_GET_BOOKMARK, 1, kMsgInvalidAttribute, kUnchanged},
      {SQL_ATTR_IMP_ROW_DESC, 0, kMsgInvalidAttribute, kUnchanged},
      {9999, 0, kMsgInvalidAttribute, kUnchanged},
  };
  for (const auto& c : cases) {
    Connection conn;
    StatementHandle& statement = *conn.NewStatement();
    EXPECT_EQ(SetStatementAttribute(statement, c.attribute, Integer(c.value)), c.id)
        << c.attribute << "=" << c.value;
    if (c.answer != kUnchanged) {
      EXPECT_EQ(ReadInteger(statement, c.attribute), c.answer) << c.attribute;
    }
  }
}

// Where each pointer attribute lands, so a fetch or an execute finds it.
TEST(StatementAttributes, PointersLandInTheirDescriptors) {
  struct {
    SQLINTEGER attribute;
    std::function<const void*(const StatementHandle&)> field;
  } cases[] = {
      {SQL_ATTR_FETCH_BOOKMARK_PTR, [](const StatementHandle& s) { return s.fetchBookmarkPointer; }},
      {SQL_ATTR_PARAM_BIND_OFFSET_PTR, [](const StatementHandle& s) { return s.currentApd->bindOffsetPointer; }},
      {SQL_ATTR_PARAM_OPERATION_PTR, [](const StatementHandle& s) { return s.currentApd->arrayStatusPointer; }},
      {SQL_ATTR_PARAM_STATUS_PTR, [](const StatementHandle& s) { return s.ipd.arrayStatusPointer; }},
      {SQL_ATTR_PARAMS_PROCESSED_PTR, [](const StatementHandle& s) { return s.ipd.rowsProcessedPointer; }},
      {SQL_ATTR_ROW_BIND_OFFSET_PTR, [](const StatementHandle& s) { return s.currentArd->bindOffsetPointer; }},
      {SQL_ATTR_ROW_OPERATION_PTR, [](const StatementHandle& s) { return s.currentArd->arrayStatusPointer; }},
      {SQL_ATTR_ROW_STATUS_PTR, [](const StatementHandle& s) { return s.ird.arrayStatusPointer; }},
      {SQL_ATTR_ROWS_FETCHED_PTR, [](const StatementHandle& s) { return s.ird.rowsProcessedPointer; }},
  };
  for (const auto& c : cases) {
    Connection conn;
    StatementHandle& statement = *conn.NewStatement();
    SQLLEN target = 0;
    ASSERT_EQ(SetStatementAttribute(statement, c.attribute, &target), kMsgSuccess) << c.attribute;
    EXPECT_EQ(c.field(statement), &target) << c.attribute;
    SQLPOINTER answer = nullptr;
    SQLINTEGER length = 0;
    EXPECT_EQ(GetStatementAttribute(statement, c.attribute, &answer, 0, &length), kMsgSuccess);
    EXPECT_EQ(answer, &target) << c.attribute;
    EXPECT_EQ(length, SQL_IS_POINTER);
    ASSERT_EQ(SetStatementAttribute(statement, c.attribute, nullptr), kMsgSuccess);
    EXPECT_EQ(GetStatementAttribute(statement, c.attribute, &answer, 0, nullptr), kMsgSuccess);
    EXPECT_EQ(answer, nullptr) << c.attribute;
  }
  Connection conn;
  StatementHandle& statement = *conn.NewStatement();
  SetStatementAttribute(statement, SQL_ATTR_ROW_BIND_OFFSET_PTR, nullptr);
  EXPECT_EQ(statement.ard.bindOffsetPointer, &statement.ard.zeroWord);
}

// The ODBC 2 option and the ODBC 3 attribute of one id share one field.
TEST(StatementAttributes, OptionFormsShareFields) {
  struct {
    SQLUSMALLINT option;
    SQLINTEGER attribute;
    SQLULEN optionValue;
    SQLULEN attributeValue;
  } cases[] = {
      {SQL_BIND_TYPE, SQL_ATTR_ROW_BIND_TYPE, 40, SQL_BIND_BY_COLUMN},
      {SQL_CURSOR_TYPE, SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_STATIC, SQL_CURSOR_FORWARD_ONLY},
      {SQL_CONCURRENCY, SQL_ATTR_CONCURRENCY, SQL_CONCUR_LOCK, SQL_CONCUR_READ_ONLY},
  };
  for (const auto& c : cases) {
    Connection conn;
    StatementHandle& statement = *conn.NewStatement();
    ASSERT_EQ(SetStatementOption(statement, c.option, c.optionValue), kMsgSuccess) << c.option;
    EXPECT_EQ(ReadInteger(statement, c.attribute), c.optionValue) << c.option;
    ASSERT_EQ(SetStatementAttribute(statement, c.attribute, Integer(c.attributeValue)), kMsgSuccess) << c.option;
    SQLULEN option = 0;
    EXPECT_EQ(GetStatementOption(statement, c.option, option), kMsgSuccess);
    EXPECT_EQ(option, c.attributeValue) << c.option;
  }
}

// SQLExtendedFetch's rowset and the rowset of SQLFetch and SQLFetchScroll
// are apart: an ODBC 2 application sets the first and binds one row for
// SQLFetch, which must not then write a whole rowset.
TEST(StatementAttributes, RowsetSizeIsNotTheRowArraySize) {
  Connection conn;
  StatementHandle& statement = *conn.NewStatement();
  ASSERT_EQ(SetStatementOption(statement, SQL_ROWSET_SIZE, 7), kMsgSuccess);
  ASSERT_EQ(SetStatementAttribute(statement, SQL_ATTR_ROW_ARRAY_SIZE, Integer(9)), kMsgSuccess);
  EXPECT_EQ(ReadInteger(statement, SQL_ROWSET_SIZE), 7u);
  EXPECT_EQ(ReadInteger(statement, SQL_ATTR_ROW_ARRAY_SIZE), 9u);
  EXPECT_EQ(statement.rowsetSize, 7);
  EXPECT_EQ(statement.rowArraySize, 9);
  EXPECT_EQ(SetStatementOption(statement, SQL_ROWSET_SIZE, 0), kMsgInvalidAttributeValue);
}

TEST(StatementAttributes, FieldsBehindTheAnswers) {
  Connection conn;
  StatementHandle& statement = *conn.NewStatement();
  statement.rowsetRowIndex = 3;
  statement.paramsetCounter = 2;
  SetStatementAttribute(statement, SQL_ATTR_ROW_ARRAY_SIZE, Integer(4));
  SetStatementAttribute(statement, SQL_ATTR_PARAMSET_SIZE, Integer(6));
  EXPECT_EQ(statement.rowsetRowIndex, 0);
  EXPECT_EQ(statement.paramsetCounter, 0);
  // The parser works out the row limit from the maximum rows.
  SetStatementAttribute(statement, SQL_ATTR_MAX_ROWS, Integer(9));
  EXPECT_EQ(statement.rowLimit, 9);
  SetStatementAttribute(statement, SQL_ATTR_MAX_ROWS, Integer(0));
  EXPECT_EQ(statement.rowLimit, kNoRowLimit);
  EXPECT_EQ(SetStatementAttribute(statement, SQL_ATTR_MAX_ROWS, Integer(~SQLULEN{0})), kMsgInvalidAttributeValue);
  EXPECT_EQ(statement.maxRows, 0);
  // Parameter conversions read the bind type of the APD in use.
  SetStatementAttribute(statement, SQL_ATTR_PARAM_BIND_TYPE, Integer(24));
  EXPECT_EQ(statement.currentApd->bindType, 24u);
  EXPECT_EQ(statement.ard.bindType, 0u);
  SetStatementAttribute(statement, SQL_ATTR_CURSOR_TYPE, Integer(SQL_CURSOR_STATIC));
  EXPECT_EQ(statement.cursorType, kCursorStatic);
}

TEST(StatementAttributes, OpenResultKeepsItsCursor) {
  struct {
    SQLINTEGER attribute;
    SQLULEN value;
    MessageId id;
  } cases[] = {
      {SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_STATIC, kMsgInvalidCursorState},
      {SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_FORWARD_ONLY, kMsgSuccess},
      {SQL_ATTR_CONCURRENCY, SQL_CONCUR_LOCK, kMsgInvalidCursorState},
      {SQL_ATTR_CONCURRENCY, SQL_CONCUR_READ_ONLY, kMsgSuccess},
      {SQL_ATTR_CURSOR_SCROLLABLE, SQL_SCROLLABLE, kMsgInvalidCursorState},
      {SQL_ATTR_CURSOR_SCROLLABLE, SQL_NONSCROLLABLE, kMsgSuccess},
      {SQL_ATTR_CURSOR_SCROLLABLE, 5, kMsgInvalidCursorState},
  };
  for (const auto& c : cases) {
    Connection conn;
    StatementHandle& statement = *conn.NewStatement();
    statement.statementKind = kStatementQueryResult;
    EXPECT_EQ(SetStatementAttribute(statement, c.attribute, Integer(c.value)), c.id) << c.attribute;
    EXPECT_EQ(statement.cursorType, kCursorForwardOnly);
    EXPECT_EQ(statement.concurrency, SQL_CONCUR_READ_ONLY);
  }
}

TEST(StatementAttributes, ApplicationDescriptorChoice) {
  Connection conn;
  Connection other;
  StatementHandle& statement = *conn.NewStatement();
  StatementHandle& neighbour = *conn.NewStatement();
  DescriptorHandle* mine = nullptr;
  DescriptorHandle* foreign = nullptr;
  ASSERT_EQ(AllocateApplicationDescriptor(*conn.connection, &mine), SQL_SUCCESS);
  ASSERT_EQ(AllocateApplicationDescriptor(*other.connection, &foreign), SQL_SUCCESS);
  mine->bindType = 64;
  struct {
    SQLINTEGER attribute;
    void* value;
    MessageId id;
    std::function<DescriptorHandle*()> expected;
  } cases[] = {
      {SQL_ATTR_APP_ROW_DESC, mine, kMsgSuccess, [&] { return mine; }},
      {SQL_ATTR_APP_ROW_DESC, &neighbour.ard, kMsgAutomaticDescriptor, [&] { return mine; }},
      {SQL_ATTR_APP_ROW_DESC, foreign, kMsgInvalidAttributeValue, [&] { return mine; }},
      {SQL_ATTR_APP_ROW_DESC, nullptr, kMsgSuccess, [&] { return &statement.ard; }},
      {SQL_ATTR_APP_PARAM_DESC, mine, kMsgSuccess, [&] { return mine; }},
      {SQL_ATTR_APP_PARAM_DESC, &neighbour.apd, kMsgAutomaticDescriptor, [&] { return mine; }},
      {SQL_ATTR_APP_PARAM_DESC, &statement.apd, kMsgSuccess, [&] { return &statement.apd; }},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SetStatementAttribute(statement, c.attribute, c.value), c.id) << c.attribute;
    SQLPOINTER answer = nullptr;
    EXPECT_EQ(GetStatementAttribute(statement, c.attribute, &answer, 0, nullptr), kMsgSuccess);
    EXPECT_EQ(answer, c.expected()) << c.attribute;
  }
  SetStatementAttribute(statement, SQL_ATTR_APP_PARAM_DESC, mine);
  EXPECT_EQ(statement.currentApd->bindType, 64u);
  SQLPOINTER answer = nullptr;
  GetStatementAttribute(statement, SQL_ATTR_IMP_ROW_DESC, &answer, 0, nullptr);
  EXPECT_EQ(answer, &statement.ird);
  GetStatementAttribute(statement, SQL_ATTR_IMP_PARAM_DESC, &answer, 0, nullptr);
  EXPECT_EQ(answer, &statement.ipd);
}

TEST(StatementAttributes, ScrollOptions) {
  struct {
    SQLUSMALLINT concurrency;
    SQLLEN keyset;
    SQLUSMALLINT rowset;
    bool openResult;
    MessageId id;
    std::uint16_t cursorType;
    std::uint16_t concurrencyAfter;
    std::int64_t rowsetSize;
  } cases[] = {
      {SQL_CONCUR_LOCK, SQL_SCROLL_STATIC, 10, false, kMsgSuccess, kCursorStatic, 2, 10},
      {SQL_CONCUR_LOCK, SQL_SCROLL_KEYSET_DRIVEN, 10, false, kMsgOptionValueChanged, kCursorStatic, 2, 10},
      {SQL_CONCUR_VALUES, SQL_SCROLL_FORWARD_ONLY, 5, false, kMsgOptionValueChanged, kCursorForwardOnly, 2, 5},
      {SQL_CONCUR_READ_ONLY, 100, 5, false, kMsgOptionValueChanged, kCursorForwardOnly, 1, 5},
      {SQL_CONCUR_READ_ONLY, SQL_SCROLL_FORWARD_ONLY, 0, false, kMsgInvalidAttributeValue, kCursorForwardOnly, 1, 1},
      // The concurrency refuses first, so nothing after it changes.
      {SQL_CONCUR_LOCK, SQL_SCROLL_STATIC, 10, true, kMsgInvalidCursorState, kCursorForwardOnly, 1, 1},
  };
  for (const auto& c : cases) {
    Connection conn;
    StatementHandle& statement = *conn.NewStatement();
    if (c.openResult) statement.statementKind = kStatementQueryResult;
    EXPECT_EQ(SetScrollOptions(statement, c.concurrency, c.keyset, c.rowset), c.id) << c.keyset;
    EXPECT_EQ(statement.cursorType, c.cursorType) << c.keyset;
    EXPECT_EQ(statement.concurrency, c.concurrencyAfter) << c.keyset;
    EXPECT_EQ(statement.rowsetSize, c.rowsetSize) << c.keyset;
    EXPECT_EQ(statement.rowArraySize, 1) << c.keyset;
  }
}

}  // namespace

// Two statements share one APD; a row-wise bind type set through one must
// govern the other's parameter rows too, or the second statement would step
// through the application's array as if it were column-wise.
TEST(StatementAttributes, SharedParameterDescriptorGovernsEveryStatement) {
  Connection conn;
  StatementHandle& first = *conn.NewStatement();
  StatementHandle& second = *conn.NewStatement();
  DescriptorHandle* shared = nullptr;
  ASSERT_EQ(AllocateApplicationDescriptor(*conn.connection, &shared), SQL_SUCCESS);
  ASSERT_EQ(SetStatementAttribute(first, SQL_ATTR_APP_PARAM_DESC, shared), kMsgSuccess);
  ASSERT_EQ(SetStatementAttribute(second, SQL_ATTR_APP_PARAM_DESC, shared), kMsgSuccess);
  ASSERT_EQ(SetStatementAttribute(first, SQL_ATTR_PARAM_BIND_TYPE, Integer(16)), kMsgSuccess);

  // Row-wise: the caller has already stepped the pointer to row 1's element.
  char row[] = "ab";
  ValueCell text;
  text.valueType = kValueCharacter;
  text.size = 12;
  ASSERT_EQ(ConvertCValueToNodeValue(&second, text, nullptr, SQL_C_CHAR, row, SQL_NTS, 1, 4), kMsgSuccess);
  EXPECT_EQ(text.bytes, "ab");
}

namespace {

// Every readable attribute and option at the width ODBC gives it on this
// platform; bytes past it stay as they were.
TEST(StatementAttributes, AnswersAtOdbcWidths) {
  constexpr std::size_t kLength = sizeof(SQLULEN);
  constexpr std::size_t kInteger = sizeof(SQLUINTEGER);
  constexpr std::size_t kPointer = sizeof(SQLPOINTER);
  const struct {
    SQLINTEGER attribute;
    std::size_t width;
  } attributes[] = {
      {SQL_ATTR_CURSOR_SENSITIVITY, kInteger}, {SQL_ATTR_CURSOR_SCROLLABLE, kInteger},
      {SQL_ATTR_QUERY_TIMEOUT, kLength},       {SQL_ATTR_MAX_ROWS, kLength},
      {SQL_ATTR_NOSCAN, kLength},              {SQL_ATTR_MAX_LENGTH, kLength},
      {SQL_ATTR_ASYNC_ENABLE, kLength},        {SQL_ATTR_ROW_BIND_TYPE, kLength},
      {SQL_ATTR_CURSOR_TYPE, kLength},         {SQL_ATTR_CONCURRENCY, kLength},
      {SQL_ATTR_KEYSET_SIZE, kLength},         {SQL_ATTR_RETRIEVE_DATA, kLength},
      {SQL_ATTR_USE_BOOKMARKS, kLength},       {SQL_ATTR_ROW_NUMBER, kLength},
      {SQL_ATTR_ENABLE_AUTO_IPD, kInteger},    {SQL_ATTR_FETCH_BOOKMARK_PTR, kPointer},
      {SQL_ATTR_PARAM_BIND_OFFSET_PTR, kPointer}, {SQL_ATTR_PARAM_BIND_TYPE, kLength},
      {SQL_ATTR_PARAM_OPERATION_PTR, kPointer}, {SQL_ATTR_PARAM_STATUS_PTR, kPointer},
      {SQL_ATTR_PARAMS_PROCESSED_PTR, kPointer}, {SQL_ATTR_PARAMSET_SIZE, kLength},
      {SQL_ATTR_ROW_BIND_OFFSET_PTR, kPointer}, {SQL_ATTR_ROW_OPERATION_PTR, kPointer},
      {SQL_ATTR_ROW_STATUS_PTR, kPointer},     {SQL_ATTR_ROWS_FETCHED_PTR, kPointer},
      {SQL_ATTR_ROW_ARRAY_SIZE, kLength},      {SQL_ATTR_APP_ROW_DESC, kPointer},
      {SQL_ATTR_APP_PARAM_DESC, kPointer},     {SQL_ATTR_IMP_ROW_DESC, kPointer},
      {SQL_ATTR_IMP_PARAM_DESC, kPointer},     {SQL_ATTR_METADATA_ID, kInteger},
  };
  Connection conn;
  StatementHandle& statement = *conn.NewStatement();
  for (const auto& a : attributes) {
    unsigned char buffer[24];
    std::memset(buffer, 0xA5, sizeof buffer);
    ASSERT_EQ(GetStatementAttribute(statement, a.attribute, buffer, sizeof buffer, nullptr), kMsgSuccess)
        << a.attribute;
    for (std::size_t i = a.width; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0xA5) << a.attribute << " byte " << i;
    // The answer fills its whole width: no byte of the first slot is a guard
    // byte left over (every answer here is 0, 1 or an address).
    EXPECT_NE(buffer[a.width - 1], 0xA5) << a.attribute;
  }
  // The ODBC 2 options: four are SQLULEN, the rest 32 bits.
  for (SQLUSMALLINT option = SQL_QUERY_TIMEOUT; option <= SQL_ROW_NUMBER; ++option) {
    const bool wide = option == SQL_KEYSET_SIZE || option == SQL_MAX_LENGTH || option == SQL_MAX_ROWS ||
                      option == SQL_ROWSET_SIZE;
    unsigned char buffer[16];
    std::memset(buffer, 0xA5, sizeof buffer);
    WriteStatementOption(option, 0, buffer);
    const std::size_t width = wide ? kLength : kInteger;
    for (std::size_t i = 0; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], i < width ? 0 : 0xA5) << option << " " << i;
  }
  WriteStatementOption(SQL_MAX_ROWS, 5, nullptr);
}

}  // namespace
