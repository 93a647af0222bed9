// User names and passwords written into URL-like settings (the server's and
// the proxy's, with or without a scheme): telling whether a value holds
// them and taking them out, so that diagnostics and the completed
// connection string never show them. Used by the transport and connecting.
#pragma once

#include <string>
#include <string_view>

// True when the value has an '@' after its scheme, if any: whatever precedes
// the last '@' is taken for a user name and password, whatever characters
// the password holds ('@', '/', ':' and "://" included).
bool HoldsUrlCredentials(std::string_view url);

// The value with everything between its scheme (if any) and its last '@'
// taken out; unchanged when it holds no credentials.
std::string WithoutUrlCredentials(std::string_view url);
