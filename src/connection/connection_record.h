// One open connection to the service: host flags, options, the client with
// its caches, and the last failure for GetConnectionErrorText.
#pragma once

#include <cstdint>
#include <string>

#include "common/epoch_time.h"
#include "common/message_ids.h"
#include "connection/quickbase_client.h"
#include "qbapi/api_call_record.h"

struct ConnectionHandle;
struct StatementHandle;

struct ConnectionRecord {
  ConnectionHandle* connection = nullptr;  // the handle that owns this record
  std::string hostModuleName;              // lower-case base name of the host program
  std::uint8_t hostIsAccessOrQuery = 0;    // msaccess.exe or msqry32.exe
  std::uint8_t hostIsSqlServer = 0;        // sqlservr.exe
  std::uint8_t rawUserFields = 0;
  std::uint8_t emptyTextIsNull = 0;
  std::uint16_t transactionCapability = 1;
  std::uint8_t commitDeletesPrepared = 0;
  std::uint8_t multipleActiveTransactions = 1;
  std::uint32_t isolationMask = 2;
  std::uint32_t defaultIsolation = 2;
  std::string userAgent;
  std::string userName;
  std::string databaseName;
  StatementHandle* currentStatement = nullptr;
  std::uint32_t lastImportRecordId = 0;
  // Cleared whenever a read starts, so a zone reloaded between statements is seen.
  LocalOffsetMemo localOffsetMemo;

  // The last failure: a message id, and for 999 the service's call record.
  MessageId lastMessageId = kMsgSuccess;
  ApiCallRecord lastServerError;
  std::string lastMessageText;

  QuickBaseClient client;
};
