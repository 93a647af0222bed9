// The result types of the two scalar functions whose result is decided by
// their arguments rather than by their table row: CONVERT (by its type word)
// and IFNULL (by the common type of its two arguments). Called by the
// scalar-function resolution once the arguments are bound.
#pragma once

#include <string_view>

#include "common/message_ids.h"
#include "common/value_cell.h"

// Writes valueType, sqlType, size and digits of CONVERT(argument, typeWord)
// into result; the word is compared with A-Z folded. Date-time SQL types come
// out in the form the word names, before the statement's mapping. 1059 for a
// word that names no type, 1003 for the long types and arguments it cannot
// size, 1009 for a date-time argument to a decimal type.
MessageId ConvertResultType(std::string_view typeWord, const ValueCell& argument, ValueCell& result);

// Writes the type that holds values of both IFNULL arguments into result.
// 1059 when their value types cannot mix.
MessageId IfNullResultType(const ValueCell& first, const ValueCell& second, ValueCell& result);
