// One open connection to the service: host flags, options, the client with
// its caches, and the last failure for GetConnectionErrorText.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "handles/api_call_record.h"
#include "handles/message_id.h"

struct ConnectionHandle;
struct QuickBaseClient;
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
  // USER asks the service for the user's id once per connection, even when
  // that request fails, so a failing service is not asked again on every row.
  std::uint8_t userInfoRequested = 0;
  // The last failure: a message id, and for 999 the service's call record.
  MessageId lastMessageId = kMsgSuccess;
  ApiCallRecord lastServerError;
  std::string lastMessageDetail;  // what fills the "%s" of a table-access failure's message
  std::string lastMessageText;

  // Built with the record and never null. Its type belongs to the layers
  // above, so the connection layer defines the constructor and destructor.
  std::unique_ptr<QuickBaseClient> client;

  ConnectionRecord();
  ~ConnectionRecord();
  ConnectionRecord(const ConnectionRecord&) = delete;
  ConnectionRecord& operator=(const ConnectionRecord&) = delete;
};
