// Connection strings in and out: parsing SQLDriverConnect's string into the
// settings map, and writing the completed string that it hands back.
#pragma once

#include <string>
#include <string_view>

#include "handles/handles.h"

// Adds every KEY=value pair to settings, keys upper-cased (A-Z only). A value
// in braces may hold ';' and '='; "}}" inside braces is one '}'. Blanks around
// keys and unbraced values are dropped; the first occurrence of a key wins.
// False when a braced value is not closed (nothing after it is read).
bool ParseConnectionString(std::string_view text, SettingsMap& settings);

// "DSN=...;" (or "DRIVER=...;" without a DSN) followed by every other
// non-empty setting; values that need it are braced.
std::string BuildOutConnectionString(const SettingsMap& settings);
