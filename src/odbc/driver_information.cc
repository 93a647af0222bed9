// The answers of SQLGetInfo: a table of the fixed ones, and the few that
// depend on the connection (names, the transaction rules, the host program).
#include "odbc/driver_information.h"

#include <sqlext.h>

#include <string>

#include "common/diagnostics.h"
#include "common/odbc_text.h"
#include "connection/type_info.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "sql/parse_tree.h"

namespace {

// The width an answer has in the application's buffer.
enum class InfoWidth { kText, kSmall, kInteger };  // SQLCHAR text, SQLUSMALLINT, SQLUINTEGER

struct InfoAnswer {
  InfoWidth width = InfoWidth::kInteger;
  SQLUINTEGER number = 0;
  std::string text;
};

struct FixedInfo {
  SQLUSMALLINT infoType;
  InfoWidth width;
  SQLUINTEGER number;
  const char* text;
};

constexpr FixedInfo Text(SQLUSMALLINT infoType, const char* text) { return {infoType, InfoWidth::kText, 0, text}; }
constexpr FixedInfo Small(SQLUSMALLINT infoType, SQLUINTEGER number) {
  return {infoType, InfoWidth::kSmall, number, nullptr};
}
constexpr FixedInfo Integer(SQLUSMALLINT infoType, SQLUINTEGER number) {
  return {infoType, InfoWidth::kInteger, number, nullptr};
}

// The information type ODBC 2 applications use for the outer-join
// capabilities, answered like SQL_OJ_CAPABILITIES.
constexpr SQLUSMALLINT kOdbc2OuterJoinCapabilities = 65003;

// What a static cursor can do; scrollable cursors of every requested type
// are served as static ones, so they answer the same. A cursor sees the rows
// it updates and adds itself; a row it deletes stays as a hole.
constexpr SQLUINTEGER kScrollableCursorAttributes1 = 0xF1E4F;
constexpr SQLUINTEGER kScrollableCursorAttributes2 = SQL_CA2_READ_ONLY_CONCURRENCY | SQL_CA2_LOCK_CONCURRENCY |
                                                     SQL_CA2_SENSITIVITY_ADDITIONS | SQL_CA2_SENSITIVITY_UPDATES |
                                                     SQL_CA2_MAX_ROWS_SELECT;
// A forward-only result has no bookmarks, so of the bulk operations it
// takes only SQL_ADD.
constexpr SQLUINTEGER kForwardOnlyCursorAttributes1 =
    kScrollableCursorAttributes1 & ~(SQL_CA1_ABSOLUTE | SQL_CA1_RELATIVE | SQL_CA1_BOOKMARK |
                                     SQL_CA1_BULK_UPDATE_BY_BOOKMARK | SQL_CA1_BULK_DELETE_BY_BOOKMARK |
                                     SQL_CA1_BULK_FETCH_BY_BOOKMARK);
// A row it adds is never reached, since it can't scroll.
constexpr SQLUINTEGER kForwardOnlyCursorAttributes2 = kScrollableCursorAttributes2 & ~SQL_CA2_SENSITIVITY_ADDITIONS;

constexpr FixedInfo kFixedInfo[] = {
    Text(SQL_DRIVER_VER, "6.11.4.11"),
    Text(SQL_SEARCH_PATTERN_ESCAPE, "\\"),
    Text(SQL_IDENTIFIER_QUOTE_CHAR, "\""),
    Text(SQL_TABLE_TERM, "table"),
    Text(SQL_DRIVER_ODBC_VER, "03.52"),
    Text(SQL_DM_VER, "03.00.0000"),
    Text(SQL_ACCESSIBLE_TABLES, "Y"),
    Text(SQL_ACCESSIBLE_PROCEDURES, "Y"),
    Text(SQL_OUTER_JOINS, "Y"),
    Text(SQL_COLUMN_ALIAS, "Y"),
    Text(SQL_MAX_ROW_SIZE_INCLUDES_LONG, "Y"),
    Text(SQL_LIKE_ESCAPE_CLAUSE, "Y"),
    Text(SQL_ROW_UPDATES, "N"),
    Text(SQL_PROCEDURES, "N"),
    Text(SQL_DATA_SOURCE_READ_ONLY, "N"),
    Text(SQL_EXPRESSIONS_IN_ORDERBY, "N"),
    Text(SQL_MULT_RESULT_SETS, "N"),
    Text(SQL_INTEGRITY, "N"),
    Text(SQL_ORDER_BY_COLUMNS_IN_SELECT, "N"),
    Text(SQL_NEED_LONG_DATA_LEN, "N"),
    Text(SQL_CATALOG_NAME, "N"),
    // A character answer: applications read it into a two-byte buffer.
    Text(SQL_DESCRIBE_PARAMETER, "N"),
    Text(SQL_SERVER_NAME, ""),
    Text(SQL_SCHEMA_TERM, ""),
    Text(SQL_PROCEDURE_TERM, ""),
    Text(SQL_CATALOG_NAME_SEPARATOR, ""),
    Text(SQL_CATALOG_TERM, ""),
    Text(SQL_KEYWORDS, ""),
    Text(SQL_SPECIAL_CHARACTERS, ""),
    Text(SQL_XOPEN_CLI_YEAR, ""),
    Text(SQL_COLLATION_SEQ, ""),

    Small(SQL_MAX_DRIVER_CONNECTIONS, 0),
    Small(SQL_MAX_CONCURRENT_ACTIVITIES, 0),
    Small(SQL_ODBC_SQL_CONFORMANCE, 0),
    Small(SQL_CONCAT_NULL_BEHAVIOR, 0),
    Small(SQL_MAX_SCHEMA_NAME_LEN, 0),
    Small(SQL_MAX_PROCEDURE_NAME_LEN, 0),
    Small(SQL_MAX_CATALOG_NAME_LEN, 0),
    Small(SQL_NON_NULLABLE_COLUMNS, 0),
    Small(SQL_FILE_USAGE, 0),
    Small(SQL_MAX_COLUMNS_IN_INDEX, 0),
    Small(SQL_MAX_COLUMNS_IN_SELECT, static_cast<SQLUINTEGER>(kMaxResultColumns)),
    Small(SQL_MAX_COLUMNS_IN_TABLE, 0),
    Small(SQL_MAX_TABLES_IN_SELECT, 0),
    Small(SQL_ACTIVE_ENVIRONMENTS, 0),
    Small(SQL_ODBC_API_CONFORMANCE, 1),
    Small(SQL_ODBC_SAG_CLI_CONFORMANCE, 1),
    Small(SQL_NULL_COLLATION, SQL_NC_LOW),
    Small(SQL_CATALOG_LOCATION, 1),
    Small(SQL_IDENTIFIER_CASE, SQL_IC_MIXED),
    Small(SQL_QUOTED_IDENTIFIER_CASE, SQL_IC_MIXED),
    // SQLSetCursorName takes names of at most 18 characters.
    Small(SQL_MAX_CURSOR_NAME_LEN, 18),
    Small(SQL_CORRELATION_NAME, SQL_CN_ANY),
    Small(SQL_GROUP_BY, SQL_GB_GROUP_BY_CONTAINS_SELECT),
    Small(SQL_MAX_COLUMNS_IN_GROUP_BY, 20),
    Small(SQL_MAX_COLUMNS_IN_ORDER_BY, 20),
    Small(SQL_MAX_USER_NAME_LEN, 63),
    Small(SQL_MAX_IDENTIFIER_LEN, 255),

    Integer(SQL_FETCH_DIRECTION, 191),
    Integer(SQL_SCROLL_CONCURRENCY, 3),
    Integer(SQL_SCROLL_OPTIONS, SQL_SO_FORWARD_ONLY | SQL_SO_KEYSET_DRIVEN | SQL_SO_STATIC),
    Integer(SQL_BATCH_SUPPORT, 3),
    Integer(SQL_INDEX_KEYWORDS, 3),
    // A query with markers is refused with a parameter array (SQL_PAS_NO_SELECT).
    Integer(SQL_PARAM_ARRAY_SELECTS, SQL_PAS_NO_SELECT),
    Integer(SQL_DDL_INDEX, 3),
    Integer(SQL_INSERT_STATEMENT, 3),
    Integer(SQL_CONVERT_FUNCTIONS, 1),
    Integer(SQL_LOCK_TYPES, 1),
    Integer(SQL_SQL_CONFORMANCE, 1),
    Integer(SQL_CREATE_TABLE, 1),
    Integer(SQL_DROP_TABLE, 1),
    Integer(SQL_ODBC_INTERFACE_CONFORMANCE, 1),
    Integer(SQL_NUMERIC_FUNCTIONS, 0xFFFFFF),
    Integer(SQL_STRING_FUNCTIONS, 0xFFFFFF),
    Integer(SQL_SYSTEM_FUNCTIONS, 7),
    Integer(SQL_TIMEDATE_FUNCTIONS, 0x1FFFFF),
    Integer(SQL_CONVERT_BIGINT, 0x7DFF),
    Integer(SQL_CONVERT_BIT, 0x7DFF),
    Integer(SQL_CONVERT_DECIMAL, 0x7DFF),
    Integer(SQL_CONVERT_DOUBLE, 0x7DFF),
    Integer(SQL_CONVERT_FLOAT, 0x7DFF),
    Integer(SQL_CONVERT_INTEGER, 0x7DFF),
    Integer(SQL_CONVERT_NUMERIC, 0x7DFF),
    Integer(SQL_CONVERT_REAL, 0x7DFF),
    Integer(SQL_CONVERT_SMALLINT, 0x7DFF),
    Integer(SQL_CONVERT_TINYINT, 0x7DFF),
    Integer(SQL_CONVERT_BINARY, 0x3FDFF),
    Integer(SQL_CONVERT_CHAR, 0x3FDFF),
    Integer(SQL_CONVERT_VARBINARY, 0x3FDFF),
    Integer(SQL_CONVERT_VARCHAR, 0x3FDFF),
    Integer(SQL_CONVERT_DATE, 0x28D01),
    Integer(SQL_CONVERT_TIME, 0x30D01),
    Integer(SQL_CONVERT_TIMESTAMP, 0x38D01),
    Integer(SQL_POS_OPERATIONS, 31),
    Integer(SQL_SUBQUERIES, 31),
    Integer(SQL_AGGREGATE_FUNCTIONS, 31),
    Integer(SQL_GETDATA_EXTENSIONS, 11),
    Integer(SQL_STATIC_SENSITIVITY, SQL_SS_ADDITIONS | SQL_SS_UPDATES),
    Integer(SQL_MAX_CHAR_LITERAL_LEN, 255),
    Integer(SQL_TIMEDATE_ADD_INTERVALS, 510),
    Integer(SQL_TIMEDATE_DIFF_INTERVALS, 510),
    Integer(SQL_MAX_BINARY_LITERAL_LEN, 510),
    Integer(SQL_OJ_CAPABILITIES, 121),
    Integer(kOdbc2OuterJoinCapabilities, 121),
    // A batch answers only its last statement's row count.
    Integer(SQL_BATCH_ROW_COUNT, 0),
    Integer(SQL_PARAM_ARRAY_ROW_COUNTS, 2),
    Integer(SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1, kForwardOnlyCursorAttributes1),
    Integer(SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2, kForwardOnlyCursorAttributes2),
    Integer(SQL_KEYSET_CURSOR_ATTRIBUTES1, kScrollableCursorAttributes1),
    Integer(SQL_KEYSET_CURSOR_ATTRIBUTES2, kScrollableCursorAttributes2),
    Integer(SQL_STATIC_CURSOR_ATTRIBUTES1, kScrollableCursorAttributes1),
    Integer(SQL_STATIC_CURSOR_ATTRIBUTES2, kScrollableCursorAttributes2),
    // Every predicate but MATCH, OVERLAPS and UNIQUE.
    Integer(SQL_SQL92_PREDICATES, SQL_SP_EXISTS | SQL_SP_ISNOTNULL | SQL_SP_ISNULL | SQL_SP_LIKE | SQL_SP_IN |
                                      SQL_SP_BETWEEN | SQL_SP_COMPARISON | SQL_SP_QUANTIFIED_COMPARISON),
    Integer(SQL_CONVERT_LONGVARCHAR, 0),
    Integer(SQL_CONVERT_LONGVARBINARY, 0),
    Integer(SQL_POSITIONED_STATEMENTS, 0),
    Integer(SQL_ALTER_TABLE, 0),
    Integer(SQL_SCHEMA_USAGE, 0),
    Integer(SQL_CATALOG_USAGE, 0),
    Integer(SQL_UNION, 0),
    Integer(SQL_MAX_INDEX_SIZE, 0),
    Integer(SQL_MAX_ROW_SIZE, 0),
    Integer(SQL_MAX_STATEMENT_LEN, 0),
    Integer(SQL_ALTER_DOMAIN, 0),
    Integer(SQL_DATETIME_LITERALS, 0),
    Integer(SQL_CONVERT_INTERVAL_DAY_TIME, 0),
    Integer(SQL_CONVERT_INTERVAL_YEAR_MONTH, 0),
    Integer(SQL_CREATE_ASSERTION, 0),
    Integer(SQL_CREATE_CHARACTER_SET, 0),
    Integer(SQL_CREATE_COLLATION, 0),
    Integer(SQL_CREATE_DOMAIN, 0),
    Integer(SQL_CREATE_SCHEMA, 0),
    Integer(SQL_CREATE_TRANSLATION, 0),
    Integer(SQL_CREATE_VIEW, 0),
    Integer(SQL_DROP_ASSERTION, 0),
    Integer(SQL_DROP_CHARACTER_SET, 0),
    Integer(SQL_DROP_COLLATION, 0),
    Integer(SQL_DROP_DOMAIN, 0),
    Integer(SQL_DROP_SCHEMA, 0),
    Integer(SQL_DROP_TRANSLATION, 0),
    Integer(SQL_DROP_VIEW, 0),
    Integer(SQL_DYNAMIC_CURSOR_ATTRIBUTES1, 0),
    Integer(SQL_DYNAMIC_CURSOR_ATTRIBUTES2, 0),
    Integer(SQL_INFO_SCHEMA_VIEWS, 0),
    Integer(SQL_SQL92_DATETIME_FUNCTIONS, 0),
    Integer(SQL_SQL92_FOREIGN_KEY_DELETE_RULE, 0),
    Integer(SQL_SQL92_FOREIGN_KEY_UPDATE_RULE, 0),
    Integer(SQL_SQL92_GRANT, 0),
    Integer(SQL_SQL92_NUMERIC_VALUE_FUNCTIONS, 0),
    Integer(SQL_SQL92_RELATIONAL_JOIN_OPERATORS, SQL_SRJO_INNER_JOIN | SQL_SRJO_LEFT_OUTER_JOIN),
    Integer(SQL_SQL92_REVOKE, 0),
    Integer(SQL_SQL92_ROW_VALUE_CONSTRUCTOR, 0),
    Integer(SQL_SQL92_STRING_FUNCTIONS, 0),
    Integer(SQL_SQL92_VALUE_EXPRESSIONS, 0),
    Integer(SQL_STANDARD_CLI_CONFORMANCE, 0),
    Integer(SQL_CURSOR_SENSITIVITY, 0),
    Integer(SQL_ASYNC_MODE, 0),
    Integer(SQL_MAX_ASYNC_CONCURRENT_STATEMENTS, 0),
};

InfoAnswer TextAnswer(std::string text) { return {InfoWidth::kText, 0, std::move(text)}; }
InfoAnswer SmallAnswer(SQLUINTEGER number) { return {InfoWidth::kSmall, number, {}}; }
InfoAnswer IntegerAnswer(SQLUINTEGER number) { return {InfoWidth::kInteger, number, {}}; }

bool FindFixedInfo(SQLUSMALLINT infoType, InfoAnswer& answer) {
  for (const FixedInfo& fixed : kFixedInfo) {
    if (fixed.infoType != infoType) continue;
    answer = {fixed.width, fixed.number, fixed.text != nullptr ? fixed.text : ""};
    return true;
  }
  return false;
}

bool TransactionCapable(const ConnectionRecord& record) { return record.transactionCapability != 0; }

// Cursors close at the end of a transaction; prepared statements go too
// when the record says a commit deletes them.
SQLUINTEGER CursorBehaviour(const ConnectionRecord& record) {
  return TransactionCapable(record) && record.commitDeletesPrepared != 0 ? SQL_CB_DELETE : SQL_CB_CLOSE;
}

// Bookmarks are result-file row numbers: deleting or updating a row and
// scrolling keep them. Word is told of none, since it then reads results
// straight through.
SQLUINTEGER BookmarkPersistence(const ConnectionRecord& record) {
  return record.hostModuleName == "winword.exe" ? 0 : SQL_BP_DELETE | SQL_BP_UPDATE | SQL_BP_SCROLL;
}

bool AnswerFromConnection(const ConnectionHandle& connection, SQLUSMALLINT infoType, InfoAnswer& answer) {
  const ConnectionRecord& record = *connection.record;
  const bool capable = TransactionCapable(record);
  switch (infoType) {
    case SQL_DATA_SOURCE_NAME: answer = TextAnswer(LookupSetting(connection.settings, "DSN")); return true;
    case SQL_DRIVER_NAME: answer = TextAnswer(GetDriverFileName(record)); return true;
    case SQL_DATABASE_NAME: answer = TextAnswer(GetConnectionDatabaseName(record)); return true;
    case SQL_DBMS_NAME: answer = TextAnswer(GetDbmsName(record)); return true;
    case SQL_DBMS_VER: answer = TextAnswer(GetDbmsVersion(record)); return true;
    case SQL_USER_NAME: answer = TextAnswer(GetConnectionUserName(record)); return true;
    case SQL_MULTIPLE_ACTIVE_TXN:
      answer = TextAnswer(capable && record.multipleActiveTransactions != 0 ? "Y" : "N");
      return true;
    case SQL_CURSOR_COMMIT_BEHAVIOR:
    case SQL_CURSOR_ROLLBACK_BEHAVIOR: answer = SmallAnswer(CursorBehaviour(record)); return true;
    case SQL_MAX_COLUMN_NAME_LEN: answer = SmallAnswer(GetMaxColumnNameLength(record)); return true;
    case SQL_MAX_TABLE_NAME_LEN: answer = SmallAnswer(GetMaxTableNameLength(record)); return true;
    case SQL_TXN_CAPABLE: answer = SmallAnswer(record.transactionCapability); return true;
    case SQL_DEFAULT_TXN_ISOLATION: answer = IntegerAnswer(capable ? record.defaultIsolation : 0); return true;
    case SQL_TXN_ISOLATION_OPTION: answer = IntegerAnswer(capable ? record.isolationMask : 0); return true;
    case SQL_BOOKMARK_PERSISTENCE: answer = IntegerAnswer(BookmarkPersistence(record)); return true;
    default: return false;
  }
}

MessageId WriteInfoAnswer(const InfoAnswer& answer, SQLPOINTER value, SQLSMALLINT bufferLength,
                          SQLSMALLINT* stringLength) {
  switch (answer.width) {
    case InfoWidth::kSmall:
      if (value != nullptr) *static_cast<SQLUSMALLINT*>(value) = static_cast<SQLUSMALLINT>(answer.number);
      if (stringLength != nullptr) *stringLength = sizeof(SQLUSMALLINT);
      return kMsgSuccess;
    case InfoWidth::kInteger:
      if (value != nullptr) *static_cast<SQLUINTEGER*>(value) = answer.number;
      if (stringLength != nullptr) *stringLength = sizeof(SQLUINTEGER);
      return kMsgSuccess;
    case InfoWidth::kText: break;
  }
  if (value != nullptr && bufferLength < 0) return kMsgInvalidBufferLength;
  return CopyToOdbcBuffer16(static_cast<SQLCHAR*>(value), bufferLength, stringLength, answer.text);
}

}  // namespace

MessageId GetInfoValue(ConnectionHandle& connection, SQLUSMALLINT infoType, SQLPOINTER value,
                       SQLSMALLINT bufferLength, SQLSMALLINT* stringLength) {
  // Every answer describes a connected data source; the Driver Manager
  // answers the few that need none itself.
  if (connection.record == nullptr) return kMsgConnectionNotOpen;
  InfoAnswer answer;
  if (!AnswerFromConnection(connection, infoType, answer) && !FindFixedInfo(infoType, answer)) {
    SetDiagnostic(connection.diagnostic, kMsgNotSupportedDetail, "information type " + std::to_string(infoType));
    return kMsgNotSupportedDetail;
  }
  return WriteInfoAnswer(answer, value, bufferLength, stringLength);
}
