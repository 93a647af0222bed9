// Releasing the catalog state a statement keeps between a catalog function
// and its fetches; closing and freeing a statement call these.
#pragma once

#include "handles/catalog_request.h"

// Clears the connection record's last message id and frees the request.
void ReleaseCatalogRequest(CatalogTableList* request);
// Empties the work record and, with freeMemory, frees it.
void DestroyCatalogRowWork(CatalogRowWork* work, bool freeMemory);
