// The catalog state a statement keeps between a catalog function and its
// fetches: the pending list of granted tables and the work record of
// foreign-key rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "handles/api_call_record.h"

struct ConnectionRecord;

// Left on the statement by table access's FetchGrantedDatabases.
struct CatalogTableList {
  ConnectionRecord* connection = nullptr;
  std::string pattern;
  ApiCallRecord record;
  std::size_t nextEntry = 0;  // the next entry of the granted list to look at
  bool applications = false;  // the list holds applications, not tables
};

inline constexpr int kCatalogKeyColumns = 15;

struct CatalogRowWork {
  std::string primaryKeyName;
  std::string foreignKeyName;
  std::string primaryColumns[kCatalogKeyColumns];
  std::string foreignColumns[kCatalogKeyColumns];
  std::uint16_t counter = 0;
  std::uint16_t count = 0;
  std::uint16_t updateRule = 65535;  // 65535 = NULL
  std::uint16_t deleteRule = 65535;
  std::uint16_t deferrability = 65535;
};
