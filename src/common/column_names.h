// SQL column names made from the service's field labels; called when a table
// is opened and when a written column name is resolved, so both agree.
#pragma once

#include <string>
#include <string_view>

// With hostFlag only ".", "!", "[", "]" and "`" become "_" and the last 63
// characters are kept; without it letters, digits, blanks and colons stay,
// hyphens only with hyphenFlag, every other character becomes "_" and the
// last 127 characters are kept. Characters are UTF-8 characters: a label is
// never cut inside one, and a non-ASCII character counts as a letter, so
// labels in any script keep their names. The result never begins with a
// blank.
std::string SanitizeColumnName(std::string_view fieldLabel, bool hostFlag, bool hyphenFlag);
