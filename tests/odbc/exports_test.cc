// The built library's exports called directly (dlopen, no Driver Manager),
// as a careless application or a confused Driver Manager might: every
// handle of the wrong kind, a zeroed record, a destroyed one, a freed handle
// and bytes that are no record at all answer SQL_INVALID_HANDLE, never a
// crash or a read of freed memory; and the argument checks that need no
// service answer their SQLSTATEs.
#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "driver_library.h"
#include "handles/descriptor_handle.h"

namespace {

enum Kind { kEnvironment, kConnection, kStatement, kDescriptor, kZeroed, kDestroyed, kText, kKinds };
const char* const kKindNames[] = {"environment", "connection", "statement", "descriptor",
                                  "zeroed record", "destroyed record", "text"};

const SQLSMALLINT kHandleTypeOf[] = {SQL_HANDLE_ENV, SQL_HANDLE_DBC, SQL_HANDLE_STMT, SQL_HANDLE_DESC};

// One handle of each kind from the library, three that are none, and one of
// each kind that the library allocated and freed again.
struct Handles {
  const DriverLibrary& library;
  SQLHANDLE of[kKinds] = {};
  SQLHANDLE freed[kDescriptor + 1] = {};
  alignas(DescriptorHandle) unsigned char zeroed[sizeof(DescriptorHandle)] = {};
  alignas(DescriptorHandle) unsigned char destroyed[sizeof(DescriptorHandle)];
  char text[64] = "Tarvox ODBC for QuickBase";

