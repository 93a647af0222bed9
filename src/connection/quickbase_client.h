// The connection's client of the service: the API session, followed by the
// per-connection caches that table access keeps (they join this record).
#pragma once

#include "qbapi/api_session.h"
#include "tables/table_caches.h"

struct QuickBaseClient {
  ApiSession session;
  TableAccessCaches caches;
};
