// Scalar-function calls parsed from SQL, their arguments typed as binding
// would type them, then resolved: name search, keyword arguments, overload
// choice, result types, the per-function checks and the date-type mapping.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "sql/parse_tree.h"
#include "sql/scalar_function_resolution.h"
#include "sql/scalar_function_table.h"
#include "sql/statement_parser.h"
#include "type_shape.h"

namespace {

struct Column {
  const char* name;
  TypeShape shape;
};

// The columns a call may name, as column resolution would type them.
constexpr Column kColumns[] = {
    {"name", Varchar(40)}, {"code", Char(10)}, {"a200", Varchar(200)}, {"a100", Varchar(100)},
    {"memo", kLongText}, {"photo", Binary(SQL_LONGVARBINARY, 100000000)}, {"qty", kInteger},
    {"price", Numeric(10, 2)}, {"ratio", kDouble}, {"born", kDate}, {"at", kTime}, {"stamp", kTimestamp},
    {"odd", {3, SQL_DECIMAL, 5, 0}},  // a value type no binding produces
};

// Types columns and literals; markers and NULL stay untyped, as binding
// leaves them.
void TypeLeaves(ParseTree& tree) {
  for (ParseNode& node : tree.nodes) {
    if (node.kind == kNodeColumnReference) {
      const std::string& name = GetValueText(tree, node.fields.columnReference.columnName);
      for (const Column& column : kColumns) {
        if (name == column.name) SetShape(node.cell, column.shape);
      }
    } else if (node.kind == kNodeStringLiteral) {
      const auto length = static_cast<std::int32_t>(GetValueText(tree, node.fields.stringLiteral.text).size());
      SetShape(node.cell, {kValueCharacter, SQL_VARCHAR, length, kNone});
    }
  }
}

struct Session {
  EnvironmentHandle environment;
  ConnectionHandle connection;
  StatementHandle statement;
  explicit Session(std::int32_t odbcVersion) {
    environment.odbcVersion = odbcVersion;
    connection.environment = &environment;
    statement.connection = &connection;
  }
  ~Session() { FreeParseTree(statement.parseTree); }
};

// Resolves every call of "SELECT <call> FROM t", inner calls first (the
// parser appends a call after its arguments); answers the first failure or
// 0. last is the call resolved last, the outermost one on success.
MessageId Resolve(Session& session, const std::string& call, const ParseNode*& last) {
  const std::string sql = "SELECT " + call + " FROM t";
  StatementHandle& statement = session.statement;
  EXPECT_EQ(ParseStatement(statement, nullptr, sql.data(), sql.size(), statement.parseTree), kMsgSuccess) << sql;
  statement.diagnostic.detailText = "earlier";
  ParseTree& tree = *statement.parseTree;
  TypeLeaves(tree);
  for (NodeIndex node = 0; node < tree.nodes.size(); ++node) {
    if (tree.nodes[node].kind != kNodeScalarFunction) continue;
    last = &tree.nodes[node];
    if (MessageId id = StartScalarFunctionResolution(statement, tree, node)) return id;
    if (MessageId id = FinishScalarFunctionResolution(statement, tree, node)) return id;
  }
  return kMsgSuccess;
}

struct CallCase {
  const char* call;
  MessageId id;
  std::uint16_t row;               // when id is 0
  TypeShape result;                // when id is 0
  const char* detail = "earlier";  // the detail text afterwards
};

constexpr MessageId kNotFound = kMsgScalarFunctionNotFound;
constexpr MessageId kInvalid = kMsgInvalidScalarArgument;

void ExpectCalls(const CallCase* begin, const CallCase* end) {
  for (const CallCase* c = begin; c != end; ++c) {
    Session session(3);
    const ParseNode* call = nullptr;
    EXPECT_EQ(Resolve(session, c->call, call), c->id) << c->call;
    EXPECT_EQ(session.statement.diagnostic.detailText, c->detail) << c->call;
    if (c->id != kMsgSuccess) continue;
    EXPECT_EQ(call->fields.scalarFunction.functionRow, c->row) << c->call;
    EXPECT_EQ(ShapeOf(call->cell), c->result) << c->call;
  }
}

TEST(ScalarFunctionResolution, NamesAndOverloads) {
  const CallCase cases[] = {
      {"{fn ucase(name)}", 0, kFnUCase, Varchar(40)},
      {"{fn NoSuch(name)}", kNotFound, 0, {}, "NoSuch"},
      {"{fn LOCATE('a', name)}", 0, kFnLocate, kInteger},
      {"{fn LOCATE('a', name, 3)}", 0, kFnLocateFrom, kInteger},
      {"{fn locate(name)}", kInvalid, 0, {}, "locate"},
      {"{fn ABS('x')}", kInvalid, 0, {}, "ABS"},
      {"{fn ABS(price)}", 0, kFnAbsNumeric, Numeric(10, 2)},
      {"{fn DEGREES(qty)}", 0, kFnDegreesInteger, kFloat},
      {"{fn POWER(price, qty)}", 0, kFnPowerNumeric, kFloat},
      {"{fn POWER(ratio, ratio)}", kInvalid, 0, {}, "POWER"},
      {"{fn RAND()}", 0, kFnRand, kFloat},
      {"{fn PI(1)}", kInvalid, 0, {}, "PI"},
      {"{fn YEAR('2020-01-02')}", 0, kFnYearChar, kInteger},
      {"{fn YEAR(stamp)}", 0, kFnYearTimestamp, kInteger},
      {"{fn MONTH(at)}", kInvalid, 0, {}, "MONTH"},
      {"{fn HOUR(at)}", 0, kFnHourTime, kTinyint},
      {"{fn SUBSTRING(name, 1, 2)}", 0, kFnSubstring, Varchar(40)},
      {"{fn LCASE(code)}", 0, kFnLCase, Char(10)},
      {"{fn LEFT(?, 3)}", kMsgParameterTypeUnknown, 0, {}},
      {"{fn LEFT(name, ?)}", kMsgParameterTypeUnknown, 0, {}},
      {"{fn ABS(NULL)}", kInvalid, 0, {}, "ABS"},
      {"{fn IFNULL(name, NULL)}", kInvalid, 0, {}, "IFNULL"},
      {"{fn IFNULL(photo, photo)}", kInvalid, 0, {}, "IFNULL"},
  };
  ExpectCalls(std::begin(cases), std::end(cases));
}

TEST(ScalarFunctionResolution, PerFunctionChecksAndResults) {
  const TypeShape varchar255{kValueCharacter, SQL_VARCHAR, 255, kNone};
  const TypeShape typeTimestamp{kValueTimestamp, SQL_TYPE_TIMESTAMP, 23, 3};
  const CallCase cases[] = {
      {"{fn CONCAT(a200, a100)}", 0, kFnConcat, varchar255},
      {"{fn CONCAT(code, name)}", 0, kFnConcat, {kValueCharacter, SQL_VARCHAR, 50, kNone}},
      {"{fn DAYNAME(born)}", 0, kFnDayName, {kValueCharacter, SQL_VARCHAR, 255, 0}},
      {"{fn DAYNAME(at)}", kInvalid, 0, {}, "DAYNAME"},
      {"{fn DAYOFWEEK(qty)}", kInvalid, 0, {}, "DAYOFWEEK"},
      {"{fn DAYOFYEAR(name)}", 0, kFnDayOfYear, kSmallint},
      {"{fn WEEK(odd)}", kMsgNotSupportedDetail, 0, {}},
      {"{fn EXTRACT(YEAR FROM at)}", 0, kFnExtract, kSmallint},
      {"{fn EXTRACT(YEAR FROM qty)}", kInvalid, 0, {}, "EXTRACT"},
      {"{fn EXTRACT(YEAR FROM odd)}", kMsgNotSupportedDetail, 0, {}},
      {"{fn EXTRACT()}", kInvalid, 0, {}, "EXTRACT"},
      {"{fn TIMESTAMPADD()}", kInvalid, 0, {}, "TIMESTAMPADD"},
      {"{fn TIMESTAMPADD(SQL_TSI_DAY, 1, stamp)}", 0, kFnTimestampAdd, typeTimestamp},
      {"{fn TIMESTAMPADD(SQL_TSI_DAY, 1, qty)}", kInvalid, 0, {}, "TIMESTAMPADD"},
      {"{fn TIMESTAMPADD(SQL_TSI_DAY, ratio, stamp)}", kInvalid, 0, {}, "TIMESTAMPADD"},
      {"{fn TIMESTAMPDIFF(SQL_TSI_YEAR, born, stamp)}", 0, kFnTimestampDiff, kInteger},
      {"{fn TIMESTAMPDIFF(SQL_TSI_YEAR, price, stamp)}", kInvalid, 0, {}, "TIMESTAMPDIFF"},
      {"{fn TIMESTAMPDIFF(SQL_TSI_YEAR, born, price)}", kInvalid, 0, {}, "TIMESTAMPDIFF"},
      {"{fn IFNULL(qty, 2.5E0)}", 0, kFnIfNull, kDouble},
      {"{fn IFNULL(name, qty)}", kInvalid, 0, {}, "IFNULL"},
      {"{fn IFNULL(memo, memo)}", kMsgInternalError, 0, {}},
      {"{fn CONVERT(price, SQL_CHAR)}", 0, kFnConvert, {kValueCharacter, SQL_CHAR, 12, kNone}},
      {"{fn CONVERT(name, sql_time)}", 0, kFnConvert, {kValueTime, SQL_TYPE_TIME, 8, kNone}},
      {"{fn CONVERT(name)}", kInvalid, 0, {}, "CONVERT"},
      {"{fn CONVERT(name, SQL_CHAR, 3)}", kInvalid, 0, {}, "CONVERT"},
      {"{fn CONVERT(name, 'SQL_CHAR')}", kInvalid, 0, {}, "CONVERT"},
      {"{fn CONVERT(name, t.SQL_CHAR)}", kInvalid, 0, {}, "CONVERT"},
      {"{fn CONVERT(name, SQL_NOTHING)}", kInvalid, 0, {}, "CONVERT"},
      {"{fn CONVERT(memo, SQL_LONGVARCHAR)}", kMsgNotSupportedDetail, 0, {}, "SQL_LONGVARCHAR"},
      {"{fn CONVERT(?, SQL_CHAR)}", kMsgParameterTypeUnknown, 0, {}},
      {"{fn CONVERT(NULL, SQL_CHAR)}", kInvalid, 0, {}, "CONVERT"},
  };
  ExpectCalls(std::begin(cases), std::end(cases));
}

struct WordCase {
  const char* call;
  MessageId id;
  std::uint16_t code;  // interval code or field letter, when id is 0
};

TEST(ScalarFunctionResolution, IntervalAndFieldWords) {
  const WordCase intervals[] = {
      {"SQL_TSI_SECOND", 0, kIntervalSecond},   {"SQL_TSI_MINUTE", 0, kIntervalMinute},
      {"sql_tsi_hour", 0, kIntervalHour},       {"sql_tsi_day", 0, kIntervalDay},
      {"Sql_Tsi_Week", 0, kIntervalWeek},       {"SQL_TSI_MONTH", 0, kIntervalMonth},
      {"SQL_TSI_QUARTER", 0, kIntervalQuarter}, {"SQL_TSI_YEAR", 0, kIntervalYear},
      {"sql_tsi_frac_second", kMsgNotSupportedDetail, 0},
      {"SQL_TSI_FORTNIGHT", kInvalid, 0},         {"t.SQL_TSI_DAY", kInvalid, 0},
      {"'SQL_TSI_DAY'", kInvalid, 0},
  };
  for (const WordCase& c : intervals) {
    for (const char* function : {"TIMESTAMPADD", "TIMESTAMPDIFF"}) {
      Session session(3);
      const std::string second = std::strcmp(function, "TIMESTAMPADD") == 0 ? "1" : "born";
      const std::string call = std::string("{fn ") + function + "(" + c.call + ", " + second + ", stamp)}";
      const ParseNode* resolved = nullptr;
      EXPECT_EQ(Resolve(session, call, resolved), c.id) << call;
      if (c.id == kMsgSuccess) {
        EXPECT_EQ(resolved->fields.scalarFunction.interval, c.code) << call;
      }
      const char* detail = c.id == kInvalid ? function : c.id == kMsgNotSupportedDetail ? "SQL_TSI_FRAC_SECOND" : "earlier";
      EXPECT_EQ(session.statement.diagnostic.detailText, detail) << call;
    }
  }
  const WordCase fields[] = {
      {"YEAR", 0, kExtractYear}, {"month", 0, kExtractMonth},   {"Day", 0, kExtractDay},
      {"HOUR", 0, kExtractHour}, {"MINUTE", 0, kExtractMinute}, {"SECOND", 0, kExtractSecond},
      {"WEEK", kInvalid, 0},
  };
  for (const WordCase& c : fields) {
    Session session(3);
    const std::string call = std::string("{fn EXTRACT(") + c.call + " FROM stamp)}";
    const ParseNode* resolved = nullptr;
    EXPECT_EQ(Resolve(session, call, resolved), c.id) << call;
    if (c.id == kMsgSuccess) {
      EXPECT_EQ(resolved->fields.scalarFunction.extractField, c.code) << call;
    }
  }
}

struct MappingCase {
  const char* call;
  std::int16_t odbc2SqlType;
  std::int16_t odbc3SqlType;
};

TEST(ScalarFunctionResolution, DateTypesFollowTheOdbcVersion) {
  const MappingCase cases[] = {
      {"{fn CURDATE()}", SQL_DATE, SQL_TYPE_DATE},
      {"{fn CURTIME()}", SQL_TIME, SQL_TYPE_TIME},
      {"{fn NOW()}", SQL_TIMESTAMP, SQL_TYPE_TIMESTAMP},
      {"{fn TIMESTAMPADD(SQL_TSI_DAY, 1, born)}", SQL_TIMESTAMP, SQL_TYPE_TIMESTAMP},
      {"{fn CONVERT(name, SQL_DATE)}", SQL_DATE, SQL_TYPE_DATE},
      {"{fn CONVERT(name, SQL_TYPE_TIMESTAMP)}", SQL_TIMESTAMP, SQL_TYPE_TIMESTAMP},
      {"{fn IFNULL(born, born)}", SQL_DATE, SQL_TYPE_DATE},
      {"{fn UCASE(name)}", SQL_VARCHAR, SQL_VARCHAR},
  };
  for (const MappingCase& c : cases) {
    for (std::int32_t version : {2, 3}) {
      Session session(version);
      const ParseNode* call = nullptr;
      ASSERT_EQ(Resolve(session, c.call, call), kMsgSuccess) << c.call;
      EXPECT_EQ(call->cell.sqlType, version == 2 ? c.odbc2SqlType : c.odbc3SqlType)
          << c.call << " under ODBC " << version;
    }
  }
}

}  // namespace
