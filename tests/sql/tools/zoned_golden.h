// What the golden tools that run their cases under several time zones share:
// the zones, case headers and directives, the merge of one transcript per
// zone into an expected file with zone tags, the expected text as one zone
// sees it, and the check of a current date or time against the zone's clock.
// Used by scalar_dump and scalar_odbc_dump.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sql_case_file.h"

inline constexpr const char* kGoldenZones[] = {"UTC", "America/New_York"};

// The directive line "name" or "name ...", or nullptr.
const std::string* CaseDirective(const SqlCase& sqlCase, const std::string& name);

// "=== N description" and "SQL: text" (on one line, long texts cut).
std::string CaseHeader(const std::vector<SqlCase>& cases, std::size_t i);

// One expected text from a transcript per zone of kGoldenZones (in that
// order): a line that differs between zones is kept once per zone, led by
// "[zone] ". False, with a note on stderr, when a case that is not marked
// "zoned" differs.
bool MergeZoneTranscripts(const std::vector<SqlCase>& cases, const std::vector<std::string>& transcripts,
                          std::string& merged);

// The expected transcript as the given zone should see it.
std::string ExpectedForZone(const std::string& expected, const std::string& zone);

// A zone the system has no data for silently reads as UTC; a comparison
// under it would then test nothing.
bool ZoneIsKnown(const std::string& zone);

enum class ClockValueKind { kDate, kTime, kTimestamp };

// Seconds between a current date, time or timestamp and the wall clock
// (UTC seconds plus the zone's offset); a date counts as 0 when it is the
// wall clock's date within 2 s either way, a time is compared around midnight.
std::int64_t ClockDistance(ClockValueKind kind, int year, int month, int day, int hour, int minute, int second,
                           std::int64_t wallSeconds);

// The UTC clock in whole seconds.
std::int64_t UtcSecondsNow();
