// Number texts: doubles to text and text to doubles within a range.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <sqltypes.h>

#include "common/message_ids.h"

// Writes value with "%.15f" less trailing fraction zeros and a bare point.
// With exponentAllowed it falls back to exponent form when the fixed text does
// not fit size bytes (NUL included) or shows only zero for a non-zero value;
// without it a text that does not fit is cut (never past size) and 1 returned.
std::uint8_t FormatDoubleText(double value, bool exponentAllowed, char* buffer, std::size_t size);

// Parses a number text with blanks allowed around it (length may be SQL_NTS).
// 0 with out set; 1012 malformed; 1011 outside [minimum, maximum]; 1002 when
// wholeNumber is set and fraction digits were dropped (out holds the whole part).
MessageId ParseDoubleInRange(const char* text, SQLLEN length, bool wholeNumber, double minimum,
                             double maximum, double& out);

std::string IntToString(std::int32_t value);
