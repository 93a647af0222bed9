// Descriptor fields, records and copies: round trips through application
// descriptors, every field at the width ODBC gives it (guard bytes behind),
// the IPD answered from a prepared statement, the statement attributes that
// are descriptor fields, and the refusals.
#include <gtest/gtest.h>

#include <sqlext.h>

#include <cstring>
#include <string>

#include "common/diagnostics.h"
#include "odbc/descriptor_copy.h"
#include "odbc/descriptor_fields.h"
#include "odbc/descriptor_record_calls.h"
#include "odbc/descriptor_values.h"
#include "odbc/prepare_statement.h"
#include "odbc/statement_attributes.h"
#include "odbc_test_handles.h"

namespace {

std::string StateOf(const DescriptorHandle& descriptor) {
  return RenderDiagnostic(descriptor.diagnostic).odbc3State;
}

// A field read into a zeroed 8-byte slot, so a narrower answer reads whole.
SQLLEN ReadNumber(DescriptorHandle& descriptor, SQLSMALLINT record, SQLSMALLINT field,
                  SQLRETURN expected = SQL_SUCCESS) {
  SQLLEN value = 0;
  EXPECT_EQ(GetDescriptorField(descriptor, record, field, &value, 0, nullptr), expected) << field;
  if (value > 0x7FFF && value <= 0xFFFF) value = static_cast<SQLSMALLINT>(value);  // a negative SQLSMALLINT
  return value;
}

SQLPOINTER ReadPointer(DescriptorHandle& descriptor, SQLSMALLINT record, SQLSMALLINT field) {
  SQLPOINTER value = reinterpret_cast<SQLPOINTER>(0x1);
  EXPECT_EQ(GetDescriptorField(descriptor, record, field, &value, 0, nullptr), SQL_SUCCESS) << field;
  return value;
}

std::string ReadText(DescriptorHandle& descriptor, SQLSMALLINT record, SQLSMALLINT field) {
  char text[64] = "unset";
  EXPECT_EQ(GetDescriptorField(descriptor, record, field, text, sizeof text, nullptr), SQL_SUCCESS) << field;
  return text;
}

SQLRETURN Set(DescriptorHandle& descriptor, SQLSMALLINT record, SQLSMALLINT field, SQLPOINTER value) {
  return SetDescriptorField(descriptor, record, field, value, 0);
}

SQLRETURN Prepare(StatementHandle& statement, const char* text) {
  return PrepareStatement(statement, reinterpret_cast<const SQLCHAR*>(text), SQL_NTS);
}

// ODBC's width of every descriptor field; 0 for a text.
struct OdbcField {
  SQLSMALLINT field;
  std::size_t width;
};

const OdbcField kOdbcFields[] = {
    {SQL_DESC_ALLOC_TYPE, 2},        {SQL_DESC_ARRAY_SIZE, 8},
    {SQL_DESC_ARRAY_STATUS_PTR, 8},  {SQL_DESC_BIND_OFFSET_PTR, 8},
    {SQL_DESC_BIND_TYPE, 4},         {SQL_DESC_COUNT, 2},
    {SQL_DESC_ROWS_PROCESSED_PTR, 8}, {SQL_DESC_AUTO_UNIQUE_VALUE, 4},
    {SQL_DESC_BASE_COLUMN_NAME, 0},  {SQL_DESC_BASE_TABLE_NAME, 0},
    {SQL_DESC_CASE_SENSITIVE, 4},    {SQL_DESC_CATALOG_NAME, 0},
    {SQL_DESC_CONCISE_TYPE, 2},      {SQL_DESC_DATA_PTR, 8},
    {SQL_DESC_DATETIME_INTERVAL_CODE, 2}, {SQL_DESC_DATETIME_INTERVAL_PRECISION, 4},
    {SQL_DESC_DISPLAY_SIZE, 8},      {SQL_DESC_FIXED_PREC_SCALE, 2},
    {SQL_DESC_INDICATOR_PTR, 8},     {SQL_DESC_LABEL, 0},
    {SQL_DESC_LENGTH, 8},            {SQL_DESC_LITERAL_PREFIX, 0},
    {SQL_DESC_LITERAL_SUFFIX, 0},    {SQL_DESC_LOCAL_TYPE_NAME, 0},
    {SQL_DESC_NAME, 0},              {SQL_DESC_NULLABLE, 2},
    {SQL_DESC_NUM_PREC_RADIX, 4},    {SQL_DESC_OCTET_LENGTH, 8},
    {SQL_DESC_OCTET_LENGTH_PTR, 8},  {SQL_DESC_PARAMETER_TYPE, 2},
    {SQL_DESC_PRECISION, 2},         {SQL_DESC_SCALE, 2},
    {SQL_DESC_SCHEMA_NAME, 0},       {SQL_DESC_SEARCHABLE, 2},
    {SQL_DESC_TABLE_NAME, 0},        {SQL_DESC_TYPE, 2},
    {SQL_DESC_TYPE_NAME, 0},         {SQL_DESC_UNNAMED, 2},
    {SQL_DESC_UNSIGNED, 2},          {SQL_DESC_UPDATABLE, 2},
};

void ExpectWidths(DescriptorHandle& descriptor, SQLSMALLINT record, const char* label) {
  for (const OdbcField& f : kOdbcFields) {
    unsigned char buffer[40];
    std::memset(buffer, 0xA5, sizeof buffer);
    SQLINTEGER length = -99;
    ASSERT_EQ(GetDescriptorField(descriptor, record, f.field, buffer, 32, &length), SQL_SUCCESS)
        << label << " field " << f.field << " " << RenderDiagnostic(descriptor.diagnostic).text;
    const std::size_t width = f.width != 0 ? f.width : std::strlen(reinterpret_cast<char*>(buffer)) + 1;
    for (std::size_t i = width; i < sizeof buffer; ++i)
      EXPECT_EQ(buffer[i], 0xA5) << label << " field " << f.field << ": byte " << i << " written";
    if (f.width == 8 && f.field != SQL_DESC_ARRAY_SIZE && f.field != SQL_DESC_LENGTH &&
        f.field != SQL_DESC_DISPLAY_SIZE && f.field != SQL_DESC_OCTET_LENGTH) {
      EXPECT_EQ(length, SQL_IS_POINTER) << label << " field " << f.field;
    } else if (f.width == 0) {
      EXPECT_EQ(static_cast<std::size_t>(length), width - 1) << label << " field " << f.field;
    } else if (f.field != SQL_DESC_BIND_TYPE) {
      EXPECT_EQ(static_cast<std::size_t>(length), f.width) << label << " field " << f.field;
    }
  }
}

TEST(DescriptorFields, EveryFieldAtItsWidth) {
  Connection c(kConnected);
  StatementHandle& s = *c.NewStatement();
  SQLLEN indicator = 0;
  ASSERT_EQ(Set(s.ard, 2, SQL_DESC_CONCISE_TYPE, Integer(SQL_C_CHAR)), SQL_SUCCESS);
  ASSERT_EQ(Set(s.ard, 2, SQL_DESC_INDICATOR_PTR, &indicator), SQL_SUCCESS);
  ExpectWidths(s.ard, 2, "ARD record");
  ExpectWidths(s.ard, 1, "ARD hole");
  ASSERT_EQ(Prepare(s, "SELECT qVALUE FROM \"TARVOX CONNECTION CONFIG\" WHERE qPARAMETER = ?"), SQL_SUCCESS);
  ExpectWidths(s.ipd, 1, "IPD record");
}

TEST(DescriptorFields, ApplicationRoundTrips) {
  Connection c(kConnected);
  StatementHandle& s = *c.NewStatement();
  SQLLEN length = 0;
  SQLLEN indicator = 0;
  char data[16];
  struct {
    SQLSMALLINT field;
    SQLPOINTER value;
    SQLLEN number;  // what reads back; for pointers the pointer itself
  } cases[] = {
      {SQL_DESC_CONCISE_TYPE, Integer(SQL_C_NUMERIC), SQL_C_NUMERIC},
      {SQL_DESC_OCTET_LENGTH, Integer(300000), 300000},
      {SQL_DESC_PRECISION, Integer(12), 12},
      {SQL_DESC_SCALE, Integer(static_cast<SQLULEN>(-3)), -3},
      {SQL_DESC_DATA_PTR, data, 0},
      {SQL_DESC_OCTET_LENGTH_PTR, &length, 0},
      {SQL_DESC_INDICATOR_PTR, &indicator, 0},
  };
  for (DescriptorHandle* d : {&s.ard, &s.apd}) {
    for (const auto& c2 : cases) {
      ASSERT_EQ(Set(*d, 4, c2.field, c2.value), SQL_SUCCESS) << c2.field;
      if (DescriptorFieldWidth(c2.field) == FieldWidth::kPointer) {
        EXPECT_EQ(ReadPointer(*d, 4, c2.field), c2.value) << c2.field;
      } else {
        EXPECT_EQ(ReadNumber(*d, 4, c2.field), c2.number) << c2.field;
      }
    }
    // A new type unbinds the buffer meant for the old one.
    ASSERT_EQ(Set(*d, 4, SQL_DESC_TYPE, Integer(SQL_DATETIME)), SQL_SUCCESS);
    ASSERT_EQ(Set(*d, 4, SQL_DESC_DATETIME_INTERVAL_CODE, Integer(SQL_CODE_TIMESTAMP)), SQL_SUCCESS);
    EXPECT_EQ(ReadNumber(*d, 4, SQL_DESC_CONCISE_TYPE), SQL_C_TYPE_TIMESTAMP);
    EXPECT_EQ(ReadNumber(*d, 4, SQL_DESC_TYPE), SQL_DATETIME);
    EXPECT_EQ(ReadNumber(*d, 4, SQL_DESC_DATETIME_INTERVAL_CODE), SQL_CODE_TIMESTAMP);
    EXPECT_EQ(ReadNumber(*d, 4, SQL_DESC_PRECISION), 3);
    EXPECT_EQ(ReadPointer(*d, 4, SQL_DESC_DATA_PTR), nullptr);
    EXPECT_EQ(ReadNumber(*d, 0, SQL_DESC_COUNT), 4);
  }
}

TEST(DescriptorFields, RecordsBeyondAndBetween) {
  Connection c(kConnected);
  StatementHandle& s = *c.NewStatement();
  ASSERT_EQ(Set(s.ard, 1, SQL_DESC_CONCISE_TYPE, Integer(SQL_C_CHAR)), SQL_SUCCESS);
  ASSERT_EQ(Set(s.ard, 3, SQL_DESC_CONCISE_TYPE, Integer(SQL_C_SLONG)), SQL_SUCCESS);
  EXPECT_EQ(ReadNumber(s.ard, 0, SQL_DESC_COUNT), 3);
  EXPECT_EQ(ReadNumber(s.ard, 2, SQL_DESC_CONCISE_TYPE), SQL_C_DEFAULT);
  EXPECT_EQ(ReadNumber(s.ard, 0, SQL_DESC_CONCISE_TYPE), SQL_C_DEFAULT);
  EXPECT_EQ(ReadNumber(s.ard, 4, SQL_DESC_CONCISE_TYPE, SQL_NO_DATA), 0);
  EXPECT_EQ(StateOf(s.ard), "07009");
  EXPECT_EQ(ReadNumber(s.ard, -1, SQL_DESC_CONCISE_TYPE, SQL_ERROR), 0);
  EXPECT_EQ(StateOf(s.ard), "07009");
  // Cutting the count unbinds the records above it.
  ASSERT_EQ(Set(s.ard, 0, SQL_DESC_COUNT, Integer(1)), SQL_SUCCESS);
  EXPECT_EQ(ReadNumber(s.ard, 0, SQL_DESC_COUNT), 1);
  EXPECT_EQ(ReadNumber(s.ard, 3, SQL_DESC_CONCISE_TYPE, SQL_NO_DATA), 0);
  EXPECT_EQ(Set(s.ard, 0, SQL_DESC_COUNT, Integer(static_cast<SQLULEN>(-1))), SQL_ERROR);
  EXPECT_EQ(StateOf(s.ard), "07009");
  EXPECT_EQ(ReadNumber(s.ard, 1, SQL_DESC_CONCISE_TYPE), SQL_C_CHAR);
}

TEST(DescriptorFields, DateTimeTypesFollowTheOdbcVersion) {
  struct {
    int version;
    SQLULEN set;
    SQLLEN stored;
  } cases[] = {{2, SQL_C_TYPE_TIMESTAMP, SQL_C_TIMESTAMP}, {3, SQL_C_TIMESTAMP, SQL_C_TYPE_TIMESTAMP},
               {2, SQL_C_DATE, SQL_C_DATE},                {3, SQL_C_CHAR, SQL_C_CHAR}};
  for (const auto& c : cases) {
    Connection conn(kConnected);
    conn.environment->odbcVersion = c.version;
    StatementHandle& s = *conn.NewStatement();
    ASSERT_EQ(Set(s.ard, 1, SQL_DESC_CONCISE_TYPE, Integer(c.set)), SQL_SUCCESS);
    EXPECT_EQ(ReadNumber(s.ard, 1, SQL_DESC_CONCISE_TYPE), c.stored) << c.version << " " << c.set;
  }
}

// The header fields that are statement attributes read the same either way.
TEST(DescriptorFields, AttributesAreDescriptorFields) {
  Connection c(kConnected);
  StatementHandle& s = *c.NewStatement();
  SQLUSMALLINT statuses[4];
  SQLULEN fetched = 0;
  SQLLEN offset = 0;
  struct {
    SQLINTEGER attribute;
    DescriptorHandle* descriptor;
    SQLSMALLINT field;
    SQLPOINTER value;
  } cases[] = {
      {SQL_ATTR_ROW_STATUS_PTR, &s.ird, SQL_DESC_ARRAY_STATUS_PTR, statuses},
      {SQL_ATTR_ROWS_FETCHED_PTR, &s.ird, SQL_DESC_ROWS_PROCESSED_PTR, &fetched},
      {SQL_ATTR_ROW_OPERATION_PTR, &s.ard, SQL_DESC_ARRAY_STATUS_PTR, statuses},
      {SQL_ATTR_ROW_BIND_OFFSET_PTR, &s.ard, SQL_DESC_BIND_OFFSET_PTR, &offset},
      {SQL_ATTR_PARAM_BIND_OFFSET_PTR, &s.apd, SQL_DESC_BIND_OFFSET_PTR, &offset},
      {SQL_ATTR_PARAM_OPERATION_PTR, &s.apd, SQL_DESC_ARRAY_STATUS_PTR, statuses},
      {SQL_ATTR_PARAM_STATUS_PTR, &s.ipd, SQL_DESC_ARRAY_STATUS_PTR, statuses},
      {SQL_ATTR_PARAMS_PROCESSED_PTR, &s.ipd, SQL_DESC_ROWS_PROCESSED_PTR, &fetched},
  };
  for (const auto& c2 : cases) {
    ASSERT_EQ(SetStatementAttribute(s, c2.attribute, c2.value), kMsgSuccess);
    EXPECT_EQ(ReadPointer(*c2.descriptor, 0, c2.field), c2.value) << c2.attribute;
    ASSERT_EQ(Set(*c2.descriptor, 0, c2.field, nullptr), SQL_SUCCESS) << c2.attribute;
    SQLPOINTER answer = statuses;
    ASSERT_EQ(GetStatementAttribute(s, c2.attribute, &answer, 0, nullptr), kMsgSuccess);
    EXPECT_EQ(answer, nullptr) << c2.attribute;
  }
  EXPECT_EQ(s.ard.bindOffsetPointer, &s.ard.zeroWord);
  ASSERT_EQ(Set(s.ard, 0, SQL_DESC_BIND_TYPE, Integer(48)), SQL_SUCCESS);
  SQLULEN bindType = 0;
  ASSERT_EQ(GetStatementAttribute(s, SQL_ATTR_ROW_BIND_TYPE, &bindType, 0, nullptr), kMsgSuccess);
  EXPECT_EQ(bindType, 48u);
}

// A descriptor a statement binds through holds the statement's array size;
// any other keeps one row and says so.
TEST(DescriptorFields, ArraySize) {
  Connection c(kConnected);
  StatementHandle& s = *c.NewStatement();
  DescriptorHandle* own = nullptr;
  ASSERT_EQ(AllocateApplicationDescriptor(*c.connection, &own), SQL_SUCCESS);
  struct {
    DescriptorHandle* descriptor;
    SQLULEN value;
    SQLRETURN result;
    SQLLEN reads;
  } cases[] = {
      {&s.ard, 10, SQL_SUCCESS, 10},         {&s.apd, 7, SQL_SUCCESS, 7},
      {&s.ard, 0, SQL_ERROR, 10},            {own, 10, SQL_SUCCESS_WITH_INFO, 1},
      {own, 1, SQL_SUCCESS, 1},              {&s.ird, 3, SQL_ERROR, 1},
  };
  for (const auto& c2 : cases) {
    EXPECT_EQ(Set(*c2.descriptor, 0, SQL_DESC_ARRAY_SIZE, Integer(c2.value)), c2.result) << c2.value;
    EXPECT_EQ(ReadNumber(*c2.descriptor, 0, SQL_DESC_ARRAY_SIZE), c2.reads) << c2.value;
  }
  EXPECT_EQ(s.rowArraySize, 10);
  EXPECT_EQ(s.paramsetSize, 7);
  ASSERT_EQ(SetStatementAttribute(s, SQL_ATTR_APP_ROW_DESC, own), kMsgSuccess);
  EXPECT_EQ(ReadNumber(*own, 0, SQL_DESC_ARRAY_SIZE), 10);
  EXPECT_EQ(Set(*own, 0, SQL_DESC_ARRAY_SIZE, Integer(4)), SQL_SUCCESS);
  EXPECT_EQ(s.rowArraySize, 4);
}

// The IRD describes what the driver found; the application may only say
// where row statuses and the row count go.
TEST(DescriptorFields, ImplementationRowDescriptorIsReadOnly) {
  Connection c(kConnected);
  StatementHandle& s = *c.NewStatement();
  SQLULEN fetched = 0;
  EXPECT_EQ(Set(s.ird, 0, SQL_DESC_ROWS_PROCESSED_PTR, &fetched), SQL_SUCCESS);
  for (SQLSMALLINT field : {SQL_DESC_CONCISE_TYPE, SQL_DESC_PRECISION, SQL_DESC_DATA_PTR, SQL_DESC_COUNT,
                            SQL_DESC_BIND_TYPE}) {
    EXPECT_EQ(Set(s.ird, 1, field, Integer(1)), SQL_ERROR) << field;
    EXPECT_EQ(StateOf(s.ird), "HY016") << field;
  }
  EXPECT_EQ(s.ird.records, nullptr);
  EXPECT_EQ(SetDescriptorRecord(s.ird, 1, SQL_C_CHAR, 0, 10, 0, 0, nullptr, nullptr, nullptr), SQL_ERROR);
}

TEST(DescriptorFields, UnknownIdentifiers) {
  Connection c(kConnected);
  StatementHandle& s = *c.NewStatement();
  for (SQLSMALLINT field : {SQLSMALLINT{0}, SQLSMALLINT{5}, SQLSMALLINT{35}, SQLSMALLINT{999}, SQLSMALLINT{1100}}) {
    SQLLEN value = 0;
    EXPECT_EQ(GetDescriptorField(s.ard, 1, field, &value, 0, nullptr), SQL_ERROR) << field;
    EXPECT_EQ(StateOf(s.ard), "HY091");
    EXPECT_EQ(Set(s.ard, 1, field, Integer(1)), SQL_ERROR) << field;
    EXPECT_EQ(StateOf(s.ard), "HY091");
  }
  EXPECT_EQ(s.ard.records, nullptr);
}

// The IPD answers from the markers prepare typed; the statement's own
// diagnostic is untouched, and its failures land on the descriptor.
TEST(DescriptorFields, ParameterDescriptorFromThePreparedStatement) {
  Connection c(kConnected);
  StatementHandle& s = *c.NewStatement();
  EXPECT_EQ(ReadNumber(s.ipd, 0, SQL_DESC_COUNT), 0);
  EXPECT_EQ(ReadNumber(s.ipd, 1, SQL_DESC_CONCISE_TYPE, SQL_ERROR), 0);
  EXPECT_EQ(StateOf(s.ipd), "24000");
  ASSERT_EQ(Prepare(s,
                    "SELECT qVALUE FROM \"TARVOX CONNECTION CONFIG\" WHERE qPARAMETER = ? "
                    "AND qVALUE <> ?"),
            SQL_SUCCESS);
  s.diagnostic.messageId = kMsgOptionValueChanged;
  EXPECT_EQ(ReadNumber(s.ipd, 0, SQL_DESC_COUNT), 2);
  struct {
    SQLSMALLINT field;
    SQLLEN number;
  } numbers[] = {
      {SQL_DESC_CONCISE_TYPE, SQL_VARCHAR}, {SQL_DESC_TYPE, SQL_VARCHAR},
      {SQL_DESC_LENGTH, 254},               {SQL_DESC_OCTET_LENGTH, 1016},  // four bytes a character
      {SQL_DESC_PRECISION, 254},            {SQL_DESC_SCALE, 0},
      {SQL_DESC_NULLABLE, SQL_NULLABLE},    {SQL_DESC_CASE_SENSITIVE, 1},
      {SQL_DESC_NUM_PREC_RADIX, 0},         {SQL_DESC_UNSIGNED, 0},
      {SQL_DESC_PARAMETER_TYPE, SQL_PARAM_INPUT}, {SQL_DESC_SEARCHABLE, 0},
  };
  for (const auto& n : numbers) EXPECT_EQ(ReadNumber(s.ipd, 2, n.field), n.number) << n.field;
  EXPECT_EQ(ReadText(s.ipd, 1, SQL_DESC_TYPE_NAME), "VARCHAR");
  EXPECT_EQ(ReadNumber(s.ipd, 3, SQL_DESC_CONCISE_TYPE, SQL_ERROR), 0);
  EXPECT_EQ(StateOf(s.ipd), "07009");
  EXPECT_EQ(s.diagnostic.messageId, kMsgOptionValueChanged);
  // The types are prepare's; what the application says of them is ignored.
  EXPECT_EQ(Set(s.ipd, 1, SQL_DESC_CONCISE_TYPE, Integer(SQL_INTEGER)), SQL_SUCCESS);
  EXPECT_EQ(ReadNumber(s.ipd, 1, SQL_DESC_CONCISE_TYPE), SQL_VARCHAR);
  EXPECT_EQ(s.ipd.records, nullptr);
}

TEST(DescriptorFields, ParameterTypesOfTheMarkers) {
  struct {
    const char* text;
    SQLLEN concise;
    SQLLEN octetLength;
    SQLLEN precision;
    SQLLEN radix;
    const char* typeName;
  } cases[] = {
      {"SELECT IDENTITY FROM \"@@identity\" WHERE IDENTITY = ?", SQL_INTEGER, 4, 10, 10, "INTEGER"},
      {"SELECT IDENTITY FROM \"@@identity\" WHERE IDENTITY = ? * 2.50", SQL_DECIMAL, 19, 19, 10, "DECIMAL"},
  };
  for (const auto& c : cases) {
    Connection conn(kConnected);
    StatementHandle& s = *conn.NewStatement();
    ASSERT_EQ(Prepare(s, c.text), SQL_SUCCESS) << c.text;
    EXPECT_EQ(ReadNumber(s.ipd, 1, SQL_DESC_CONCISE_TYPE), c.concise) << c.text;
    EXPECT_EQ(ReadNumber(s.ipd, 1, SQL_DESC_OCTET_LENGTH), c.octetLength) << c.text;
    EXPECT_EQ(ReadNumber(s.ipd, 1, SQL_DESC_PRECISION), c.precision) << c.text;
    EXPECT_EQ(ReadNumber(s.ipd, 1, SQL_DESC_NUM_PREC_RADIX), c.radix) << c.text;
    EXPECT_EQ(ReadText(s.ipd, 1, SQL_DESC_TYPE_NAME), c.typeName) << c.text;
  }
}

TEST(DescriptorRecords, SetThenGetWholeRecords) {
  Connection c(kConnected);
  StatementHandle& s = *c.NewStatement();
  char data[32];
  SQLLEN length = 0;
  SQLLEN indicator = 0;
  ASSERT_EQ(SetDescriptorRecord(s.ard, 2, SQL_DATETIME, SQL_CODE_DATE, 6, 0, 0, data, &length, &indicator),
            SQL_SUCCESS);
  SQLSMALLINT type = 0, subType = 0, precision = -1, scale = -1, nullable = -1, nameLength = -1;
  SQLLEN octetLength = 0;
  char name[8] = "x";
  ASSERT_EQ(GetDescriptorRecord(s.ard, 2, reinterpret_cast<SQLCHAR*>(name), sizeof name, &nameLength, &type,
                                &subType, &octetLength, &precision, &scale, &nullable),
            SQL_SUCCESS);
  EXPECT_EQ(type, SQL_DATETIME);
  EXPECT_EQ(subType, SQL_CODE_DATE);
  EXPECT_EQ(octetLength, 6);
  EXPECT_EQ(precision, 0);
  EXPECT_EQ(scale, 0);
  EXPECT_EQ(nullable, SQL_NO_NULLS);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(nameLength, 0);
  EXPECT_EQ(ReadNumber(s.ard, 2, SQL_DESC_CONCISE_TYPE), SQL_C_TYPE_DATE);
  EXPECT_EQ(ReadPointer(s.ard, 2, SQL_DESC_DATA_PTR), data);
  EXPECT_EQ(ReadPointer(s.ard, 2, SQL_DESC_OCTET_LENGTH_PTR), &length);
  EXPECT_EQ(ReadPointer(s.ard, 2, SQL_DESC_INDICATOR_PTR), &indicator);
  EXPECT_EQ(GetDescriptorRecord(s.ard, 3, nullptr, 0, nullptr, &type, nullptr, nullptr, nullptr, nullptr, nullptr),
            SQL_NO_DATA);
  // Only the pointers given are written.
  EXPECT_EQ(GetDescriptorRecord(s.ard, 2, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            SQL_SUCCESS);
}

TEST(DescriptorCopy, ApplicationRecordsAndHeader) {
  Connection c(kConnected);
  StatementHandle& s = *c.NewStatement();
  DescriptorHandle* target = nullptr;
  ASSERT_EQ(AllocateApplicationDescriptor(*c.connection, &target), SQL_SUCCESS);
  char data[8];
  SQLLEN offset = 16;
  SQLUSMALLINT statuses[2];
  ASSERT_EQ(SetDescriptorRecord(s.ard, 1, SQL_C_CHAR, 0, 8, 0, 0, data, nullptr, nullptr), SQL_SUCCESS);
  ASSERT_EQ(SetDescriptorRecord(s.ard, 3, SQL_C_SLONG, 0, 4, 0, 0, data, nullptr, nullptr), SQL_SUCCESS);
  ASSERT_EQ(Set(s.ard, 0, SQL_DESC_BIND_TYPE, Integer(40)), SQL_SUCCESS);
  ASSERT_EQ(Set(s.ard, 0, SQL_DESC_ARRAY_STATUS_PTR, statuses), SQL_SUCCESS);
  ASSERT_EQ(Set(*target, 7, SQL_DESC_CONCISE_TYPE, Integer(SQL_C_BIT)), SQL_SUCCESS);
  ASSERT_EQ(CopyDescriptor(s.ard, *target), SQL_SUCCESS);
  EXPECT_EQ(ReadNumber(*target, 0, SQL_DESC_COUNT), 3);
  EXPECT_EQ(ReadNumber(*target, 3, SQL_DESC_CONCISE_TYPE), SQL_C_SLONG);
  EXPECT_EQ(ReadPointer(*target, 1, SQL_DESC_DATA_PTR), data);
  EXPECT_EQ(ReadNumber(*target, 0, SQL_DESC_BIND_TYPE), 40);
  EXPECT_EQ(ReadPointer(*target, 0, SQL_DESC_ARRAY_STATUS_PTR), statuses);
  EXPECT_EQ(ReadNumber(*target, 0, SQL_DESC_ALLOC_TYPE), SQL_DESC_ALLOC_USER);
  // An unset offset stays unset: the target's pointer aims at its own zero word.
  EXPECT_EQ(target->bindOffsetPointer, &target->zeroWord);
  ASSERT_EQ(Set(s.ard, 0, SQL_DESC_BIND_OFFSET_PTR, &offset), SQL_SUCCESS);
  ASSERT_EQ(CopyDescriptor(s.ard, *target), SQL_SUCCESS);
  EXPECT_EQ(ReadPointer(*target, 0, SQL_DESC_BIND_OFFSET_PTR), &offset);
  // Copying a descriptor onto itself changes nothing.
  ASSERT_EQ(CopyDescriptor(*target, *target), SQL_SUCCESS);
  EXPECT_EQ(ReadNumber(*target, 0, SQL_DESC_COUNT), 3);
}

TEST(DescriptorCopy, FromAndIntoImplementationDescriptors) {
  Connection c(kConnected);
  StatementHandle& s = *c.NewStatement();
  DescriptorHandle* target = nullptr;
  ASSERT_EQ(AllocateApplicationDescriptor(*c.connection, &target), SQL_SUCCESS);
  ASSERT_EQ(Set(*target, 1, SQL_DESC_CONCISE_TYPE, Integer(SQL_C_BIT)), SQL_SUCCESS);
  EXPECT_EQ(CopyDescriptor(*target, s.ird), SQL_ERROR);
  EXPECT_EQ(StateOf(s.ird), "HY016");
  EXPECT_EQ(CopyDescriptor(*target, s.ipd), SQL_SUCCESS);
  EXPECT_EQ(s.ipd.records, nullptr);
  // Nothing prepared behind the IRD: the target keeps what it had.
  EXPECT_EQ(CopyDescriptor(s.ird, *target), SQL_ERROR);
  EXPECT_EQ(StateOf(*target), "HY007");
  EXPECT_EQ(ReadNumber(*target, 1, SQL_DESC_CONCISE_TYPE), SQL_C_BIT);
  // From the IPD: the binding that takes each parameter's value whole.
  ASSERT_EQ(Prepare(s, "SELECT qVALUE FROM \"TARVOX CONNECTION CONFIG\" WHERE qPARAMETER = ? AND 1 = ? * 2.5"),
            SQL_SUCCESS);
  ASSERT_EQ(CopyDescriptor(s.ipd, *target), SQL_SUCCESS);
  EXPECT_EQ(ReadNumber(*target, 0, SQL_DESC_COUNT), 2);
  EXPECT_EQ(ReadNumber(*target, 1, SQL_DESC_CONCISE_TYPE), SQL_C_CHAR);
  EXPECT_EQ(ReadNumber(*target, 1, SQL_DESC_OCTET_LENGTH), 255);
  EXPECT_EQ(ReadNumber(*target, 1, SQL_DESC_PRECISION), 254);
  EXPECT_EQ(ReadNumber(*target, 2, SQL_DESC_CONCISE_TYPE), SQL_C_NUMERIC);
  EXPECT_EQ(ReadNumber(*target, 2, SQL_DESC_OCTET_LENGTH), 19);
}

}  // namespace

namespace {

// The IRD answers from the prepared SELECT's result columns, at the same
// widths as every other descriptor.
TEST(DescriptorFields, ResultDescriptorFromThePreparedStatement) {
  Connection c(kConnected);
  StatementHandle& s = *c.NewStatement();
  EXPECT_EQ(ReadNumber(s.ird, 0, SQL_DESC_COUNT), 0);
  ASSERT_EQ(Prepare(s, "SELECT IDENTITY, qVALUE AS v FROM \"@@identity\", \"TARVOX CONNECTION CONFIG\""),
            SQL_SUCCESS);
  s.diagnostic.messageId = kMsgOptionValueChanged;
  EXPECT_EQ(ReadNumber(s.ird, 0, SQL_DESC_COUNT), 2);
  struct {
    SQLSMALLINT column;
    SQLSMALLINT field;
    SQLLEN number;
  } numbers[] = {
      {1, SQL_DESC_CONCISE_TYPE, SQL_INTEGER}, {1, SQL_DESC_OCTET_LENGTH, 4},
      {1, SQL_DESC_PRECISION, 10},             {1, SQL_DESC_NUM_PREC_RADIX, 10},
      {2, SQL_DESC_CONCISE_TYPE, SQL_VARCHAR}, {2, SQL_DESC_CASE_SENSITIVE, 1},
      {2, SQL_DESC_SEARCHABLE, SQL_SEARCHABLE},
  };
  for (const auto& n : numbers) EXPECT_EQ(ReadNumber(s.ird, n.column, n.field), n.number) << n.field;
  EXPECT_EQ(ReadText(s.ird, 1, SQL_DESC_NAME), "IDENTITY");
  EXPECT_EQ(ReadText(s.ird, 2, SQL_DESC_NAME), "v");
  EXPECT_EQ(ReadText(s.ird, 2, SQL_DESC_TYPE_NAME), "VARCHAR");
  EXPECT_EQ(ReadText(s.ird, 2, SQL_DESC_LITERAL_PREFIX), "'");
  EXPECT_EQ(ReadPointer(s.ird, 1, SQL_DESC_DATA_PTR), nullptr);
  ExpectWidths(s.ird, 2, "IRD record");
  EXPECT_EQ(ReadNumber(s.ird, 3, SQL_DESC_CONCISE_TYPE, SQL_ERROR), 0);
  EXPECT_EQ(StateOf(s.ird), "07009");
  EXPECT_EQ(s.diagnostic.messageId, kMsgOptionValueChanged);
}

TEST(DescriptorCopy, FromTheResultDescriptor) {
  Connection c(kConnected);
  StatementHandle& s = *c.NewStatement();
  DescriptorHandle* target = nullptr;
  ASSERT_EQ(AllocateApplicationDescriptor(*c.connection, &target), SQL_SUCCESS);
  ASSERT_EQ(Prepare(s, "SELECT IDENTITY, qVALUE FROM \"@@identity\", \"TARVOX CONNECTION CONFIG\""), SQL_SUCCESS);
  ASSERT_EQ(CopyDescriptor(s.ird, *target), SQL_SUCCESS) << RenderDiagnostic(target->diagnostic).text;
  EXPECT_EQ(ReadNumber(*target, 0, SQL_DESC_COUNT), 2);
  EXPECT_EQ(ReadNumber(*target, 1, SQL_DESC_CONCISE_TYPE), SQL_C_SLONG);
  EXPECT_EQ(ReadNumber(*target, 1, SQL_DESC_OCTET_LENGTH), 4);
  EXPECT_EQ(ReadNumber(*target, 2, SQL_DESC_CONCISE_TYPE), SQL_C_CHAR);
  EXPECT_EQ(ReadNumber(*target, 2, SQL_DESC_OCTET_LENGTH), 255);
  // With bookmarks on, the bookmark column comes first, as record 0.
  ASSERT_EQ(SetStatementAttribute(s, SQL_ATTR_USE_BOOKMARKS, Integer(SQL_UB_ON)), kMsgSuccess);
  ASSERT_EQ(CopyDescriptor(s.ird, *target), SQL_SUCCESS);
  EXPECT_EQ(ReadNumber(*target, 0, SQL_DESC_CONCISE_TYPE), SQL_C_BINARY);
  EXPECT_EQ(ReadNumber(*target, 0, SQL_DESC_OCTET_LENGTH), 8);
}

}  // namespace
