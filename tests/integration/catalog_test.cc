// Catalog functions through the Driver Manager, beyond the rows of the golden
// transcript: the refusal while a result is open, a failed request, the
// application filter of each call, tables that can't be opened, column
// defaults in short buffers, the functions without rows, numbers read into
// C types of every width, a reference across applications, and the requests
// a catalog costs.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "odbc_test_support.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;
using Call = std::function<SQLRETURN(SQLHSTMT)>;

struct NamedCall {
  const char* name;
  Call call;
};

SQLCHAR* Text(const char* text) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)); }

std::string CrossApplicationFixture() {
  return std::string(HELVANE_EMULATOR_DIR) + "/../tests/integration/fixtures/cross_application.json";
}

Call Tables(const char* catalog) {
  return [=](SQLHSTMT s) { return SQLTables(s, Text(catalog), SQL_NTS, nullptr, 0, nullptr, 0, nullptr, 0); };
}

Call Columns(const char* catalog, const char* table, const char* column = nullptr) {
  return [=](SQLHSTMT s) {
    return SQLColumns(s, Text(catalog), SQL_NTS, nullptr, 0, Text(table), SQL_NTS, Text(column), SQL_NTS);
  };
}

Call ForeignKeys(const char* primary, const char* foreign) {
  return [=](SQLHSTMT s) {
    return SQLForeignKeys(s, nullptr, 0, nullptr, 0, Text(primary), SQL_NTS, nullptr, 0, nullptr, 0, Text(foreign),
                          SQL_NTS);
  };
}

// A connection to an emulator through a connection string of its own.
struct CatalogConnection {
  OdbcHandles handles;
  SQLHSTMT statement = SQL_NULL_HSTMT;
  CatalogConnection(const Emulator& emulator, const std::string& keys) {
    const std::string text = std::string("DRIVER={") + kDriverName + "};QUICKBASESERVER=" + emulator.HttpUrl() +
                             ";UID=alice;PWD=wonderland;" + keys;
    EXPECT_TRUE(SQL_SUCCEEDED(handles.DriverConnect(text))) << handles.ConnectionDiagnostic().text;
    SQLAllocHandle(SQL_HANDLE_STMT, handles.connection, &statement);
  }
  ~CatalogConnection() { SQLFreeHandle(SQL_HANDLE_STMT, statement); }

  // Every row of the result the call opens, each column read as text
  // ("NULL" for NULL); the cursor is closed after it.
  Rows Read(const Call& call) {
    const SQLRETURN result = call(statement);
    EXPECT_EQ(result, SQL_SUCCESS) << Diagnostic().text;
    return SQL_SUCCEEDED(result) ? FetchRowsAsText(statement) : Rows();
  }
  ::Diagnostic Diagnostic() const { return ReadDiagnostic(SQL_HANDLE_STMT, statement); }
};

struct CatalogTest : ::testing::Test {
  TempFolder folder;
  Emulator emulator{folder};
  void SetUp() override {
    ASSERT_NE(emulator.port, 0);
    WriteOdbcFiles(folder, {});  // registers the driver
  }
};

