// DATABASE, IFNULL, USER, IDENTITY and LASTERROR.
#include "exec/system_functions.h"

#include <algorithm>
#include <mutex>

#include "common/diagnostics.h"
#include "common/number_text.h"
#include "connection/quickbase_client.h"
#include "exec/numeric_result.h"
#include "exec/scalar_call.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "qbapi/api_operations.h"

namespace {

inline constexpr double kLargestDouble = 1.7e308;

ConnectionRecord* RecordOf(const ScalarCall& call) {
  return call.statement.connection != nullptr ? call.statement.connection->record : nullptr;
}

// The id the service knows the user by; asked for at most once per
// connection, and a failed request leaves whatever id the session holds.
std::string ServiceUserId(ConnectionRecord& record) {
  ApiSession& session = record.client->session;
  if (session.userId.empty() && record.userInfoRequested == 0) {
    record.userInfoRequested = 1;
    ApiCallRecord status;
    std::string ignored;
    ApiGetUserInfo(session, ignored, status);
  }
  return session.userId;
}

MessageId User(ScalarCall& call) {
  ConnectionRecord* record = RecordOf(call);
  const std::string id = record != nullptr ? ServiceUserId(*record) : std::string();
  SetTextResult(call, id.find('.') != std::string::npos ? id : "-" + id);
  return kMsgSuccess;
}

MessageId Database(ScalarCall& call) {
  const ConnectionRecord* record = RecordOf(call);
  SetTextResult(call, record != nullptr ? record->databaseName : std::string());
  return kMsgSuccess;
}

MessageId Identity(ScalarCall& call) {
  const ConnectionRecord* record = RecordOf(call);
  SetNumberResult(call, record != nullptr ? static_cast<double>(record->lastImportRecordId) : 0.0);
  return kMsgSuccess;
}

// The environment's message belongs to the environment's lock, which comes
// before the connection's lock this call already holds, so waiting for it
// could deadlock against a thread ending the environment's transactions. It
// is only tried: while another thread works on the environment, whose calls
// replace its message anyway, there is no message to hand out.
std::string TakeEnvironmentMessage(EnvironmentHandle& environment) {
  std::unique_lock<std::mutex> lock(environment.mutex, std::try_to_lock);
  if (!lock.owns_lock()) return std::string();
  std::string text = RenderDiagnostic(environment.diagnostic).text;
  ClearDiagnostic(environment.diagnostic);
  return text;
}

// The statement's own message while it has one; else, once, the
// environment's, which is then forgotten.
MessageId LastError(ScalarCall& call) {
  std::string text = RenderDiagnostic(call.statement.diagnostic).text;
  EnvironmentHandle* environment =
      call.statement.connection != nullptr ? call.statement.connection->environment : nullptr;
  if (text.empty() && environment != nullptr) text = TakeEnvironmentMessage(*environment);
  SetTextResult(call, std::move(text));
  return kMsgSuccess;
}

MessageId IfNullDouble(ScalarCall& call, const ValueCell& chosen) {
  if (chosen.valueType != kValueNumeric) {
    SetNumberResult(call, chosen.value.number);
    return kMsgSuccess;
  }
  double value = 0.0;
  const MessageId id = ParseDoubleInRange(chosen.bytes.data(), static_cast<SQLLEN>(chosen.bytes.size()), false,
                                          -kLargestDouble, kLargestDouble, value);
  if (id != kMsgSuccess) return id == kMsgOutOfRange ? kMsgOutOfRange : kMsgConversionError;
  SetNumberResult(call, value);
  return kMsgSuccess;
}

void PadTo(std::string& text, std::int32_t size, char pad) {
  if (size > 0 && text.size() < static_cast<std::size_t>(size)) text.append(static_cast<std::size_t>(size) - text.size(), pad);
}

MessageId IfNull(ScalarCall& call) {
  const ValueCell& chosen = ArgumentCell(call, 0).nullFlag == 0 ? ArgumentCell(call, 0) : ArgumentCell(call, 1);
  ValueCell& result = call.result;
  if (chosen.nullFlag != 0) {
    result.nullFlag = 1;
    result.value = NodeValue{};
    result.bytes.clear();
    return kMsgSuccess;
  }
  switch (result.valueType) {
    case kValueCharacter: {
      std::string text = chosen.bytes;
      if (result.sqlType == SQL_CHAR) PadTo(text, result.size, ' ');
      SetTextResult(call, std::move(text));
      return kMsgSuccess;
    }
    case kValueBinary: {
      std::string bytes = chosen.bytes;
      if (result.sqlType == SQL_BINARY) PadTo(bytes, result.size, '\0');
      SetBinaryResult(call, std::move(bytes));
      return kMsgSuccess;
    }
    case kValueNumeric:
      return chosen.valueType == kValueNumeric ? SetNumericFromText(call, chosen.bytes)
                                               : SetNumericFromDouble(call, chosen.value.number);
    case kValueInteger: SetNumberResult(call, chosen.value.number); return kMsgSuccess;
    case kValueDouble: return IfNullDouble(call, chosen);
    case kValueDate:
    case kValueTime:
    case kValueTimestamp: result.value = chosen.value; return kMsgSuccess;
    default: return kMsgInternalError;
  }
}

}  // namespace

MessageId EvaluateSystemFunction(ScalarCall& call) {
  switch (call.row) {
    case kFnDatabase: return Database(call);
    case kFnIfNull: return IfNull(call);
    case kFnUser: return User(call);
    case kFnIdentity: return Identity(call);
    case kFnLastError: return LastError(call);
    default: return kMsgInternalError;
  }
}
