// The functions the driver serves, by ODBC function id, in the three forms
// SQLGetFunctions answers.
#include "odbc/supported_functions.h"

#include <sqlext.h>

#include <algorithm>
#include <iterator>

namespace {

struct FunctionRange {
  SQLUSMALLINT first;
  SQLUSMALLINT last;
};

// Left out: SQLSetParam and SQLBindParam, which the Driver Manager maps onto
// SQLBindParameter, SQLDataSources and SQLDrivers, which it answers itself,
// and the privilege and procedure-column catalogs, which the service has no
// rows for.
constexpr FunctionRange kSupported[] = {
    {SQL_API_SQLALLOCCONNECT, SQL_API_SQLSETCURSORNAME},
    {SQL_API_SQLTRANSACT, SQL_API_SQLBULKOPERATIONS},
    {SQL_API_SQLCOLUMNS, SQL_API_SQLBROWSECONNECT},
    {SQL_API_SQLDESCRIBEPARAM, SQL_API_SQLPRIMARYKEYS},
    {SQL_API_SQLPROCEDURES, SQL_API_SQLSETSCROLLOPTIONS},
    {SQL_API_SQLBINDPARAMETER, SQL_API_SQLBINDPARAMETER},
    {SQL_API_SQLALLOCHANDLE, SQL_API_SQLALLOCHANDLE},
    {SQL_API_SQLCLOSECURSOR, SQL_API_SQLGETENVATTR},
    {SQL_API_SQLGETSTMTATTR, SQL_API_SQLGETSTMTATTR},
    {SQL_API_SQLSETCONNECTATTR, SQL_API_SQLFETCHSCROLL},
};

bool IsSupported(unsigned id) {
  return std::any_of(std::begin(kSupported), std::end(kSupported),
                     [id](const FunctionRange& range) { return id >= range.first && id <= range.last; });
}

SQLUSMALLINT Flag(unsigned id) { return IsSupported(id) ? SQL_TRUE : SQL_FALSE; }

void FillOdbc2Flags(SQLUSMALLINT* flags) {
  // Flag 0 answers for no function.
  for (unsigned id = 0; id < 100; ++id) flags[id] = id == 0 ? SQL_FALSE : Flag(id);
}

void FillOdbc3Bitmap(SQLUSMALLINT* words) {
  std::fill(words, words + SQL_API_ODBC3_ALL_FUNCTIONS_SIZE, SQLUSMALLINT{0});
  for (unsigned id = 1; id < SQL_API_ODBC3_ALL_FUNCTIONS_SIZE * 16; ++id) {
    if (id == SQL_API_ODBC3_ALL_FUNCTIONS || !IsSupported(id)) continue;
    words[id >> 4] = static_cast<SQLUSMALLINT>(words[id >> 4] | (1u << (id & 0xF)));
  }
}

}  // namespace

MessageId FillSupportedFunctions(ConnectionHandle& connection, SQLUSMALLINT functionId, SQLUSMALLINT* supported) {
  (void)connection;  // every connection serves the same functions
  if (supported == nullptr) return kMsgSuccess;
  switch (functionId) {
    case SQL_API_ALL_FUNCTIONS: FillOdbc2Flags(supported); break;
    case SQL_API_ODBC3_ALL_FUNCTIONS: FillOdbc3Bitmap(supported); break;
    default: *supported = Flag(functionId); break;
  }
  return kMsgSuccess;
}