  explicit Handles(const DriverLibrary& lib) : library(lib) {
    auto alloc = EXPORT(SQLAllocHandle);
    EXPECT_EQ(alloc(SQL_HANDLE_ENV, nullptr, &of[kEnvironment]), SQL_SUCCESS);
    EXPECT_EQ(alloc(SQL_HANDLE_DBC, of[kEnvironment], &of[kConnection]), SQL_SUCCESS);
    EXPECT_EQ(alloc(SQL_HANDLE_STMT, of[kConnection], &of[kStatement]), SQL_SUCCESS);
    EXPECT_EQ(alloc(SQL_HANDLE_DESC, of[kConnection], &of[kDescriptor]), SQL_SUCCESS);
    (new (destroyed) DescriptorHandle)->~DescriptorHandle();
    of[kZeroed] = zeroed;
    of[kDestroyed] = destroyed;
    of[kText] = text;
    EXPECT_EQ(alloc(SQL_HANDLE_ENV, nullptr, &freed[kEnvironment]), SQL_SUCCESS);
    EXPECT_EQ(alloc(SQL_HANDLE_DBC, of[kEnvironment], &freed[kConnection]), SQL_SUCCESS);
    EXPECT_EQ(alloc(SQL_HANDLE_STMT, of[kConnection], &freed[kStatement]), SQL_SUCCESS);
    EXPECT_EQ(alloc(SQL_HANDLE_DESC, of[kConnection], &freed[kDescriptor]), SQL_SUCCESS);
    auto free = EXPORT(SQLFreeHandle);
    for (int kind = kDescriptor; kind >= kEnvironment; --kind)
      EXPECT_EQ(free(kHandleTypeOf[kind], freed[kind]), SQL_SUCCESS);
  }
  ~Handles() {
    auto free = EXPORT(SQLFreeHandle);
    EXPECT_EQ(free(SQL_HANDLE_DESC, of[kDescriptor]), SQL_SUCCESS);
    EXPECT_EQ(free(SQL_HANDLE_STMT, of[kStatement]), SQL_SUCCESS);
    EXPECT_EQ(free(SQL_HANDLE_DBC, of[kConnection]), SQL_SUCCESS);
    EXPECT_EQ(free(SQL_HANDLE_ENV, of[kEnvironment]), SQL_SUCCESS);
  }
};

std::string DiagnosticState(const DriverLibrary& library, SQLSMALLINT type, SQLHANDLE handle) {
  SQLCHAR state[6] = {0};
  SQLINTEGER native = 0;
  SQLCHAR text[256];
  SQLSMALLINT length = 0;
  EXPORT(SQLGetDiagRec)(type, handle, 1, state, &native, text, sizeof text, &length);
  return reinterpret_cast<char*>(state);
}

// An export called with one handle; accepts is the one kind it takes.
struct ExportCall {
  const char* name;
  Kind accepts;
  std::function<SQLRETURN(SQLHANDLE)> call;
};

// copyTarget: a live descriptor for the other side of SQLCopyDesc.
std::vector<ExportCall> Calls(const DriverLibrary& library, SQLHANDLE copyTarget) {
  static SQLCHAR buffer[256];
  static SQLINTEGER integer;
  static SQLSMALLINT length;
  static SQLHANDLE out;
  static SQLCHAR connect[] = "DSN=nowhere";
  std::vector<ExportCall> calls = {
      {"SQLSetEnvAttr", kEnvironment,
       [&](SQLHANDLE h) { return EXPORT(SQLSetEnvAttr)(h, SQL_ATTR_OUTPUT_NTS, (SQLPOINTER)SQL_TRUE, 0); }},
      {"SQLGetEnvAttr", kEnvironment,
       [&](SQLHANDLE h) { return EXPORT(SQLGetEnvAttr)(h, SQL_ATTR_ODBC_VERSION, &integer, 0, nullptr); }},
      {"SQLAllocHandle(DBC)", kEnvironment,
       [&](SQLHANDLE h) { return EXPORT(SQLAllocHandle)(SQL_HANDLE_DBC, h, &out); }},
      {"SQLAllocHandle(STMT)", kConnection,
       [&](SQLHANDLE h) { return EXPORT(SQLAllocHandle)(SQL_HANDLE_STMT, h, &out); }},
      {"SQLAllocHandle(DESC)", kConnection,
       [&](SQLHANDLE h) { return EXPORT(SQLAllocHandle)(SQL_HANDLE_DESC, h, &out); }},
      {"SQLAllocStmt", kConnection, [&](SQLHANDLE h) { return EXPORT(SQLAllocStmt)(h, &out); }},
      {"SQLConnect", kConnection,
       [&](SQLHANDLE h) { return EXPORT(SQLConnect)(h, connect, SQL_NTS, nullptr, 0, nullptr, 0); }},
      {"SQLDriverConnect", kConnection,
       [&](SQLHANDLE h) {
         return EXPORT(SQLDriverConnect)(h, nullptr, connect, SQL_NTS, buffer, sizeof buffer, &length,
                                         SQL_DRIVER_NOPROMPT);
       }},
      {"SQLDisconnect", kConnection, [&](SQLHANDLE h) { return EXPORT(SQLDisconnect)(h); }},
      {"SQLSetConnectAttr", kConnection,
       [&](SQLHANDLE h) { return EXPORT(SQLSetConnectAttr)(h, SQL_ATTR_METADATA_ID, (SQLPOINTER)1, 0); }},
      {"SQLGetConnectAttr", kConnection,
       [&](SQLHANDLE h) { return EXPORT(SQLGetConnectAttr)(h, SQL_ATTR_AUTOCOMMIT, &integer, 0, nullptr); }},
      {"SQLSetConnectOption", kConnection,
       [&](SQLHANDLE h) { return EXPORT(SQLSetConnectOption)(h, SQL_ACCESS_MODE, 0); }},
      {"SQLGetConnectOption", kConnection,
       [&](SQLHANDLE h) { return EXPORT(SQLGetConnectOption)(h, SQL_ACCESS_MODE, &integer); }},
      {"SQLFreeStmt", kStatement, [&](SQLHANDLE h) { return EXPORT(SQLFreeStmt)(h, SQL_CLOSE); }},
      {"SQLCancel", kStatement, [&](SQLHANDLE h) { return EXPORT(SQLCancel)(h); }},
      {"SQLCloseCursor", kStatement, [&](SQLHANDLE h) { return EXPORT(SQLCloseCursor)(h); }},
      {"SQLSetStmtAttr", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLSetStmtAttr)(h, SQL_ATTR_MAX_ROWS, (SQLPOINTER)5, 0); }},
      {"SQLGetStmtAttr", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLGetStmtAttr)(h, SQL_ATTR_APP_ROW_DESC, &out, 0, nullptr); }},
      {"SQLSetStmtOption", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLSetStmtOption)(h, SQL_MAX_ROWS, 5); }},
      {"SQLGetStmtOption", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLGetStmtOption)(h, SQL_MAX_ROWS, &out); }},
      {"SQLSetScrollOptions", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLSetScrollOptions)(h, SQL_CONCUR_READ_ONLY, SQL_SCROLL_STATIC, 1); }},
      {"SQLGetInfo", kConnection,
       [&](SQLHANDLE h) { return EXPORT(SQLGetInfo)(h, SQL_DRIVER_NAME, buffer, sizeof buffer, &length); }},
      {"SQLGetFunctions", kConnection,
       [&](SQLHANDLE h) {
         static SQLUSMALLINT supported;
         return EXPORT(SQLGetFunctions)(h, SQL_API_SQLGETINFO, &supported);
       }},
      {"SQLGetTypeInfo", kStatement, [&](SQLHANDLE h) { return EXPORT(SQLGetTypeInfo)(h, SQL_VARCHAR); }},
      {"SQLTables", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLTables)(h, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0); }},
      {"SQLColumns", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLColumns)(h, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0); }},
      {"SQLStatistics", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLStatistics)(h, nullptr, 0, nullptr, 0, connect, SQL_NTS, 0, 0); }},
      {"SQLSpecialColumns", kStatement,
       [&](SQLHANDLE h) {
         return EXPORT(SQLSpecialColumns)(h, SQL_BEST_ROWID, nullptr, 0, nullptr, 0, connect, SQL_NTS, 0, 0);
       }},
      {"SQLPrimaryKeys", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLPrimaryKeys)(h, nullptr, 0, nullptr, 0, connect, SQL_NTS); }},
      {"SQLForeignKeys", kStatement,
       [&](SQLHANDLE h) {
         return EXPORT(SQLForeignKeys)(h, nullptr, 0, nullptr, 0, connect, SQL_NTS, nullptr, 0, nullptr, 0, nullptr, 0);
       }},
      {"SQLProcedures", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLProcedures)(h, nullptr, 0, nullptr, 0, nullptr, 0); }},
      {"SQLTablePrivileges", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLTablePrivileges)(h, nullptr, 0, nullptr, 0, nullptr, 0); }},
      {"SQLColumnPrivileges", kStatement,
       [&](SQLHANDLE h) {
         return EXPORT(SQLColumnPrivileges)(h, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0);
       }},
      {"SQLProcedureColumns", kStatement,
       [&](SQLHANDLE h) {
         return EXPORT(SQLProcedureColumns)(h, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0);
       }},
      {"SQLBrowseConnect", kConnection,
       [&](SQLHANDLE h) { return EXPORT(SQLBrowseConnect)(h, connect, SQL_NTS, buffer, sizeof buffer, &length); }},
      {"SQLGetDescField", kDescriptor,
       [&](SQLHANDLE h) { return EXPORT(SQLGetDescField)(h, 0, SQL_DESC_COUNT, &integer, 0, nullptr); }},
      {"SQLSetDescField", kDescriptor,
       [&](SQLHANDLE h) { return EXPORT(SQLSetDescField)(h, 0, SQL_DESC_COUNT, (SQLPOINTER)0, 0); }},
      {"SQLGetDescRec", kDescriptor,
       [&](SQLHANDLE h) {
         return EXPORT(SQLGetDescRec)(h, 1, buffer, sizeof buffer, &length, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr);
       }},
      {"SQLSetDescRec", kDescriptor,
       [&](SQLHANDLE h) {
         return EXPORT(SQLSetDescRec)(h, 1, SQL_C_CHAR, 0, 0, 0, 0, nullptr, nullptr, nullptr);
       }},
      {"SQLCopyDesc(source)", kDescriptor,
       [&, copyTarget](SQLHANDLE h) { return EXPORT(SQLCopyDesc)(h, copyTarget); }},
      {"SQLCopyDesc(target)", kDescriptor,
       [&, copyTarget](SQLHANDLE h) { return EXPORT(SQLCopyDesc)(copyTarget, h); }},
      {"SQLError(environment)", kEnvironment,
       [&](SQLHANDLE h) {
         return EXPORT(SQLError)(h, nullptr, nullptr, buffer, &integer, buffer, sizeof buffer, &length);
       }},
      {"SQLError(connection)", kConnection,
       [&](SQLHANDLE h) {
         return EXPORT(SQLError)(nullptr, h, nullptr, buffer, &integer, buffer, sizeof buffer, &length);
       }},
      {"SQLError(statement)", kStatement,
       [&](SQLHANDLE h) {
         return EXPORT(SQLError)(nullptr, nullptr, h, buffer, &integer, buffer, sizeof buffer, &length);
       }},
      {"SQLPrepare", kStatement, [&](SQLHANDLE h) { return EXPORT(SQLPrepare)(h, connect, SQL_NTS); }},
      {"SQLExecDirect", kStatement, [&](SQLHANDLE h) { return EXPORT(SQLExecDirect)(h, connect, SQL_NTS); }},
      {"SQLExecute", kStatement, [&](SQLHANDLE h) { return EXPORT(SQLExecute)(h); }},
      {"SQLBindParameter", kStatement,
       [&](SQLHANDLE h) {
         return EXPORT(SQLBindParameter)(h, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, buffer,
                                         sizeof buffer, nullptr);
       }},
      {"SQLDescribeParam", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLDescribeParam)(h, 1, &length, nullptr, &length, &length); }},
      {"SQLNumParams", kStatement, [&](SQLHANDLE h) { return EXPORT(SQLNumParams)(h, &length); }},
      {"SQLParamData", kStatement, [&](SQLHANDLE h) { return EXPORT(SQLParamData)(h, &out); }},
      {"SQLPutData", kStatement, [&](SQLHANDLE h) { return EXPORT(SQLPutData)(h, buffer, 1); }},
      {"SQLParamOptions", kStatement, [&](SQLHANDLE h) { return EXPORT(SQLParamOptions)(h, 1, nullptr); }},
      {"SQLRowCount", kStatement,
       [&](SQLHANDLE h) {
         static SQLLEN rows;
         return EXPORT(SQLRowCount)(h, &rows);
       }},
      {"SQLNativeSql", kConnection,
       [&](SQLHANDLE h) { return EXPORT(SQLNativeSql)(h, connect, SQL_NTS, buffer, sizeof buffer, &integer); }},
      {"SQLSetCursorName", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLSetCursorName)(h, connect, SQL_NTS); }},
      {"SQLGetCursorName", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLGetCursorName)(h, buffer, sizeof buffer, &length); }},
      {"SQLNumResultCols", kStatement, [&](SQLHANDLE h) { return EXPORT(SQLNumResultCols)(h, &length); }},
      {"SQLDescribeCol", kStatement,
       [&](SQLHANDLE h) {
         return EXPORT(SQLDescribeCol)(h, 1, buffer, sizeof buffer, &length, &length, nullptr, &length, &length);
       }},
      {"SQLColAttribute", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLColAttribute)(h, 1, SQL_DESC_TYPE, buffer, sizeof buffer, &length, nullptr); }},
      {"SQLColAttributes", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLColAttributes)(h, 1, SQL_COLUMN_TYPE, buffer, sizeof buffer, &length, nullptr); }},
      {"SQLMoreResults", kStatement, [&](SQLHANDLE h) { return EXPORT(SQLMoreResults)(h); }},
      {"SQLBindCol", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLBindCol)(h, 1, SQL_C_CHAR, buffer, sizeof buffer, nullptr); }},
      {"SQLFetch", kStatement, [&](SQLHANDLE h) { return EXPORT(SQLFetch)(h); }},
      {"SQLFetchScroll", kStatement, [&](SQLHANDLE h) { return EXPORT(SQLFetchScroll)(h, SQL_FETCH_NEXT, 0); }},
      {"SQLExtendedFetch", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLExtendedFetch)(h, SQL_FETCH_NEXT, 0, nullptr, nullptr); }},
      {"SQLGetData", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLGetData)(h, 1, SQL_C_CHAR, buffer, sizeof buffer, nullptr); }},
      {"SQLSetPos", kStatement,
       [&](SQLHANDLE h) { return EXPORT(SQLSetPos)(h, 1, SQL_POSITION, SQL_LOCK_NO_CHANGE); }},
      {"SQLBulkOperations", kStatement, [&](SQLHANDLE h) { return EXPORT(SQLBulkOperations)(h, SQL_ADD); }},
      {"SQLTransact(environment)", kEnvironment,
       [&](SQLHANDLE h) { return EXPORT(SQLTransact)(h, nullptr, SQL_COMMIT); }},
      {"SQLTransact(connection)", kConnection,
       [&](SQLHANDLE h) { return EXPORT(SQLTransact)(nullptr, h, SQL_COMMIT); }},
  };
  // The functions that take a handle type with the handle.
  const struct {
    SQLSMALLINT type;
    Kind kind;
    const char* label;
  } types[] = {{SQL_HANDLE_ENV, kEnvironment, "environment"},
               {SQL_HANDLE_DBC, kConnection, "connection"},
               {SQL_HANDLE_STMT, kStatement, "statement"},
               {SQL_HANDLE_DESC, kDescriptor, "descriptor"}};
  for (const auto& t : types) {
    const SQLSMALLINT type = t.type;
    calls.push_back({"SQLGetDiagRec", t.kind, [&, type](SQLHANDLE h) {
                       return EXPORT(SQLGetDiagRec)(type, h, 1, buffer, &integer, buffer, sizeof buffer, &length);
                     }});
    calls.push_back({"SQLGetDiagField", t.kind, [&, type](SQLHANDLE h) {
                       return EXPORT(SQLGetDiagField)(type, h, 0, SQL_DIAG_NUMBER, &integer, 0, &length);
                     }});
    calls.push_back({"SQLEndTran", t.kind,
                     [&, type](SQLHANDLE h) { return EXPORT(SQLEndTran)(type, h, SQL_COMMIT); }});
    calls.push_back({"SQLFreeHandle", t.kind, [&, type](SQLHANDLE h) { return EXPORT(SQLFreeHandle)(type, h); }});
  }
  return calls;
}