TEST_F(CatalogTest, OpenResultRefusesEveryCatalogCallUntilClosed) {
  CatalogConnection c(emulator, "");
  const NamedCall calls[] = {
      {"SQLTables", Tables(nullptr)},
      {"SQLColumns", Columns(nullptr, "Orders")},
      {"SQLStatistics",
       [](SQLHSTMT s) { return SQLStatistics(s, nullptr, 0, nullptr, 0, Text("Orders"), SQL_NTS, 0, 0); }},
      {"SQLSpecialColumns",
       [](SQLHSTMT s) {
         return SQLSpecialColumns(s, SQL_BEST_ROWID, nullptr, 0, nullptr, 0, Text("Orders"), SQL_NTS, 0, 0);
       }},
      {"SQLPrimaryKeys", [](SQLHSTMT s) { return SQLPrimaryKeys(s, nullptr, 0, nullptr, 0, Text("Orders"), SQL_NTS); }},
      {"SQLForeignKeys", ForeignKeys("Sales: Customers", nullptr)},
      {"SQLGetTypeInfo", [](SQLHSTMT s) { return SQLGetTypeInfo(s, SQL_ALL_TYPES); }},
      {"SQLProcedures", [](SQLHSTMT s) { return SQLProcedures(s, nullptr, 0, nullptr, 0, nullptr, 0); }},
  };
  // Before the first fetch the Driver Manager lets the call reach the
  // driver, and takes a refused call for the end of the result: only
  // SQLFreeStmt then closes it. After a fetch it refuses the call itself.
  for (const auto& call : calls) {
    for (const bool fetched : {false, true}) {
      ASSERT_EQ(Tables(nullptr)(c.statement), SQL_SUCCESS);
      if (fetched) {
        ASSERT_EQ(SQLFetch(c.statement), SQL_SUCCESS);
      }
      EXPECT_EQ(call.call(c.statement), SQL_ERROR) << call.name;
      EXPECT_EQ(c.Diagnostic().state, "24000") << call.name;
      if (!fetched) {
        EXPECT_EQ(c.Diagnostic().text, "[Tarvox ODBC]Invalid cursor state") << call.name;
      }
      if (fetched) {
        ASSERT_EQ(SQLCloseCursor(c.statement), SQL_SUCCESS) << call.name << ": " << c.Diagnostic().text;
      } else {
        ASSERT_EQ(SQLFreeStmt(c.statement, SQL_CLOSE), SQL_SUCCESS) << call.name;
      }
      EXPECT_EQ(call.call(c.statement), SQL_SUCCESS) << call.name << ": " << c.Diagnostic().text;
      SQLFreeStmt(c.statement, SQL_CLOSE);
    }
  }
}

// The failed call leaves the statement idle: the same call on it works next.
TEST_F(CatalogTest, FailedRequestGivesTheServiceTextAndTheNextCallWorks) {
  const NamedCall calls[] = {
      {"SQLTables", Tables(nullptr)},
      {"SQLColumns", Columns(nullptr, "Orders")},
      {"SQLForeignKeys", ForeignKeys(nullptr, "Sales: Orders")},
  };
  for (const auto& call : calls) {
    CatalogConnection c(emulator, "");
    emulator.Admin("faults", R"({"action": "API_GrantedDBs", "errcode": 3, "errdetail": "no list for you"})");
    EXPECT_EQ(call.call(c.statement), SQL_ERROR) << call.name;
    const Diagnostic failure = c.Diagnostic();
    EXPECT_EQ(failure.state, "HY000") << call.name;
    EXPECT_EQ(failure.text, "[Tarvox][QuickBase]Insufficient permissions no list for you") << call.name;
    EXPECT_FALSE(c.Read(call.call).empty()) << call.name;
  }
}

// A call without a catalog filters nothing, whatever the call before asked.
TEST_F(CatalogTest, EveryCallSetsItsApplicationFilterAfresh) {
  CatalogConnection c(emulator, "APPTOKEN=demo_archive_apptoken");
  EXPECT_EQ(c.Read(Tables("Archive")).size(), 1u);
  EXPECT_EQ(c.Read(Tables(nullptr)).size(), 4u);
  EXPECT_EQ(c.Read(Columns("Archive", nullptr)).size(), 7u);
  EXPECT_EQ(c.Read(Columns(nullptr, nullptr)).size(), 53u);
  EXPECT_EQ(c.Read([](SQLHSTMT s) { return SQLTables(s, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0); }).size(),
            4u);
}

// Without the Archive application's token its table can't be opened.
TEST_F(CatalogTest, TablesThatCannotBeOpenedGiveNoRows) {
  CatalogConnection c(emulator, "");
  const Rows columns = c.Read(Columns(nullptr, nullptr));
  EXPECT_EQ(columns.size(), 46u);
  for (const auto& row : columns) EXPECT_EQ(row[0], "Sales");
  for (const char* table : {"Archive: Old Orders", "Sales: Nowhere"}) {
    EXPECT_TRUE(c.Read([table](SQLHSTMT s) {
                   return SQLStatistics(s, nullptr, 0, nullptr, 0, Text(table), SQL_NTS, 0, 0);
                 }).empty())
        << table;
    EXPECT_EQ(c.Diagnostic().state, "") << table;
  }
}

