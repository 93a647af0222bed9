// The service's text forms of values: rendering node and parameter values for
// criteria and writes, and reading reply values (epoch milliseconds, checkbox,
// durations, base64). Called by table access and the criteria builders.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <sqltypes.h>

#include "common/epoch_time.h"
#include "common/message_ids.h"

// Renders a value as the service's text into out. Type codes: -2 binary
// (base64 without line breaks), 1 character (length bytes, or SQL_NTS),
// 8 double (plain decimal text that reads back as the same double), 9 date
// (milliseconds of midnight UTC), 10 time (milliseconds since midnight),
// 11 timestamp (UTC milliseconds). A length of -1 (NULL) or a null value gives
// "". Timestamps go through one time-zone rule: with utc set the wall clock is
// offsetMinutes east of UTC (0: it is UTC), otherwise the process's zone.
// 0; 1003 for another type code; 1009 or 1011 for a date-time that can't be
// expressed, and for an infinite or NaN double (out is then "").
MessageId FormatCValueAsQuickBaseText(std::string& out, std::int16_t typeCode, const void* value, SQLLEN length,
                                      bool utc, std::int32_t offsetMinutes);

// Readers of reply values. An empty text (blanks only) is the field's NULL:
// isNull is set and the value left alone. Otherwise 0, 1009 for a text that is
// not of the form, 1011 for a value beyond the calendar or a day.
MessageId ReadServiceDate(std::string_view text, SQL_DATE_STRUCT& date, bool& isNull);
MessageId ReadServiceTimestamp(std::string_view text, const TimeZoneRule& rule, SQL_TIMESTAMP_STRUCT& timestamp,
                               bool& isNull);
MessageId ReadServiceTimeOfDay(std::string_view text, SQL_TIME_STRUCT& time, bool& isNull);
// Milliseconds divided by the DURATION multiplier.
MessageId ReadServiceDuration(std::string_view text, double multiplier, double& value, bool& isNull);
// "1" and "0"; the input words yes/true/on and no/false/off (A-Z folded) too.
MessageId ReadServiceCheckbox(std::string_view text, bool& checked, bool& isNull);

// Base64 (standard alphabet, padded) for file attachments.
std::string EncodeBase64(std::string_view bytes);
// Line breaks and blanks are skipped; false for any other character outside
// the alphabet, for misplaced padding or a dangling final character.
bool DecodeBase64(std::string_view text, std::string& bytes);
