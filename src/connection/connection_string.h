// Connection strings in and out: parsing SQLDriverConnect's string into the
// settings map, and writing the completed string that it hands back.
#pragma once

#include <string>
#include <string_view>

#include "handles/handles.h"

// Adds every KEY=value pair to settings, keys upper-cased (A-Z only). A value
// in braces may hold ';' and '='; "}}" inside braces is one '}'. Blanks around
// keys and unbraced values are dropped; the first occurrence of a key wins.
// False when a braced value is not closed (nothing after it is read). Each
// byte is looked at a bounded number of times, whatever the string holds.
bool ParseConnectionString(std::string_view text, SettingsMap& settings);

// "DSN=...;" (or "DRIVER=...;" without a DSN) followed by every other
// non-empty setting; values that need it are braced. PWD and APPTOKEN come
// last, and only when the application's own string (applicationKeys) held
// them: a data source's stored secrets stay in odbc.ini, and so does a
// server or proxy URL of the data source's that holds a user name and
// password.
std::string BuildOutConnectionString(const SettingsMap& settings, const SettingsMap& applicationKeys);

// Empty when every key and value of the settings is UTF-8 text without a NUL
// byte; otherwise why not, naming the key, for a diagnostic.
std::string FindUnusableSetting(const SettingsMap& settings);
