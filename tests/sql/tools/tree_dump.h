// Canonical text of a parse result for golden transcripts and parser tests.
#pragma once

#include <string>
#include <string_view>

#include "common/message_ids.h"

struct StatementHandle;
struct ParseTree;

// The tree under the root's statement node, one node a line, then the
// parameter chain's numbers, the row limit, the pass-through flag and the
// batch rest; or "ERROR <id> <detail>" when id is not 0.
std::string DumpParseResult(const StatementHandle& statement, const ParseTree* tree, MessageId id);

// The bound tree after the semantic pass: each node's line also carries its
// type, resolved column, buffers and record places; each SELECT its layout
// and sort texts (the temporary directory shown as <TMP>); then the
// parameters' types and the fields registered for fetching per table. Or
// "ERROR <id> <detail>".
std::string DumpBindResult(const StatementHandle& statement, const ParseTree* tree, MessageId id);

// The fields registered for fetching of the cursor's table, " 3,6,7".
struct TableCursor;
std::string FetchedFields(const TableCursor& cursor);

// text in double quotes with '"', '\' and control bytes escaped.
std::string QuoteText(std::string_view text);
// The same, with a text over 200 bytes shortened to its first 60 bytes and
// its length, so huge tokens keep the transcript readable.
std::string QuoteShortText(std::string_view text);
