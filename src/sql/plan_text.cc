// Names of SQL types and operators for the type-mismatch message; called by
// the semantic pass through FormatPlanNode.
#include "sql/plan_text.h"

#include <string_view>

#include "handles/statement_handle.h"

namespace {

std::string_view SqlTypeName(std::int16_t type) {
  switch (type) {
    case -7: return "SQL_BIT";
    case -6: return "SQL_TINYINT";
    case -5: return "SQL_BIGINT";
    case -4: return "SQL_LONGVARBINARY";
    case -3: return "SQL_VARBINARY";
    case -2: return "SQL_BINARY";
    case -1: return "SQL_LONGVARCHAR";
    case 1: return "SQL_CHAR";
    case 2: return "SQL_NUMERIC";
    case 3: return "SQL_DECIMAL";
    case 4: return "SQL_INTEGER";
    case 5: return "SQL_SMALLINT";
    case 6: return "SQL_FLOAT";
    case 7: return "SQL_REAL";
    case 8: return "SQL_DOUBLE";
    case 9: return "SQL_DATE";
    case 10: return "SQL_TIME";
    case 11: return "SQL_TIMESTAMP";
    case 12: return "SQL_VARCHAR";
    case 91: return "SQL_TYPE_DATE";
    case 92: return "SQL_TYPE_TIME";
    case 93: return "SQL_TYPE_TIMESTAMP";
    default: return "unknown type";
  }
}

std::string_view OperatorText(std::uint16_t op) {
  static constexpr std::string_view kTexts[] = {
      " <assignment>", " =", " <>", " <=", " <", " >=", " >", " BETWEEN", " NOT BETWEEN", " IN", " NOT IN",
      " LIKE", " NOT LIKE", " -", " +", " -", " *", " /", " NOT", " AND", " OR", " EXISTS"};
  return op < std::size(kTexts) ? kTexts[op] : " unknown operator";
}

}  // namespace

void FormatPlanNode(StatementHandle& statement, std::uint16_t op, std::int16_t leftType, std::int16_t rightType) {
  std::string& text = statement.diagnostic.detailText;
  text.assign(SqlTypeName(leftType));
  text.append(OperatorText(op));
  text.push_back(' ');
  text.append(SqlTypeName(rightType));
}
