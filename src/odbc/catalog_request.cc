// Release of a statement's pending catalog request and catalog work record.
#include "odbc/catalog_request.h"

#include "common/message_ids.h"
#include "handles/connection_record.h"

void ReleaseCatalogRequest(CatalogTableList* request) {
  if (request == nullptr) return;
  if (request->connection != nullptr) request->connection->lastMessageId = kMsgSuccess;
  delete request;
}

void DestroyCatalogRowWork(CatalogRowWork* work, bool freeMemory) {
  if (work == nullptr) return;
  if (freeMemory) {
    delete work;
    return;
  }
  *work = CatalogRowWork{};
}
