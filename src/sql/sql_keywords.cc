// The keyword table and the context-word test behind unquoted names with
// blanks; used by the tokenizer.
#include "sql/sql_keywords.h"

#include <algorithm>
#include <iterator>

#include "platform/text_fold.h"
#include "sql/sql_tokenizer.h"

const char* const SqlKeywordTable[kSqlKeywordCount + 1] = {
    "ADD",      "ALL",      "ALTER",   "AND",     "ANY",      "AS",     "ASC",        "AVG",
    "BETWEEN",  "BY",       "CONSTRAINT", "COUNT", "CREATE",  "CREATEOQ", "DELETE",   "DELETEOQ",
    "DESC",     "DISTINCT", "DROP",    "EXISTS",  "FOREIGN",  "FROM",   "GROUP",      "HAVING",
    "IN",       "INDEX",    "INNER",   "INSERT",  "INSERTOQ", "INTO",   "IS",         "JOIN",
    "LEFT",     "LIKE",     "KEY",     "MAX",     "MIN",      "NOT",    "NULL",       "ON",
    "OR",       "ORDER",    "OUTER",   "PRIMARY", "REFERENCES", "SELECT", "SET",      "SQL",
    "SUM",      "TABLE",    "TOP",     "UNIQUE",  "UPDATE",   "UPDATEOQ", "USER",     "VALUES",
    "WHERE",    nullptr};

namespace {

// The same words in byte order, for a binary search of an upper-cased word.
constexpr std::string_view kSortedKeywords[kSqlKeywordCount] = {
    "ADD",     "ALL",      "ALTER",  "AND",      "ANY",     "AS",         "ASC",    "AVG",    "BETWEEN", "BY",
    "CONSTRAINT", "COUNT", "CREATE", "CREATEOQ", "DELETE",  "DELETEOQ",   "DESC",   "DISTINCT", "DROP", "EXISTS",
    "FOREIGN", "FROM",     "GROUP",  "HAVING",   "IN",      "INDEX",      "INNER",  "INSERT", "INSERTOQ", "INTO",
    "IS",      "JOIN",     "KEY",    "LEFT",     "LIKE",    "MAX",        "MIN",    "NOT",    "NULL",    "ON",
    "OR",      "ORDER",    "OUTER",  "PRIMARY",  "REFERENCES", "SELECT",  "SET",    "SQL",    "SUM",     "TABLE",
    "TOP",     "UNIQUE",   "UPDATE", "UPDATEOQ", "USER",    "VALUES",     "WHERE"};

// No keyword is longer than ten characters.
inline constexpr std::size_t kLongestKeyword = 10;

}  // namespace

bool IsKeywordText(std::string_view word) {
  if (word.empty() || word.size() > kLongestKeyword) return false;
  char upper[kLongestKeyword];
  for (std::size_t i = 0; i < word.size(); ++i) upper[i] = FoldToUpperAZ(word[i]);
  return std::binary_search(std::begin(kSortedKeywords), std::end(kSortedKeywords),
                            std::string_view(upper, word.size()));
}

unsigned IsReservedWord(std::string_view word) {
  return IsKeywordText(word) ? kTokenKeyword : kTokenIdentifier;
}

bool IsContextWord(std::string_view word, bool onInNames) {
  static constexpr std::string_view kContextWords[] = {"ADD",     "ALTER",      "REFERENCES", "BY",
                                                       "PRIMARY", "FOREIGN",    "CONSTRAINT", "KEY",
                                                       "INTO",    "TOP",        "USER"};
  if (onInNames && EqualFoldedAZ(word, "ON")) return true;
  for (std::string_view context : kContextWords) {
    if (EqualFoldedAZ(word, context)) return true;
  }
  return false;
}
