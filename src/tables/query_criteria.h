// Turning the executor's criteria arrays and sort keys into the table's
// QuickBase query string and sort list. Called by the executor's source
// queries (criteria) and its server-side ordering (sort keys).
#pragma once

#include <cstdint>
#include <string>

#include <sqltypes.h>

#include "common/message_ids.h"
#include "common/value_cell.h"  // value type codes of criteria and written values
#include "tables/table_cursor.h"

// Criterion operator codes of the executor.
inline constexpr std::uint16_t kCriterionLocal = 0;
inline constexpr std::uint16_t kCriterionEx = 1;
inline constexpr std::uint16_t kCriterionXex = 2;
inline constexpr std::uint16_t kCriterionLte = 3;
inline constexpr std::uint16_t kCriterionLt = 4;
inline constexpr std::uint16_t kCriterionGte = 5;
inline constexpr std::uint16_t kCriterionGt = 6;
inline constexpr std::uint16_t kCriterionCt = 7;
inline constexpr std::uint16_t kCriterionXct = 8;
inline constexpr std::uint16_t kCriterionSw = 9;
inline constexpr std::uint16_t kCriterionXsw = 10;

// Builds the table's query from count entries. Entries with operator 0, and
// those that could drop a row the SQL keeps, stay local (under an OR join
// that refuses the set). Adjacent entries with the same non-zero list group
// are the items of one IN (EX) or NOT IN (XEX) list, each sent as a
// criterion of its own; listGroups may be null when there are no lists. 0
// with the query set and the count set to the criteria sent; 3 when the set
// can't be sent exactly (over 99 criteria, one short of the service's 100
// for the continuation of the pages, a value with both quote characters, an
// OR set with an entry that stays local, ...): then no criterion is sent and
// the count is set above 99; 1008 for a column number
// outside the table; 1095, recorded on the connection, for a character value
// that is not UTF-8 or holds a character XML 1.0 forbids, whether or not its
// entry would be sent. A table's pending writes keep local only the entries
// on fields that a pending edit sets: the service's answer over any other
// field is the connection's own view, its pending edits, deletions and
// inserts applied as the rows are read.
MessageId BuildQueryCriteria(TableCursor& cursor, std::int32_t count, const std::uint16_t* columns,
                             const std::uint16_t* operators, const std::int16_t* valueTypes,
                             const void* const* values, const SQLLEN* lengths,
                             const std::uint16_t* listGroups = nullptr);

// Whether the entry, sent, could only narrow the table's rows; false when
// the service's rules for text and empty fields could drop a row that the
// SQL condition keeps (a test for NULL on text, a negative operator on a
// value whose blanks or letters the service reads its own way, an ordering
// of texts), and on a field that a pending edit sets. BuildQueryCriteria
// leaves such an entry out as it does one with operator 0.
bool CriterionOnlyNarrows(const TableCursor& cursor, std::uint16_t column, std::uint16_t op, std::int16_t valueType,
                          const void* value, SQLLEN length);

// Sort fields for the service; descending when the direction is not 0.
// Count 0 clears the sort. 0, or 3 when the service can't sort so: it sorts
// only by record-id fields, led by the table's own record id.
MessageId BuildSortList(TableCursor& cursor, std::uint16_t keyCount, const std::uint16_t* columnIndexes,
                        const std::uint8_t* directions);
