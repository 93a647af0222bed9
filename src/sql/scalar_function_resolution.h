// Resolution of one scalar-function call (a node of kind 32) to a row of the
// scalar-function table and the call's result type. The semantic pass runs
// it in two halves around the binding of the call's arguments, since its
// walk keeps its own stack instead of recursing per node.
#pragma once

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// Finds the function's first row by name and takes the keyword arguments
// out of the argument list, so that only values are left to bind: the
// interval word of TIMESTAMPADD and TIMESTAMPDIFF (kept as the interval
// code), EXTRACT's field word (kept as the field letter) and CONVERT's type
// word (kept as convertTypeWord, decided when the call is finished).
// 1058 and 1059 leave the function's name, as written, in the detail text.
MessageId StartScalarFunctionResolution(StatementHandle& statement, ParseTree& tree, NodeIndex node);

// With the remaining arguments bound: chooses the first overload whose
// argument count and value types match, writes the row and the result type
// into the node, and checks the arguments that the row's types leave open.
// Date-time result types are in the form of the environment's ODBC version.
// 1059 leaves the function's name, as written, in the detail text.
MessageId FinishScalarFunctionResolution(StatementHandle& statement, ParseTree& tree, NodeIndex node);
