// The entry of the SQL parser: statement text to the statement's parse
// tree. Called by the prepare core and by SQLNativeSql.
#pragma once

#include <cstddef>

#include "common/message_ids.h"

struct StatementHandle;
struct ConnectionRecord;
struct ParseTree;

// Parses the first statement of text (length bytes; a NUL among them is
// refused with 1094 before anything is parsed).
// Any tree the holder held is released first. On success the holder holds
// the new tree, whose root records connection and names the statement node.
// On failure the holder is empty and the statement's detail text says what
// was wrong. Every call clears the statement's pass-through flag, remaining
// batch and row limit before setting them for this text.
MessageId ParseStatement(StatementHandle& statement, ConnectionRecord* connection, const char* text,
                         std::size_t length, ParseTree*& tree);
