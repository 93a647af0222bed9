// Starting values of a new node's kind-specific fields; called by
// AddParseNode for every node the parser or a later pass appends.
#pragma once

#include "sql/parse_node.h"

// Zeroes the fields, then sets every index field of the node's kind to none
// and the kind's other non-zero starting values (result file -1, current row
// -2, join type inner, type row 65535).
void SetNodeDefaults(ParseNode& node);
