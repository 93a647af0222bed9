// The statement handle: what one SQL statement of a connection carries from
// allocation to its last fetch. Later layers add their fields here.
#pragma once

#include <cstdint>
#include <string>

#include "common/handle_diagnostic.h"
#include "qbapi/api_call_record.h"

struct ConnectionHandle;

struct StatementHandle {
  std::int16_t kind = 3;
  StatementHandle* nextStatement = nullptr;
  ConnectionHandle* connection = nullptr;
  HandleDiagnostic diagnostic;
  ApiCallRecord callRecord;
  std::uint64_t bindType = 0;  // 0 = column-wise binding
};
