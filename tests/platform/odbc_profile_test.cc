// Data-source keys are read from the odbc.ini that unixODBC's installer
// library finds through ODBCINI and ODBCSYSINI.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include <sys/stat.h>

#include "platform/odbc_profile.h"

TEST(OdbcProfile, ReadsKeysOfTheNamedDataSourceOnly) {
  const std::string dir = "/tmp/helvane-profile-test";
  mkdir(dir.c_str(), 0700);
  {
    std::ofstream ini(dir + "/odbc.ini");
    ini << "[Sales]\nDriver = Tarvox ODBC for QuickBase\nQUICKBASESERVER = http://127.0.0.1:8080\n"
        << "UID = \xC3\xA5sa@example.com\n\n[Other]\nUID = someone.else\n";
  }
  std::ofstream(dir + "/odbcinst.ini") << "";
  setenv("ODBCINI", (dir + "/odbc.ini").c_str(), 1);
  setenv("ODBCSYSINI", dir.c_str(), 1);

  EXPECT_EQ(ReadDataSourceKey("Sales", "QUICKBASESERVER"), "http://127.0.0.1:8080");
  EXPECT_EQ(ReadDataSourceKey("Sales", "UID"), "\xC3\xA5sa@example.com");
  EXPECT_EQ(ReadDataSourceKey("Other", "UID"), "someone.else");
  EXPECT_EQ(ReadDataSourceKey("Sales", "APPTOKEN"), "");
  EXPECT_EQ(ReadDataSourceKey("Missing", "UID"), "");
  EXPECT_EQ(ReadDataSourceKey("", "UID"), "");
}