TEST_F(CatalogTest, ColumnDefaultIsGivenOnlyWhereItFits) {
  TempFolder crossFolder;
  Emulator crossEmulator(crossFolder, "", CrossApplicationFixture());
  CatalogConnection c(crossEmulator, "");
  const struct {
    SQLSMALLINT cType;
    SQLLEN size;
    SQLRETURN result;
    std::string value;  // UTF-8; wide buffers are compared in UTF-16LE
    SQLLEN length;
  } cases[] = {
      {SQL_C_CHAR, 4, SQL_SUCCESS_WITH_INFO, "TRU", 9},
      {SQL_C_CHAR, 7, SQL_SUCCESS, "closed", 6},
      {SQL_C_BINARY, 64, SQL_SUCCESS, "TRUNCATED", 9},
      {SQL_C_WCHAR, 14, SQL_SUCCESS, "closed", 12},
      {SQL_C_WCHAR, 12, SQL_SUCCESS_WITH_INFO, "TRUNC", 18},
  };
  for (const auto& t : cases) {
    ASSERT_EQ(Columns(nullptr, "Closed Accounts", "Summary")(c.statement), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(c.statement), SQL_SUCCESS);
    char buffer[64];
    std::memset(buffer, 0, sizeof buffer);
    SQLLEN length = 0;
    EXPECT_EQ(SQLGetData(c.statement, 13, t.cType, buffer, t.size, &length), t.result) << t.cType << " " << t.size;
    EXPECT_EQ(length, t.length) << t.cType << " " << t.size;
    std::string got;
    if (t.cType == SQL_C_WCHAR) {
      for (std::size_t i = 0; i + 1 < sizeof buffer && buffer[i] != 0; i += 2) got += buffer[i];
    } else {
      got.assign(buffer, t.cType == SQL_C_BINARY ? static_cast<std::size_t>(length) : std::strlen(buffer));
    }
    EXPECT_EQ(got, t.value) << t.cType << " " << t.size;
    SQLCloseCursor(c.statement);
  }
}

TEST_F(CatalogTest, FunctionsWithoutRows) {
  CatalogConnection c(emulator, "");
  const NamedCall refused[] = {
      {"SQLTablePrivileges",
       [](SQLHSTMT s) { return SQLTablePrivileges(s, nullptr, 0, nullptr, 0, Text("Orders"), SQL_NTS); }},
      {"SQLColumnPrivileges",
       [](SQLHSTMT s) {
         return SQLColumnPrivileges(s, nullptr, 0, nullptr, 0, Text("Orders"), SQL_NTS, nullptr, 0);
       }},
      {"SQLProcedureColumns",
       [](SQLHSTMT s) { return SQLProcedureColumns(s, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0); }},
  };
  for (const auto& call : refused) {
    EXPECT_EQ(call.call(c.statement), SQL_ERROR) << call.name;
    EXPECT_EQ(c.Diagnostic().state, "IM001") << call.name;
  }
  // The service has no procedures: an empty result, which the next catalog
  // call may follow once it is closed.
  EXPECT_EQ(SQLProcedures(c.statement, nullptr, 0, nullptr, 0, nullptr, 0), SQL_SUCCESS);
  EXPECT_EQ(SQLFetch(c.statement), SQL_NO_DATA);
  ASSERT_EQ(SQLCloseCursor(c.statement), SQL_SUCCESS);
  EXPECT_EQ(SQLProcedures(c.statement, nullptr, 0, nullptr, 0, nullptr, 0), SQL_SUCCESS);
}

