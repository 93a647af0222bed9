// Environment attributes. ODBC 3.80 applications are served as ODBC 3:
// unixODBC takes any warning from this call as the mark of an ODBC 2 driver.
#include "odbc/environment_attributes.h"

#include <sqlext.h>

#include <cstdint>

#include "handles/handles.h"

namespace {

MessageId SetOdbcVersion(EnvironmentHandle& environment, SQLINTEGER version) {
  if (environment.firstConnection != nullptr) return kMsgFunctionSequence;
  switch (version) {
    case SQL_OV_ODBC2: environment.odbcVersion = 2; return kMsgSuccess;
    case SQL_OV_ODBC3:
    case SQL_OV_ODBC3_80: environment.odbcVersion = 3; return kMsgSuccess;
    default: return kMsgOptionValueChanged;
  }
}

}  // namespace

MessageId SetEnvironmentAttribute(EnvironmentHandle& environment, SQLINTEGER attribute, SQLPOINTER value) {
  // Integer attributes arrive in the pointer argument itself.
  auto number = static_cast<SQLINTEGER>(reinterpret_cast<std::intptr_t>(value));
  switch (attribute) {
    case SQL_ATTR_ODBC_VERSION: return SetOdbcVersion(environment, number);
    case SQL_ATTR_CONNECTION_POOLING:
    case SQL_ATTR_CP_MATCH: return number == 0 ? kMsgSuccess : kMsgOptionValueChanged;
    case SQL_ATTR_OUTPUT_NTS: return number != 0 ? kMsgSuccess : kMsgOptionalFeatureAttribute;
    default: return kMsgInvalidAttribute;
  }
}

MessageId GetEnvironmentAttribute(const EnvironmentHandle& environment, SQLINTEGER attribute, SQLPOINTER value,
                                  SQLINTEGER* stringLength) {
  SQLUINTEGER answer = 0;
  switch (attribute) {
    case SQL_ATTR_ODBC_VERSION: answer = static_cast<SQLUINTEGER>(environment.odbcVersion); break;
    case SQL_ATTR_CONNECTION_POOLING:
    case SQL_ATTR_CP_MATCH: answer = 0; break;
    case SQL_ATTR_OUTPUT_NTS: answer = SQL_TRUE; break;
    default: return kMsgInvalidAttribute;
  }
  if (value != nullptr) *static_cast<SQLUINTEGER*>(value) = answer;
  if (stringLength != nullptr) *stringLength = sizeof answer;
  return kMsgSuccess;
}
