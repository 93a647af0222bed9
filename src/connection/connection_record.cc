// The connection record's client is built and destroyed here, where its type
// is complete.
#include "connection/quickbase_client.h"

ConnectionRecord::ConnectionRecord() : client(std::make_unique<QuickBaseClient>()) {}

ConnectionRecord::~ConnectionRecord() = default;