// Under the sanitizers a check that read a freed handle's memory would fail
// the test, so a freed handle must be told apart without reading it.
TEST(Exports, HandlesOfAnotherKindAndFreedHandlesAreInvalid) {
  DriverLibrary library;
  ASSERT_NE(library.handle, nullptr) << dlerror();
  Handles handles(library);
  for (const ExportCall& c : Calls(library, handles.of[kDescriptor])) {
    for (int kind = 0; kind < kKinds; ++kind) {
      if (kind == c.accepts) continue;
      EXPECT_EQ(c.call(handles.of[kind]), SQL_INVALID_HANDLE) << c.name << " given a " << kKindNames[kind];
    }
    EXPECT_EQ(c.call(nullptr), SQL_INVALID_HANDLE) << c.name << " given null";
    EXPECT_EQ(c.call(handles.freed[c.accepts]), SQL_INVALID_HANDLE) << c.name << " given a freed handle";
  }
  // A descriptor handed over as an attribute's value is checked too.
  auto setStatementAttribute = EXPORT(SQLSetStmtAttr);
  for (Kind kind : {kEnvironment, kConnection, kStatement, kZeroed, kDestroyed, kText}) {
    EXPECT_EQ(setStatementAttribute(handles.of[kStatement], SQL_ATTR_APP_ROW_DESC, handles.of[kind], 0), SQL_ERROR)
        << kKindNames[kind];
    EXPECT_EQ(DiagnosticState(library, SQL_HANDLE_STMT, handles.of[kStatement]), "HY024") << kKindNames[kind];
  }
  EXPECT_EQ(setStatementAttribute(handles.of[kStatement], SQL_ATTR_APP_ROW_DESC, handles.of[kDescriptor], 0),
            SQL_SUCCESS);
}

