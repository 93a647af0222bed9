// How settings keys shape the session: server URL, timeouts, proxy and trust.
#include <gtest/gtest.h>

#include "connection/session_settings.h"

namespace {

TEST(SessionSettings, ServerUrl) {
  struct {
    const char* server;
    const char* url;
  } cases[] = {
      {"", "https://www.quickbase.com"},
      {"  ", "https://www.quickbase.com"},
      {"acme.quickbase.com", "https://acme.quickbase.com"},
      {"http://127.0.0.1:8080/", "http://127.0.0.1:8080"},
      {" https://h:443 ", "https://h:443"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveServerUrl(c.server), c.url) << c.server;
}

TEST(SessionSettings, TimeoutList) {
  struct {
    const char* text;
    long expected[4];
  } cases[] = {
      {"", {60000, 60000, 60000, 60000}},
      {"1,2,3,4", {1, 2, 3, 4}},
      {" 100 , 200", {100, 200, 60000, 60000}},
      {"x,500,,-1", {60000, 500, 60000, 60000}},
      {"0,0,0,0", {0, 0, 0, 0}},
      {"5,6,7,8,9", {5, 6, 7, 8}},
      {"12ms,3", {60000, 3, 60000, 60000}},
  };
  for (const auto& c : cases) {
    TransportSettings settings;
    ParseTimeoutList(c.text, settings);
    long got[4] = {settings.resolveTimeoutMs, settings.connectTimeoutMs, settings.sendTimeoutMs,
                   settings.receiveTimeoutMs};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(got[i], c.expected[i]) << c.text << " slot " << i;
  }
}

TEST(SessionSettings, FlagSpellings) {
  for (const char* on : {"1", "y", "Yes", "ON", "true"}) EXPECT_TRUE(IsSettingOn(on)) << on;
  for (const char* off : {"", "0", "no", "off", "2", "yess"}) EXPECT_FALSE(IsSettingOn(off)) << off;
}

TEST(SessionSettings, AppliedToSession) {
  SettingsMap settings{{"UID", "alice"},         {"PWD", "pw"},
                       {"APPTOKEN", "tok"},      {"QUICKBASESERVER", "https://127.0.0.1:9443"},
                       {"DETECTPROXY", "1"},     {"WINHTTPPROXYNAME", "http://proxy:3128"},
                       {"CAFILE", "/tmp/ca.pem"}, {"WINHTTPTIMEOUTS", "1,2,3,4"}};
  ApiSession session;
  ApplySessionSettings(settings, "agent", session);
  EXPECT_EQ(session.userName, "alice");
  EXPECT_EQ(session.password, "pw");
  EXPECT_EQ(session.appToken, "tok");
  const TransportSettings& transport = session.transport.settings;
  EXPECT_EQ(transport.baseUrl, "https://127.0.0.1:9443");
  EXPECT_TRUE(transport.useEnvironmentProxy);
  EXPECT_EQ(transport.proxyName, "http://proxy:3128");
  EXPECT_EQ(transport.caFile, "/tmp/ca.pem");
  EXPECT_EQ(transport.receiveTimeoutMs, 4);
  EXPECT_EQ(transport.userAgent, "agent");
}

}  // namespace
