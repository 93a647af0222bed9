// Connection strings: what applications pass in, and the completed string
// handed back, which must parse to the same settings.
#include <gtest/gtest.h>

#include "connection/connection_string.h"

namespace {

TEST(ConnectionString, ParsesKeysAndValues) {
  struct {
    const char* text;
    SettingsMap expected;
  } cases[] = {
      {"DSN=demo;UID=alice;PWD=pw", {{"DSN", "demo"}, {"UID", "alice"}, {"PWD", "pw"}}},
      {" dsn = demo ; Uid= alice;", {{"DSN", "demo"}, {"UID", "alice"}}},
      {"DRIVER={Tarvox ODBC};PWD={a;b=c}", {{"DRIVER", "Tarvox ODBC"}, {"PWD", "a;b=c"}}},
      {"PWD={x}}y};UID=u", {{"PWD", "x}y"}, {"UID", "u"}}},
      {"UID=first;UID=second", {{"UID", "first"}}},
      {"PWD= {  spaced } ;X=1", {{"PWD", "  spaced "}, {"X", "1"}}},
      {"APPTOKEN=;UID=u", {{"APPTOKEN", ""}, {"UID", "u"}}},
      {"UID=Ren\xC3\xA9" "e;", {{"UID", "Ren\xC3\xA9" "e"}}},
      {"", {}},
      {"novalue;UID=u", {{"UID", "u"}}},
  };
  for (const auto& c : cases) {
    SettingsMap settings;
    EXPECT_TRUE(ParseConnectionString(c.text, settings)) << c.text;
    EXPECT_EQ(settings, c.expected) << c.text;
  }
}

TEST(ConnectionString, UnclosedBraceFails) {
  SettingsMap settings;
  EXPECT_FALSE(ParseConnectionString("UID=u;PWD={abc;DSN=x", settings));
  EXPECT_EQ(settings.count("DSN"), 0u);
}

TEST(ConnectionString, OutStringRoundTrips) {
  const SettingsMap maps[] = {
      {{"DSN", "demo"}, {"UID", "alice"}, {"PWD", "p;w}d"}, {"QUICKBASESERVER", "http://127.0.0.1:9"}},
      {{"DRIVER", "Tarvox ODBC"}, {"UID", " lead"}, {"PWD", "a=b{c"}},
  };
  for (const SettingsMap& map : maps) {
    SettingsMap back;
    std::string out = BuildOutConnectionString(map, map);
    ASSERT_TRUE(ParseConnectionString(out, back)) << out;
    EXPECT_EQ(back, map) << out;
  }
}

TEST(ConnectionString, OutStringLeadsWithDataSourceAndSkipsEmptyValues) {
  SettingsMap settings{{"DSN", "demo"}, {"DRIVER", "x"}, {"UID", "u"}, {"APPTOKEN", ""}};
  EXPECT_EQ(BuildOutConnectionString(settings, settings), "DSN=demo;UID=u;");
  settings.erase("DSN");
  EXPECT_EQ(BuildOutConnectionString(settings, settings), "DRIVER={x};UID=u;");
}

}  // namespace