// Checks an export makes of its arguments before any work: the SQLSTATE it
// leaves on the handle it was given.
TEST(Exports, ArgumentChecks) {
  DriverLibrary library;
  ASSERT_NE(library.handle, nullptr) << dlerror();
  Handles handles(library);
  SQLCHAR text[] = "DSN=nowhere";
  SQLCHAR out[64];
  SQLSMALLINT length = 0;
  SQLINTEGER integer = 0;
  SQLHANDLE connection = handles.of[kConnection];
  SQLHANDLE statement = handles.of[kStatement];
  struct {
    const char* label;
    std::function<SQLRETURN()> call;
    Kind on;
    const char* state;
  } cases[] = {
      {"SQLDriverConnect, negative string length",
       [&] { return EXPORT(SQLDriverConnect)(connection, nullptr, text, -7, out, sizeof out, &length, 0); },
       kConnection, "HY090"},
      {"SQLDriverConnect, negative buffer length",
       [&] { return EXPORT(SQLDriverConnect)(connection, nullptr, text, SQL_NTS, out, -1, &length, 0); },
       kConnection, "HY090"},
      {"SQLConnect, negative name length",
       [&] { return EXPORT(SQLConnect)(connection, text, -2, nullptr, 0, nullptr, 0); }, kConnection, "HY090"},
      {"SQLConnect, negative password length",
       [&] { return EXPORT(SQLConnect)(connection, text, SQL_NTS, text, SQL_NTS, text, -100); }, kConnection,
       "HY090"},
      {"SQLSetConnectAttr, negative catalog length",
       [&] { return EXPORT(SQLSetConnectAttr)(connection, SQL_ATTR_CURRENT_CATALOG, text, -9); }, kConnection,
       "HY090"},
      {"SQLGetConnectAttr, negative buffer length",
       [&] { return EXPORT(SQLGetConnectAttr)(connection, SQL_ATTR_CURRENT_CATALOG, out, -1, &integer); },
       kConnection, "HY090"},
      {"SQLNativeSql, negative text length",
       [&] { return EXPORT(SQLNativeSql)(connection, text, -5, out, sizeof out, &integer); }, kConnection, "HY090"},
      {"SQLNativeSql, negative buffer length",
       [&] { return EXPORT(SQLNativeSql)(connection, text, SQL_NTS, out, -1, &integer); }, kConnection, "HY090"},
      {"SQLEndTran, unknown completion",
       [&] { return EXPORT(SQLEndTran)(SQL_HANDLE_DBC, connection, 7); }, kConnection, "HY012"},
      {"SQLEndTran on the environment, unknown completion",
       [&] { return EXPORT(SQLEndTran)(SQL_HANDLE_ENV, handles.of[kEnvironment], -1); }, kEnvironment, "HY012"},
      {"SQLTransact, unknown completion", [&] { return EXPORT(SQLTransact)(nullptr, connection, 9); },
       kConnection, "HY012"},
      {"SQLPrepare, negative text length", [&] { return EXPORT(SQLPrepare)(statement, text, -5); }, kStatement,
       "HY090"},
      {"SQLExecDirect, negative text length", [&] { return EXPORT(SQLExecDirect)(statement, text, -5); },
       kStatement, "HY090"},
      {"SQLSetCursorName, negative name length",
       [&] { return EXPORT(SQLSetCursorName)(statement, text, -5); }, kStatement, "HY090"},
      {"SQLGetCursorName, negative buffer length",
       [&] { return EXPORT(SQLGetCursorName)(statement, out, -1, &length); }, kStatement, "HY090"},
      {"SQLBindParameter, negative buffer length",
       [&] {
         return EXPORT(SQLBindParameter)(statement, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, out, -1,
                                         nullptr);
       },
       kStatement, "HY090"},
      {"SQLFreeHandle, environment with a connection",
       [&] { return EXPORT(SQLFreeHandle)(SQL_HANDLE_ENV, handles.of[kEnvironment]); }, kEnvironment, "HY010"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.call(), SQL_ERROR) << c.label;
    EXPECT_EQ(DiagnosticState(library, kHandleTypeOf[c.on], handles.of[c.on]), c.state) << c.label;
  }
  // Reading diagnostics never posts one: a negative length is just refused.
  SQLCHAR state[6];
  EXPECT_EQ(EXPORT(SQLGetDiagRec)(SQL_HANDLE_DBC, connection, 1, state, &integer, out, -1, &length), SQL_ERROR);
  EXPECT_EQ(EXPORT(SQLGetDiagField)(SQL_HANDLE_DBC, connection, 1, SQL_DIAG_MESSAGE_TEXT, out, -1, &length),
            SQL_ERROR);
  EXPECT_EQ(DiagnosticState(library, SQL_HANDLE_DBC, connection), "HY012");
}

}  // namespace
