// SQL column names made from the service's field labels.
#pragma once

#include <string>
#include <string_view>

// With hostFlag only ".", "!", "[", "]" and "`" become "_" and the last 63
// characters are kept; without it letters, digits, blanks and colons stay,
// hyphens only with hyphenFlag, every other character becomes "_" and the
// last 127 characters are kept. Leading blanks are dropped.
std::string SanitizeColumnName(std::string_view fieldLabel, bool hostFlag, bool hyphenFlag);
