// Matching one column reference against one table reference, and binding it
// to the column found. The semantic pass decides which tables to try.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

inline constexpr std::int32_t kNoColumn = -1;

// The ordinal of the table's column that writtenName names (its label
// sanitized the way table access names columns, or "fid" and its field id),
// provided the qualifier, when given, is the table's alias; kNoColumn when
// there is none. The first match in column order wins.
std::int32_t FindColumnInTable(const StatementHandle& statement, const ParseTree& tree, std::uint8_t caseSensitive,
                               ValueIndex qualifier, std::string_view writtenName, NodeIndex tableReference);

// Binds the reference to column ordinal of the table: registers the field
// for fetching, records table and ordinal, gives an unqualified reference
// the table's alias and types the reference by the column's SQL type (date
// codes in the form of the application's ODBC version). 1003 for an SQL type
// the driver does not map.
MessageId BindReferenceToColumn(StatementHandle& statement, ParseTree& tree, NodeIndex reference,
                                NodeIndex tableReference, std::int32_t ordinal);

// Both of the above for the reference's own name: 0 when found and bound;
// 1021 with the written name as detail when this table has no such column.
MessageId ResolveColumnReference(StatementHandle& statement, ParseTree& tree, std::uint8_t caseSensitive,
                                 NodeIndex reference, NodeIndex tableReference);
