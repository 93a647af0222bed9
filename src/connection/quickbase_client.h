// The connection's client of the service: the API session, followed by the
// per-connection caches that table access keeps (they join this record).
#pragma once

#include "common/epoch_time.h"
#include "connection/table_caches.h"
#include "handles/connection_record.h"
#include "qbapi/api_session.h"

struct QuickBaseClient {
  ApiSession session;
  TableAccessCaches caches;
  // Cleared whenever a read starts, so a zone reloaded between statements is seen.
  LocalOffsetMemo localOffsetMemo;
};