// Each number lands in exactly the width of its C type: the bytes around it
// keep their guard value.
TEST_F(CatalogTest, NumbersFillExactlyTheirCType) {
  CatalogConnection c(emulator, "");
  const struct {
    SQLUSMALLINT column;
    SQLSMALLINT cType;
    std::size_t width;
    long long expected;
  } cases[] = {
      {5, SQL_C_STINYINT, 1, -1},  {5, SQL_C_SSHORT, 2, -1},   {5, SQL_C_SLONG, 4, -1},
      {5, SQL_C_SBIGINT, 8, -1},   {7, SQL_C_SLONG, 4, 65534}, {7, SQL_C_SBIGINT, 8, 65534},
      {7, SQL_C_USHORT, 2, 65534}, {17, SQL_C_SSHORT, 2, 10},
  };
  for (const auto& t : cases) {
    ASSERT_EQ(Columns(nullptr, "Customers", "Notes")(c.statement), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(c.statement), SQL_SUCCESS);
    unsigned char buffer[24];
    std::memset(buffer, 0xA5, sizeof buffer);
    SQLLEN length = 0;
    EXPECT_EQ(SQLGetData(c.statement, t.column, t.cType, buffer + 8, 0, &length), SQL_SUCCESS) << c.Diagnostic().text;
    EXPECT_EQ(length, static_cast<SQLLEN>(t.width)) << t.column << " " << t.cType;
    for (std::size_t i = 0; i < sizeof buffer; ++i) {
      if (i < 8 || i >= 8 + t.width) {
        EXPECT_EQ(buffer[i], 0xA5) << t.column << " " << t.cType << " byte " << i;
      }
    }
    long long value = 0;
    switch (t.width) {
      case 1: value = static_cast<signed char>(buffer[8]); break;
      case 2: {
        std::int16_t v;
        std::memcpy(&v, buffer + 8, 2);
        value = t.cType == SQL_C_USHORT ? static_cast<std::uint16_t>(v) : v;
        break;
      }
      case 4: {
        std::int32_t v;
        std::memcpy(&v, buffer + 8, 4);
        value = v;
        break;
      }
      default: std::memcpy(&value, buffer + 8, 8);
    }
    EXPECT_EQ(value, t.expected) << t.column << " " << t.cType;
    SQLCloseCursor(c.statement);
  }
}

TEST_F(CatalogTest, ReferenceToAnotherApplicationNeedsCrossApp) {
  TempFolder crossFolder;
  Emulator crossEmulator(crossFolder, "", CrossApplicationFixture());
  const Call calls[] = {ForeignKeys("Sales: Customers", nullptr), ForeignKeys(nullptr, "Archive: Closed Accounts"),
                        ForeignKeys("Sales: Customers", "Archive: Closed Accounts")};
  for (const char* keys : {"", "CROSSAPP=1"}) {
    CatalogConnection c(crossEmulator, keys);
    for (const Call& call : calls) {
      const Rows rows = c.Read(call);
      if (*keys == '\0') {
        EXPECT_TRUE(rows.empty());
        continue;
      }
      ASSERT_EQ(rows.size(), 1u);
      EXPECT_EQ(rows[0][0] + "|" + rows[0][2] + "|" + rows[0][3], "Sales|Sales: Customers|Record ID_");
      EXPECT_EQ(rows[0][4] + "|" + rows[0][6] + "|" + rows[0][7], "Archive|Archive: Closed Accounts|Former Customer");
    }
  }
}

// One schema request per table and connection; the granted list once a call.
TEST_F(CatalogTest, SchemasAreAskedOncePerConnection) {
  CatalogConnection c(emulator, "APPTOKEN=demo_archive_apptoken");
  for (int run = 0; run < 2; ++run) {
    emulator.Admin("log/clear", "{}");
    EXPECT_EQ(c.Read(Columns(nullptr, nullptr)).size(), 53u);
    EXPECT_EQ(LoggedRequests(emulator, "API_GetSchema").size(), run == 0 ? 4u : 0u) << run;
    EXPECT_EQ(LoggedRequests(emulator, "API_GrantedDBs").size(), 1u) << run;
    EXPECT_EQ(LoggedRequests(emulator, "").size(), run == 0 ? 5u : 1u) << run;
  }
}

}  // namespace
