// The columns of SQLGetTypeInfo rows, read from the driver's type table;
// date-time codes in the application's ODBC version.
#include <sqlext.h>

#include "connection/type_info.h"
#include "handles/statement_handle.h"
#include "odbc/catalog_row_values.h"

namespace {

constexpr std::int32_t kNoValue = -1;

void SetRadix(std::int16_t type, CatalogValue& value) {
  switch (type) {
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_INTEGER:
    case SQL_SMALLINT: SetCatalogNumber(value, 10); break;
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE: SetCatalogNumber(value, 2); break;
    default: break;
  }
}

}  // namespace

MessageId ReadTypeInfoValue(const StatementHandle& statement, std::uint16_t column, CatalogValue& value) {
  if (statement.catalogRow >= GetTypeInfoRowCount()) return kMsgQuickBaseError;
  const TypeInfoRow& row = GetTypeInfoTable()[statement.catalogRow];
  const std::int16_t type = MapDateTypeForStatement(statement, row.dataType);
  std::int32_t subcode = 0;
  switch (column) {
    case 1: SetCatalogText(value, row.typeName); break;
    case 2: SetCatalogNumber(value, type); break;
    case 3: SetCatalogNumber(value, row.columnSize); break;
    case 4: SetCatalogTextOrNull(value, row.literalPrefix); break;
    case 5: SetCatalogTextOrNull(value, row.literalSuffix); break;
    case 6: SetCatalogTextOrNull(value, row.createParams); break;
    case 7: SetCatalogNumber(value, row.nullable); break;
    case 8: SetCatalogNumber(value, row.caseSensitive); break;
    case 9: SetCatalogNumber(value, row.searchable); break;
    case 10: SetCatalogNumberOrNull(value, row.unsignedAttribute, kNoValue); break;
    case 11: SetCatalogNumber(value, row.fixedPrecScale); break;
    case 12: SetCatalogNumberOrNull(value, row.autoUniqueValue, kNoValue); break;
    case 13: SetCatalogTextOrNull(value, row.localTypeName); break;
    case 14: SetCatalogNumberOrNull(value, row.minimumScale, kNoValue); break;
    case 15: SetCatalogNumberOrNull(value, row.maximumScale, kNoValue); break;
    case 16: SetCatalogNumber(value, VerboseSqlType(type)); break;
    case 17:
      if (DateTimeSubcode(type, subcode)) SetCatalogNumber(value, subcode);
      break;
    case 18: SetRadix(type, value); break;
    default: break;  // INTERVAL_PRECISION
  }
  return kMsgSuccess;
}
