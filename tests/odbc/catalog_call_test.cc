// The texts catalog calls make of their name arguments: the 127-character
// limit, the escaped literal names of SQL_ATTR_METADATA_ID (never cut, so a
// long name still matches itself) and the application filter.
#include "odbc/catalog_call.h"

#include <gtest/gtest.h>

#include <string>

#include "odbc_test_handles.h"
#include "tables/catalog_sources.h"

namespace {

const SQLCHAR* Name(const std::string& text) { return reinterpret_cast<const SQLCHAR*>(text.c_str()); }

TEST(CatalogCall, NameArgumentsAndTheirPatterns) {
  Connection c;
  StatementHandle& s = *c.NewStatement();
  const std::string longName(150, 'x');
  std::string twoByte;
  for (int i = 0; i < 130; ++i) twoByte += "\xC3\xA9";
  const struct {
    const char* label;
    std::string text;
    bool null;
    SQLSMALLINT length;
    bool metadataId;
    std::string argument, pattern, filter;
  } cases[] = {
      {"plain", "Sa%es_", false, SQL_NTS, false, "Sa%es_", "Sa%es_", "Sa%es_"},
      {"literal", "Sa%es_\\", false, SQL_NTS, true, "Sa%es_\\", "Sa\\%es\\_\\\\", "Sa\\%es\\_\\\\"},
      {"by length", "Orders", false, 3, false, "Ord", "Ord", "Ord"},
      {"null", "", true, SQL_NTS, false, "", "%", ""},
      {"null, literal", "", true, SQL_NTS, true, "", "", ""},
      {"empty", "", false, SQL_NTS, false, "", "%", ""},
      {"negative length", "Orders", false, -5, false, "", "%", ""},
      {"127 characters", longName, false, SQL_NTS, false, longName.substr(0, 127), longName.substr(0, 127),
       longName.substr(0, 127)},
      {"127 two-byte characters", twoByte, false, SQL_NTS, false, twoByte.substr(0, 254), twoByte.substr(0, 254),
       twoByte.substr(0, 254)},
  };
  for (const auto& t : cases) {
    s.metadataId = t.metadataId ? 1 : 0;
    const SQLCHAR* name = t.null ? nullptr : Name(t.text);
    EXPECT_EQ(CatalogArgument(name, t.length), t.argument) << t.label;
    EXPECT_EQ(CatalogNamePattern(s, name, t.length), t.pattern) << t.label;
    EXPECT_EQ(CatalogFilter(s, name, t.length), t.filter) << t.label;
  }
}

// A name of 127 underscores escapes to 254 characters, all of them kept.
TEST(CatalogCall, EscapedLongNameMatchesOnlyItself) {
  const std::string underscores(127, '_');
  const std::string escaped = EscapeCatalogPattern(underscores);
  EXPECT_EQ(escaped.size(), 254u);
  EXPECT_EQ(escaped.back(), '_');
  EXPECT_TRUE(MatchesCatalogPattern(underscores, escaped));
  EXPECT_FALSE(MatchesCatalogPattern(std::string(126, '_') + "x", escaped));
  EXPECT_TRUE(MatchesCatalogPattern(std::string(126, '_') + "x", underscores));
}

}  // namespace
