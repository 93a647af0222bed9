// Filling a connection's settings map from the data source's odbc.ini keys
// and from SQLConnect's arguments; the connect routine calls these.
#pragma once

#include <string>

#include "handles/handles.h"

// The keys a data source may hold, in the order the out connection string
// and the settings pseudo-table list them.
extern const char* const kDataSourceKeys[];
extern const std::size_t kDataSourceKeyCount;

// Adds each key of the DSN's odbc.ini section that the map does not hold yet,
// so a key given in the connection string wins. Nothing without a DSN.
void AddDataSourceKeys(SettingsMap& settings);

// SQLConnect: the data source and the credentials given as arguments; empty
// arguments leave the data source's own keys to fill in.
void SetConnectArguments(SettingsMap& settings, const std::string& dataSource, const std::string& userName,
                         const std::string& password);
