// Turning the settings map into the API session's credentials and transport
// settings; the connect routine calls it before authenticating.
#pragma once

#include <cstdint>
#include <string>

#include "handles/handles.h"
#include "qbapi/api_session.h"

// "https://host" for a bare host name, the text itself (without a trailing
// '/') when it names a scheme; the public service when empty.
std::string ResolveServerUrl(const std::string& server);

// WINHTTPTIMEOUTS: resolve, connect, send and receive milliseconds separated
// by commas; a missing or unreadable entry keeps its default.
void ParseTimeoutList(const std::string& text, TransportSettings& settings);

// TIMEZONEOFFSET: whole minutes east of UTC with an optional sign, blanks
// around it allowed, less than a day either way. False for any other text.
bool ParseTimezoneOffset(const std::string& text, std::int32_t& minutes);

// True for the usual spellings of a switched-on flag (1, Y, YES, ON, TRUE).
bool IsSettingOn(const std::string& value);

void ApplySessionSettings(const SettingsMap& settings, const std::string& userAgent, ApiSession& session);
