// Reading and checking single tokens for the parser rules: expected symbols,
// keywords and words, numbers, and names interned into the tree.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/message_ids.h"
#include "sql/parse_tree.h"
#include "sql/sql_tokenizer.h"

struct StatementHandle;

// Writes the 1015 argument "While parsing SQL found '<found>' instead of
// <insteadOf> near: <24 characters at after>" and returns 1015.
MessageId FoundInstead(StatementHandle& statement, std::string_view found, std::string_view insteadOf,
                       SqlCursor after);
// Writes argument as the whole 1015 argument and returns 1015.
MessageId ElementMissing(StatementHandle& statement, std::string_view argument);

// Each reads one token (names without blanks) and checks it; an empty wanted
// accepts any symbol, keyword or word. 0 or a message id; the cursor moves
// past the token read.
MessageId ExpectSymbol(StatementHandle& statement, SqlCursor& cursor, std::string_view wanted, std::string& token);
MessageId ExpectKeyword(StatementHandle& statement, SqlCursor& cursor, std::string_view wanted, std::string& token);
MessageId ExpectIdentifier(StatementHandle& statement, SqlCursor& cursor, std::string_view wanted,
                           std::string& token);

// An optional sign and a number. valueType is 4 (integer), 2 (numeric, with
// digits the count of fraction digits) or 8 (double, digits 65535); the
// token buffer holds the number's text with a leading "-" when negative.
MessageId ReadNumberToken(StatementHandle& statement, SqlCursor& cursor, double& value, std::string& token,
                          std::int16_t& valueType, std::uint16_t& digits);
// A number made only of digits, at most 4294967295; else 1016.
MessageId ReadUnsignedInteger(StatementHandle& statement, SqlCursor& cursor, std::uint32_t& value,
                              std::string& token);

// Reads a name and interns it; a token of any other kind fails with 1015.
MessageId ReadAndInternName(StatementHandle& statement, SqlCursor& cursor, ParseTree& tree, ValueIndex& index,
                            std::string& token, bool blankNames, bool onInNames);
