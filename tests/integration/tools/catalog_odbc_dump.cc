// catalog_odbc_dump: the catalog functions' results read through the unixODBC
// Driver Manager against the emulator's demo fixture. Every case of the
// table below calls one catalog function and prints what SQLDescribeCol
// says of the result's columns (once per function and ODBC version) and every
// row as SQLGetData reads it into a character buffer, or the SQLSTATE and
// message of a refusal. Three connections: ODBC 3, ODBC 3 with GLOBALCATALOG,
// and ODBC 2. With an expected file it compares; "--write" rewrites it.
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../odbc_test_support.h"
#include "sql_case_file.h"

namespace {

enum Flavour { kOdbc3, kGlobalCatalog, kOdbc2, kFlavours };
const char* const kFlavourNames[] = {"odbc3", "globalcatalog", "odbc2"};

SQLCHAR* Text(const char* text) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)); }

using Call = std::function<SQLRETURN(SQLHSTMT)>;

Call Tables(const char* catalog, const char* table, const char* type) {
  return [=](SQLHSTMT s) {
    return SQLTables(s, Text(catalog), SQL_NTS, nullptr, 0, Text(table), SQL_NTS, Text(type), SQL_NTS);
  };
}

Call Columns(const char* table, const char* column) {
  return [=](SQLHSTMT s) { return SQLColumns(s, nullptr, 0, nullptr, 0, Text(table), SQL_NTS, Text(column), SQL_NTS); };
}

Call Statistics(const char* table) {
  return [=](SQLHSTMT s) {
    return SQLStatistics(s, nullptr, 0, nullptr, 0, Text(table), SQL_NTS, SQL_INDEX_ALL, SQL_QUICK);
  };
}

Call PrimaryKeys(const char* table) {
  return [=](SQLHSTMT s) { return SQLPrimaryKeys(s, nullptr, 0, nullptr, 0, Text(table), SQL_NTS); };
}

Call SpecialColumns(SQLUSMALLINT identifier, const char* table) {
  return [=](SQLHSTMT s) {
    return SQLSpecialColumns(s, identifier, nullptr, 0, nullptr, 0, Text(table), SQL_NTS, SQL_SCOPE_SESSION,
                             SQL_NULLABLE);
  };
}

Call ForeignKeys(const char* primary, const char* foreign) {
  return [=](SQLHSTMT s) {
    return SQLForeignKeys(s, nullptr, 0, nullptr, 0, Text(primary), SQL_NTS, nullptr, 0, nullptr, 0, Text(foreign),
                          SQL_NTS);
  };
}

Call Procedures() {
  return [](SQLHSTMT s) { return SQLProcedures(s, nullptr, 0, nullptr, 0, nullptr, 0); };
}

Call TypeInfo(SQLSMALLINT type) {
  return [=](SQLHSTMT s) { return SQLGetTypeInfo(s, type); };
}

struct CatalogCase {
  const char* function;
  const char* arguments;
  Flavour flavour;
  bool metadataId;
  Call call;
};

