// Connection strings: what applications pass in, and the completed string
// handed back, which must parse to the same settings.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

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
      {";;;=;UID=u", {{"UID", "u"}}},
      {"PWD={a}junk;UID=u", {{"PWD", "a"}, {"UID", "u"}}},
      {"UID", {}},
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

// Shapes that made an earlier parser scan the rest of the string once per
// piece: a megabyte of them must still parse at once.
TEST(ConnectionString, LongStringsParseInOnePass) {
  const std::size_t kLength = 1 << 20;
  struct {
    const char* label;
    std::string text;
    std::size_t keys;
  } cases[] = {
      {"separators, then a key", std::string(kLength, ';') + "UID=u", 1},
      {"pieces without '=', then a key", [] {
         std::string text;
         while (text.size() < kLength) text += "ab;";
         return text + "UID=u";
       }(), 1},
      {"empty keys", [] {
         std::string text;
         while (text.size() < kLength) text += "=;";
         return text;
       }(), 0},
      {"one long braced value", "PWD={" + std::string(kLength, 'x') + "}", 1},
  };
  for (const auto& c : cases) {
    SettingsMap settings;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(ParseConnectionString(c.text, settings)) << c.label;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(settings.size(), c.keys) << c.label;
    // A hang check only; a linear parse takes milliseconds.
    EXPECT_LT(seconds, 5.0) << c.label;
    std::printf("%s (%zu bytes): %.1f ms\n", c.label, c.text.size(), seconds * 1000);
  }
}

// Secrets come back only when the application gave them, and last; a
// server or proxy URL of the data source's that holds a user name and
// password stays out whole.
TEST(ConnectionString, OutStringRepeatsOnlyTheApplicationsSecrets) {
  const SettingsMap merged{{"DSN", "demo"},        {"UID", "u"},
                           {"PWD", "stored"},      {"APPTOKEN", "t0k"},
                           {"CAFILE", "/a"},       {"QUICKBASESERVER", "http://bob:s3@cr3t@127.0.0.1:9"},
                           {"WINHTTPPROXYNAME", "bob:s3/cr3t@proxy:3128"}};
  struct {
    const char* label;
    SettingsMap applicationKeys;
    const char* out;
  } cases[] = {
      {"DSN alone", {{"DSN", "demo"}}, "DSN=demo;CAFILE=/a;UID=u;"},
      {"password given", {{"DSN", "demo"}, {"PWD", "given"}}, "DSN=demo;CAFILE=/a;UID=u;PWD=given;"},
      {"both given", {{"DSN", "demo"}, {"APPTOKEN", "t;k"}, {"PWD", "p"}},
       "DSN=demo;CAFILE=/a;UID=u;PWD=p;APPTOKEN={t;k};"},
      {"server given", {{"DSN", "demo"}, {"QUICKBASESERVER", "http://bob:s3@cr3t@127.0.0.1:9"}},
       "DSN=demo;CAFILE=/a;QUICKBASESERVER=http://bob:s3@cr3t@127.0.0.1:9;UID=u;"},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildOutConnectionString(merged, c.applicationKeys), c.out) << c.label;
}

TEST(ConnectionString, SettingsMustBeText) {
  struct {
    SettingsMap settings;
    const char* problem;
  } cases[] = {
      {{{"UID", "Ren\xC3\xA9" "e"}, {"PWD", "p"}}, ""},
      {{{"UID", "u"}, {"PWD", std::string("p\0w", 3)}}, "the value of PWD holds a NUL byte"},
      {{{"APPTOKEN", "\xFF\xFE"}}, "the value of APPTOKEN is not UTF-8 text"},
      {{{"UID", "cut \xC3"}}, "the value of UID is not UTF-8 text"},
      {{{"UID", "\xED\xA0\x80"}}, "the value of UID is not UTF-8 text"},  // a surrogate
      {{{std::string("K\0Y", 3), "v"}}, "a key of the connection string holds a NUL byte"},
      {{{"K\x80", "v"}}, "a key of the connection string is not UTF-8 text"},
  };
  for (const auto& c : cases) EXPECT_EQ(FindUnusableSetting(c.settings), c.problem) << c.problem;
}

TEST(ConnectionString, OutStringLeadsWithDataSourceAndSkipsEmptyValues) {
  SettingsMap settings{{"DSN", "demo"}, {"DRIVER", "x"}, {"UID", "u"}, {"APPTOKEN", ""}};
  EXPECT_EQ(BuildOutConnectionString(settings, settings), "DSN=demo;UID=u;");
  settings.erase("DSN");
  EXPECT_EQ(BuildOutConnectionString(settings, settings), "DRIVER={x};UID=u;");
}

}  // namespace
