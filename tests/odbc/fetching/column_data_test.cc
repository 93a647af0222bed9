// Data retrieval through SQLGetData's core and bound columns: the pieces of
// a value as each target type cuts it, NULLs and indicators, SQL_ARD_TYPE,
// SQL_C_NUMERIC at the descriptor's precision and scale, the missing
// partner of an outer join, and evaluated values in column-wise arrays.
// Whole long values are read through the Driver Manager.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/utf16_text.h"
#include "fetch_session.h"
#include "handles/descriptor_handle.h"
#include "long_values_fixture.h"
#include "odbc/column_binding.h"
#include "odbc/column_data.h"
#include "odbc/row_fetch.h"
#include "odbc/statement_attributes.h"

namespace {

struct Piece {
  SQLRETURN result;
  SQLLEN length;
  std::string bytes;
};

// One SQLGetData call into a buffer of size bytes; the bytes it delivered
// (a character piece without its NUL).
Piece GetPiece(StatementHandle& s, SQLUSMALLINT column, SQLSMALLINT cType, SQLLEN size) {
  std::vector<char> buffer(static_cast<std::size_t>(size) + 8, '#');
  Piece p{SQL_ERROR, -99, {}};
  p.result = GetData(s, column, cType, buffer.data(), size, &p.length);
  EXPECT_EQ(std::string(buffer.data() + size, 8), "########") << "written past the buffer";
  if (p.result != SQL_SUCCESS && p.result != SQL_SUCCESS_WITH_INFO) return p;
  const SQLLEN terminator = cType == SQL_C_CHAR ? 1 : cType == SQL_C_WCHAR ? 2 : 0;
  SQLLEN kept = p.length == SQL_NULL_DATA ? 0 : p.length;
  if (p.result == SQL_SUCCESS_WITH_INFO || kept > size - terminator) {
    kept = size - terminator;
    if (cType == SQL_C_CHAR) kept = static_cast<SQLLEN>(std::strlen(buffer.data()));
    if (cType == SQL_C_WCHAR) kept = static_cast<SQLLEN>(Utf16LeTerminatedLength(buffer.data(), size));
  }
  p.bytes.assign(buffer.data(), static_cast<std::size_t>(kept));
  return p;
}

struct LongValues : FetchSession {
  LongValues() : FetchSession(3, LongValuesFixture()) {}
  void Open() {
    ASSERT_EQ(Run(std::string("SELECT Body, Blob, Short FROM \"") + kLongValuesTable + "\""), SQL_SUCCESS)
        << Statement().diagnostic.messageId;
    ASSERT_EQ(FetchRow(Statement()), SQL_SUCCESS);
  }
};

// A 100-byte text in 40-byte pieces, as each target type cuts it.
TEST(ColumnData, PiecesOfAHundredByteText) {
  LongValues session;
  ASSERT_TRUE(session.Ready());
  session.Open();
  StatementHandle& s = session.Statement();
  const std::string text = HundredByteText();
  struct Case {
    SQLSMALLINT cType;
    std::vector<SQLLEN> lengths;  // the length reported with each piece
    std::vector<std::size_t> pieces;
  } const cases[] = {
      {SQL_C_CHAR, {100, 61, 22}, {39, 39, 22}},
      {SQL_C_BINARY, {100, 60, 20}, {40, 40, 20}},
      {SQL_C_WCHAR, {200, 162, 124, 86, 48, 10}, {38, 38, 38, 38, 38, 10}},
  };
  for (const Case& c : cases) {
    // Another column in between starts the text over.
    GetPiece(s, 1, SQL_C_CHAR, 10);
    std::string whole;
    for (std::size_t i = 0; i < c.pieces.size(); ++i) {
      const Piece p = GetPiece(s, 3, c.cType, 40);
      const bool last = i + 1 == c.pieces.size();
      EXPECT_EQ(p.result, last ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO) << c.cType << " piece " << i;
      EXPECT_EQ(p.length, c.lengths[i]) << c.cType << " piece " << i;
      EXPECT_EQ(p.bytes.size(), c.pieces[i]) << c.cType << " piece " << i;
      EXPECT_EQ(s.diagnostic.messageId, last ? kMsgSuccess : kMsgDataTruncated);
      whole += p.bytes;
    }
    EXPECT_EQ(GetPiece(s, 3, c.cType, 40).result, SQL_NO_DATA) << c.cType;
    EXPECT_EQ(s.diagnostic.messageId, kMsgSuccess);
    EXPECT_EQ(whole, c.cType == SQL_C_WCHAR ? Utf8ToUtf16Le(text) : text) << c.cType;
  }
}

// SQL_ARD_TYPE reads a column as it is bound, with the record's precision
// and scale for SQL_C_NUMERIC; a plain SQL_C_NUMERIC takes the defaults,
// scale 0, and says when it cut fraction digits.
TEST(ColumnData, ArdTypeAndNumericPrecisionAndScale) {
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  StatementHandle& s = session.Statement();
  ASSERT_EQ(session.Run("SELECT Amount, \"Order No\", Amount FROM \"Sales: Orders\""), SQL_SUCCESS);
  SQLINTEGER whole = 0;
  SQL_NUMERIC_STRUCT bound{};
  ASSERT_EQ(BindColumn(s, 1, SQL_C_LONG, &whole, 0, nullptr), SQL_SUCCESS);
  ASSERT_EQ(BindColumn(s, 3, SQL_C_NUMERIC, &bound, sizeof bound, nullptr), SQL_SUCCESS);
  // What SQLSetDescField(SQL_DESC_PRECISION, SQL_DESC_SCALE) leaves on the record.
  for (DescriptorRecord* r = s.currentArd->records; r != nullptr; r = r->nextRecord) {
    if (r->number != 3) continue;
    r->precision = 10;
    r->scale = 3;
  }
  EXPECT_EQ(FetchRow(s), SQL_SUCCESS_WITH_INFO);  // 1622.54 as a whole number
  EXPECT_EQ(whole, 1622);
  EXPECT_EQ(bound.scale, 3);
  EXPECT_EQ(bound.precision, 10);
  EXPECT_EQ(bound.val[0] | bound.val[1] << 8 | bound.val[2] << 16, 1622540);

  SQLINTEGER asBound = 0;
  SQLLEN length = 0;
  EXPECT_EQ(GetData(s, 1, SQL_ARD_TYPE, &asBound, 0, &length), SQL_SUCCESS_WITH_INFO);  // 1622.54 cut
  EXPECT_EQ(asBound, 1622);
  EXPECT_EQ(length, static_cast<SQLLEN>(sizeof(SQLINTEGER)));
  char text[16];
  EXPECT_EQ(GetData(s, 2, SQL_ARD_TYPE, text, sizeof text, &length), SQL_SUCCESS);
  EXPECT_EQ(std::string(text), "SO-0001");
  SQL_NUMERIC_STRUCT numeric{};
  EXPECT_EQ(GetData(s, 3, SQL_ARD_TYPE, &numeric, sizeof numeric, &length), SQL_SUCCESS);
  EXPECT_EQ(numeric.scale, 3);
  EXPECT_EQ(GetData(s, 1, SQL_C_NUMERIC, &numeric, sizeof numeric, &length), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(s.diagnostic.messageId, kMsgFractionalTruncation);
  EXPECT_EQ(numeric.scale, 0);
  EXPECT_EQ(numeric.precision, kDefaultNumericPrecision);
  EXPECT_EQ(numeric.val[0] | numeric.val[1] << 8, 1622);
}

// The outer join's missing partner reads as NULL, and a character buffer
// receives an empty text rather than keeping the last row's.
TEST(ColumnData, MissingOuterJoinPartner) {
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  StatementHandle& s = session.Statement();
  ASSERT_EQ(session.Run("SELECT c.\"Record ID_\", o.\"Order No\" FROM \"Sales: Customers\" c LEFT OUTER JOIN "
                        "\"Sales: Orders\" o ON o.\"Related Customer\" = c.\"Record ID_\""),
            SQL_SUCCESS)
      << s.diagnostic.messageId;
  SQLINTEGER customer = 0;
  char orderNo[16];
  SQLLEN indicator = 0;
  BindColumn(s, 1, SQL_C_SLONG, &customer, 0, nullptr);
  BindColumn(s, 2, SQL_C_CHAR, orderNo, sizeof orderNo, &indicator);
  int partnerless = 0;
  while (FetchRow(s) == SQL_SUCCESS) {
    if (indicator != SQL_NULL_DATA) {
      EXPECT_EQ(std::string(orderNo, 3), "SO-");
      continue;
    }
    ++partnerless;
    EXPECT_EQ(customer, 8);
    EXPECT_EQ(std::string(orderNo), "");
  }
  EXPECT_EQ(partnerless, 1);
}

// Evaluated values in column-wise arrays: a character element steps by its
// buffer length and a small integer by two bytes, whatever the value's own
// size; a decimal zero, held as an empty text, reads as "0". A NULL is
// SQL_NULL_DATA through the indicator, once; without an indicator the call
// fails with 22002.
TEST(ColumnData, EvaluatedValuesAndNulls) {
  FetchSession session;
  ASSERT_TRUE(session.Ready());
  StatementHandle& s = session.Statement();
  SetStatementAttribute(s, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(3));
  ASSERT_EQ(session.Run("SELECT \"Record ID_\" * 1.5, \"Record ID_\" + 100, {fn CONVERT(0, SQL_DECIMAL)}, Amount FROM "
                        "\"Sales: Orders\" WHERE \"Record ID_\" >= 4"),
            SQL_SUCCESS);
  char halves[3][24];
  SQLSMALLINT plusHundred[3 + 1] = {0, 0, 0, 77};
  char zeros[3][4];
  BindColumn(s, 1, SQL_C_CHAR, halves, sizeof halves[0], nullptr);
  BindColumn(s, 2, SQL_C_SSHORT, plusHundred, 100, nullptr);
  BindColumn(s, 3, SQL_C_CHAR, zeros, sizeof zeros[0], nullptr);
  ASSERT_EQ(FetchRow(s), SQL_SUCCESS) << s.diagnostic.messageId;
  EXPECT_EQ(std::string(halves[1]), "7.5");
  EXPECT_EQ(std::string(halves[2]), "9.0");
  EXPECT_EQ(plusHundred[2], 106);
  EXPECT_EQ(plusHundred[3], 77);
  EXPECT_EQ(std::string(zeros[1]), "0");

  SetStatementAttribute(s, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1));
  ASSERT_EQ(FetchRow(s), SQL_SUCCESS);  // order 7, without an amount
  double amount = 42;
  SQLLEN indicator = 0;
  EXPECT_EQ(GetData(s, 4, SQL_C_DOUBLE, &amount, 0, nullptr), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgIndicatorRequired);
  EXPECT_EQ(GetData(s, 4, SQL_C_DOUBLE, &amount, 0, &indicator), SQL_SUCCESS);
  EXPECT_EQ(indicator, SQL_NULL_DATA);
  EXPECT_EQ(amount, 42);
  EXPECT_EQ(GetData(s, 4, SQL_C_DOUBLE, &amount, 0, &indicator), SQL_NO_DATA);
  EXPECT_EQ(GetData(s, 5, SQL_C_DOUBLE, &amount, 0, &indicator), SQL_ERROR);
  EXPECT_EQ(s.diagnostic.messageId, kMsgInvalidColumnId);
}

}  // namespace