// nullptr arguments are null pointers (no filter); "" an empty name.
std::vector<CatalogCase> Cases() {
  return {
      {"SQLTables", "every table", kOdbc3, false, Tables(nullptr, nullptr, nullptr)},
      {"SQLTables", "table 'Order%'", kOdbc3, false, Tables(nullptr, "Order%", nullptr)},
      {"SQLTables", "table 'sales:order%' (no blank after the colon)", kOdbc3, false,
       Tables(nullptr, "sales:order%", nullptr)},
      {"SQLTables", "catalog 'Arch%'", kOdbc3, false, Tables("Arch%", nullptr, nullptr)},
      {"SQLTables", "type 'TABLE'", kOdbc3, false, Tables(nullptr, nullptr, "TABLE")},
      {"SQLTables", "type 'VIEW'", kOdbc3, false, Tables(nullptr, nullptr, "VIEW")},
      {"SQLTables", "type 'view' (not a type name: every table)", kOdbc3, false, Tables(nullptr, nullptr, "view")},
      {"SQLTables", "type 'SYNONYM'", kOdbc3, false, Tables(nullptr, nullptr, "SYNONYM")},
      {"SQLTables", "SQL_ALL_CATALOGS", kOdbc3, false, Tables("%", "", nullptr)},
      {"SQLTables", "SQL_ALL_TABLE_TYPES", kOdbc3, false, Tables("", "", "%")},
      {"SQLTables", "table 'Order_Lines'", kOdbc3, false, Tables(nullptr, "Order_Lines", nullptr)},
      {"SQLTables", "table 'Order_Lines' under METADATA_ID", kOdbc3, true, Tables(nullptr, "Order_Lines", nullptr)},
      {"SQLTables", "table 'Sales: Order Lines' under METADATA_ID", kOdbc3, true,
       Tables(nullptr, "Sales: Order Lines", nullptr)},
      {"SQLColumns", "every table", kOdbc3, false, Columns(nullptr, nullptr)},
      {"SQLColumns", "'Customers', column '%\\_'", kOdbc3, false, Columns("Customers", "%\\_")},
      {"SQLColumns", "'Customers', column 'NA%'", kOdbc3, false, Columns("Customers", "NA%")},
      {"SQLColumns", "'Customers', column 'Record ID_' under METADATA_ID", kOdbc3, true,
       Columns("Customers", "Record ID_")},
      {"SQLColumns", "'Customers', column 'Record_ID_' under METADATA_ID", kOdbc3, true,
       Columns("Customers", "Record_ID_")},
      {"SQLStatistics", "'Orders'", kOdbc3, false, Statistics("Orders")},
      {"SQLStatistics", "'Sales: Customers'", kOdbc3, false, Statistics("Sales: Customers")},
      {"SQLStatistics", "'Sales: Nowhere'", kOdbc3, false, Statistics("Sales: Nowhere")},
      {"SQLPrimaryKeys", "'Sales: Orders'", kOdbc3, false, PrimaryKeys("Sales: Orders")},
      {"SQLSpecialColumns", "SQL_BEST_ROWID 'Orders'", kOdbc3, false, SpecialColumns(SQL_BEST_ROWID, "Orders")},
      {"SQLSpecialColumns", "SQL_ROWVER 'Orders'", kOdbc3, false, SpecialColumns(SQL_ROWVER, "Orders")},
      {"SQLForeignKeys", "primary 'Sales: Customers'", kOdbc3, false, ForeignKeys("Sales: Customers", nullptr)},
      {"SQLForeignKeys", "foreign 'Sales: Orders'", kOdbc3, false, ForeignKeys(nullptr, "Sales: Orders")},
      {"SQLForeignKeys", "primary 'Sales: Orders'", kOdbc3, false, ForeignKeys("Sales: Orders", nullptr)},
      {"SQLForeignKeys", "foreign 'Sales : Order Lines'", kOdbc3, false, ForeignKeys(nullptr, "Sales : Order Lines")},
      {"SQLForeignKeys", "foreign 'Orders' (a bare name)", kOdbc3, false, ForeignKeys(nullptr, "Orders")},
      {"SQLForeignKeys", "primary 'Sales: Customers', foreign 'Sales: Orders'", kOdbc3, false,
       ForeignKeys("Sales: Customers", "Sales: Orders")},
      {"SQLForeignKeys", "primary 'Sales: Orders', foreign 'Sales: Customers'", kOdbc3, false,
       ForeignKeys("Sales: Orders", "Sales: Customers")},
      {"SQLGetTypeInfo", "SQL_ALL_TYPES", kOdbc3, false, TypeInfo(SQL_ALL_TYPES)},
      {"SQLGetTypeInfo", "SQL_TYPE_DATE", kOdbc3, false, TypeInfo(SQL_TYPE_DATE)},
      {"SQLProcedures", "every procedure", kOdbc3, false, Procedures()},
      {"SQLTables", "every table", kGlobalCatalog, false, Tables(nullptr, nullptr, nullptr)},
      {"SQLStatistics", "'Orders'", kGlobalCatalog, false, Statistics("Orders")},
      {"SQLForeignKeys", "primary 'Sales: Customers'", kGlobalCatalog, false, ForeignKeys("Sales: Customers", nullptr)},
      {"SQLColumns", "'Customers', column 'Customer Since'", kOdbc2, false, Columns("Customers", "Customer Since")},
      {"SQLForeignKeys", "primary 'Sales: Customers'", kOdbc2, false, ForeignKeys("Sales: Customers", nullptr)},
      {"SQLGetTypeInfo", "SQL_DATE", kOdbc2, false, TypeInfo(SQL_DATE)},
      {"SQLProcedures", "every procedure", kOdbc2, false, Procedures()},
  };
}

