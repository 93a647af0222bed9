// Recognising a batched lookup by key: a WHERE of exactly ten OR'ed copies
// of one AND chain of "column = ?" tests, as database tools send when they
// fetch rows by key in groups of ten. Pure tests over the tree, called by the
// plan pass.
#pragma once

#include <cstdint>

#include "sql/parse_tree.h"

// The alternatives of a batched lookup, and the longest chain in each.
inline constexpr std::uint32_t kBatchedLookupAlternatives = 10;
inline constexpr std::uint32_t kMaxBatchedLookupTests = 6;

// A predicate "column = ?" with the column on the left.
bool IsColumnEqualsParameter(const ParseTree& tree, NodeIndex node);

// A right-leaning AND chain of "column = ?" tests, at most
// kMaxBatchedLookupTests of them counting from depth (1 at the chain's head).
bool IsAndChainOfParameterEqualities(const ParseTree& tree, NodeIndex node, std::uint32_t depth);

// Follows the OR spine from node, whose OR is alternative startCount of the
// WHERE, down to the OR that joins the last two alternatives; its second
// operand (the last alternative) when that is such a chain, else none.
NodeIndex FindBatchedLookupAlternative(const ParseTree& tree, NodeIndex node, std::uint32_t startCount);

// Same kinds, operators and columns throughout; parameter markers match each
// other; any other kind of node matches nothing.
bool SameNodeShape(const ParseTree& tree, NodeIndex a, NodeIndex b);

// The whole test on a WHERE condition.
bool IsBatchedKeyLookup(const ParseTree& tree, NodeIndex where);
