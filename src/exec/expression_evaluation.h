// The row evaluator: every value and condition a statement computes for the
// current row, with the driver's NULL, comparison and arithmetic rules.
// Called by the row sources and filters, the executor's INSERT and UPDATE
// values, the passes that spool sorted, grouped and DISTINCT rows, the
// scalar functions and the data-retrieval code.
#pragma once

#include <cstdint>
#include <string_view>

#include <sqltypes.h>

#include "common/message_ids.h"
#include "common/value_cell.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// Evaluates node for the current row into its own value cell, children
// first, so a parent reads its operands from their nodes. A condition's
// value is the double 1.0 (true) or 0.0 (false), with the null flag for
// unknown. Walks the tree on an explicit stack: chains of any length (AND,
// OR, arithmetic, arguments, IN lists) cost no native stack. AND stops at
// its first false operand; OR evaluates both. A comparison with a
// single-row sub-select that returns no row is unknown, as the missing
// value is NULL. A sub-select that reads no column of the statements
// around it runs once per execution; later rows reuse what it read.
// 0; 1002 when a value was cut on the way (a numeric column normalised, a
// sub-select's warning), reported after the whole evaluation ran; or the
// first failure, which ends it: 1003 value types without a rule, 1019 kinds,
// operators and quantifiers without a rule, 1053 division by zero, 1055
// concatenation overflow, 1067 a single-row sub-select with a second row,
// the failures of table access (the connection's text copied into the
// statement's message text), conversions and the spooled-record reader.
MessageId EvaluateRowExpression(StatementHandle& statement, ParseTree& tree, NodeIndex node);

// result = left op right, right null for negation (op: 13 negate, 14 +,
// 15 -, 16 *, 17 /). The result's type is the binder's; NUMERIC arithmetic
// is exact, and an integer-typed quotient keeps its whole part. Characters
// only concatenate (1055 beyond result.size characters); days go on and off dates, and
// a date minus a date counts days. 1053 division by
// zero; 1011 a result a double or a date can't hold; 1019 pairs without a
// rule; 1003 value types without a rule and a date minus a timestamp.
// Leaves the null flag alone.
MessageId ApplyArithmetic(ValueCell& result, const ValueCell& left, std::uint16_t op, const ValueCell* right);

// Stores 1.0 or 0.0 in result's number and clears its null flag (operands
// are not NULL here). op: 1 =, 2 <>, 3 <=, 4 <, 5 >=, 6 >, and for
// characters 11 LIKE and 12 NOT LIKE (backslash escapes, case folded).
// Characters compare with case folded and trailing blanks ignored, binary
// values byte for byte (= and <> only), dates and times field by field,
// numbers through CompareNumericValues. 1019 for operators or operand pairs
// without a rule (text with a non-text operand among them), 1003 for
// unknown value types.
MessageId CompareValues(ValueCell& result, const ValueCell& left, std::uint16_t op, const ValueCell& right);

// The numeric part of CompareValues, also used by MIN and MAX: NUMERIC
// against NUMERIC or an integer compares exactly; a double against NUMERIC
// as doubles; a NaN is unequal to everything and neither above nor below.
MessageId CompareNumericValues(ValueCell& result, const ValueCell& left, std::uint16_t op, const ValueCell& right);

// <0, 0, >0: A-Z folded, bytes above 127 unsigned, and the shorter text
// compared as if padded with blanks, so trailing blanks never make texts
// differ while a byte below the blank still sorts before it.
int ComparePaddedText(std::string_view a, std::string_view b);

// A number value as a 32-bit integer, truncated toward zero: 0; 1011
// outside the 32-bit range (NaN included); the reader's failure for a
// numeric text that is not a number; 1019 for a value that is no number.
MessageId ValueToInteger(const ValueCell& cell, std::int32_t& out);

// The date days later (earlier for a negative count): 0; 1011 when the date
// or the result lies outside years 1-9999; 1009 for a date that does not
// exist. Both use 32-bit day counts over the whole calendar.
MessageId AddDaysToDate(const SQL_DATE_STRUCT& date, std::int32_t days, SQL_DATE_STRUCT& out);
// a - b in days.
std::int32_t DaysBetweenDates(const SQL_DATE_STRUCT& a, const SQL_DATE_STRUCT& b);

