// Whether an operator may combine two operands, and the value type, SQL type,
// size and digits of what it yields. The semantic pass asks this for every
// comparison, IN value, arithmetic operator, assignment and INSERT value.
#pragma once

#include <cstdint>

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// right is kNoNode only for unary minus. An operand still untyped (a
// parameter marker or NULL) takes its type from the other operand in place,
// so a parameter's type is known once the statement is prepared. result may
// be null when only the check is wanted; otherwise its valueType, sqlType,
// size and digits receive the result's type and nothing else of it changes.
// 1024 leaves the operand and operator text in the statement's detail text.
MessageId CheckOperatorTypes(StatementHandle& statement, ParseTree& tree, NodeIndex left, NodeIndex right,
                             std::uint16_t op, ValueCell* result);
