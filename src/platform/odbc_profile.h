// Data-source keys in odbc.ini, read through unixODBC's installer library.
#pragma once

#include <string>

// The value of key in the data source's section of odbc.ini (user file first,
// then the system file, as the installer library searches them); the empty
// text when the key or the data source is absent.
std::string ReadDataSourceKey(const std::string& dataSource, const std::string& key);