struct DumpSession {
  TempFolder folder;
  std::unique_ptr<Emulator> emulator;
  std::unique_ptr<OdbcHandles> connections[kFlavours];

  bool Start() {
    emulator = std::make_unique<Emulator>(folder);
    if (emulator->port == 0) return false;
    // The application token opens the Archive application's table too.
    WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator->HttpUrl(), "UID=alice", "PWD=wonderland",
                            "APPTOKEN=demo_archive_apptoken"});
    const char* const extra[] = {"", ";GLOBALCATALOG=Everything", ""};
    for (int f = 0; f < kFlavours; ++f) {
      connections[f] = std::make_unique<OdbcHandles>(f == kOdbc2 ? SQL_OV_ODBC2 : SQL_OV_ODBC3);
      if (!SQL_SUCCEEDED(connections[f]->DriverConnect(std::string("DSN=demo") + extra[f]))) return false;
    }
    return true;
  }
};

std::string ErrorLine(SQLHSTMT statement) {
  const Diagnostic diagnostic = ReadDiagnostic(SQL_HANDLE_STMT, statement);
  return "  error " + diagnostic.state + " " + diagnostic.text + "\n";
}

std::string DescriptionLines(SQLHSTMT statement) {
  SQLSMALLINT count = 0;
  SQLNumResultCols(statement, &count);
  std::string lines = "  " + std::to_string(count) + " columns\n";
  for (SQLUSMALLINT c = 1; c <= count; ++c) {
    SQLCHAR name[128] = {0};
    SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    SQLDescribeCol(statement, c, name, sizeof name, &nameLength, &type, &size, &digits, &nullable);
    lines += "  column " + std::to_string(c) + " " + reinterpret_cast<char*>(name) + " type " + std::to_string(type) +
             " size " + std::to_string(size) + " nullable " + std::to_string(nullable) + "\n";
  }
  return lines;
}

std::string RowLines(SQLHSTMT statement) {
  SQLSMALLINT count = 0;
  SQLNumResultCols(statement, &count);
  std::string lines;
  int rows = 0;
  for (SQLRETURN fetched = SQLFetch(statement); fetched != SQL_NO_DATA; fetched = SQLFetch(statement)) {
    if (!SQL_SUCCEEDED(fetched)) return lines + ErrorLine(statement);
    std::string row = "  |";
    for (SQLUSMALLINT c = 1; c <= count; ++c) {
      char value[512] = {0};
      SQLLEN length = 0;
      if (!SQL_SUCCEEDED(SQLGetData(statement, c, SQL_C_CHAR, value, sizeof value, &length)))
        return lines + ErrorLine(statement);
      row += std::string(" ") + (length == SQL_NULL_DATA ? "NULL" : value) + " |";
    }
    lines += row + "\n";
    ++rows;
  }
  return lines + "  " + std::to_string(rows) + " rows\n";
}

std::string Transcript(DumpSession& session) {
  std::string out;
  std::set<std::string> described;
  for (const CatalogCase& c : Cases()) {
    out += "== " + std::string(c.function) + " " + c.arguments + " [" + kFlavourNames[c.flavour] + "]\n";
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, session.connections[c.flavour]->connection, &statement);
    if (c.metadataId) SQLSetStmtAttr(statement, SQL_ATTR_METADATA_ID, reinterpret_cast<SQLPOINTER>(SQL_TRUE), 0);
    if (!SQL_SUCCEEDED(c.call(statement))) {
      out += ErrorLine(statement);
    } else {
      // Only ODBC 2 changes a description: foreign keys lose DEFERRABILITY.
      if (described.insert(std::string(c.function) + (c.flavour == kOdbc2 ? " odbc2" : "")).second)
        out += DescriptionLines(statement);
      out += RowLines(statement);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  DumpSession session;
  if (!session.Start()) {
    std::fprintf(stderr, "no connection to the emulator with the demo fixture\n");
    return 2;
  }
  return FinishTranscript(Transcript(session), argc, argv, 1);
}
