// Number texts: doubles to text and text to doubles within a range. Called by
// the executor, the evaluator, the scalar functions and the conversions.
// Locale-free: a host application's LC_NUMERIC never changes the point.
#pragma once

#include <sqltypes.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/message_ids.h"

// Writes value with "%.15f" less trailing fraction zeros and a bare point;
// a negative zero is written "0". With exponentAllowed it falls back to
// exponent form ("%lE") when the fixed text does not fit size bytes (NUL
// included) or shows only zero for a non-zero value. A text that still does
// not fit is cut to size - 1 bytes and a NUL (nothing when size is 0 or buffer
// null), never written past size, and 1 returned; otherwise 0.
std::uint8_t FormatDoubleText(double value, bool exponentAllowed, char* buffer, std::size_t size);

// Parses a number text (sign, digits with an optional point, optional
// exponent) with blanks allowed around it (length may be SQL_NTS). A blank
// text is 0, being how a numeric zero is written. 0 with out set; 1012
// malformed (infinity and NaN included); 1011 outside [minimum, maximum];
// 1002 when wholeNumber is set and fraction digits were dropped (out holds the
// whole part). With wholeNumber the range applies to the whole part.
MessageId ParseDoubleInRange(const char* text, SQLLEN length, bool wholeNumber, double minimum,
                             double maximum, double& out);

std::string IntToString(std::int32_t value);
