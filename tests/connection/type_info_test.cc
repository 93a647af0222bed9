// The type table and the connection services built on it.
#include <gtest/gtest.h>

#include "common/message_ids.h"
#include "connection/handle_lifecycle.h"
#include "connection/type_info.h"
#include "handles/connection_record.h"

namespace {

TEST(TypeInfo, DateTypeCodesFollowVersion) {
  struct {
    std::int16_t code;
    std::int16_t odbc2;
    std::int16_t odbc3;
  } cases[] = {{9, 9, 91}, {10, 10, 92}, {11, 11, 93}, {91, 9, 91}, {93, 11, 93}, {12, 12, 12}, {-4, -4, -4}};
  for (const auto& c : cases) {
    for (int version : {2, 3}) {
      EnvironmentHandle environment;
      environment.odbcVersion = version;
      ConnectionHandle connection;
      connection.environment = &environment;
      EXPECT_EQ(MapDateTypeForConnection(connection, c.code), version == 2 ? c.odbc2 : c.odbc3) << c.code;
    }
  }
}

TEST(TypeInfo, TableAndLookups) {
  EXPECT_EQ(GetTypeInfoRowCount(), 19);
  int listed = 0;
  for (int i = 0; i < GetTypeInfoRowCount(); ++i) listed += GetTypeInfoTable()[i].listed;
  EXPECT_EQ(listed, 10);
  ASSERT_NE(FindTypeInfoRow(12), nullptr);
  EXPECT_STREQ(FindTypeInfoRow(12)->typeName, "VARCHAR");
  EXPECT_EQ(FindTypeInfoRow(11)->minimumScale, 3);
  EXPECT_EQ(FindTypeInfoRow(93), nullptr);
}

TEST(TypeInfo, ConnectionQueries) {
  ConnectionRecord record;
  EXPECT_EQ(GetMaxColumnNameLength(record), 127);
  record.hostIsAccessOrQuery = 1;
  EXPECT_EQ(GetMaxColumnNameLength(record), 63);
  EXPECT_EQ(GetDriverFileName(record), "libhelvane.so");
  EXPECT_EQ(TestIsolationMask(record, 2), 0);
  EXPECT_EQ(TestIsolationMask(record, 8), kMsgNotSupported);
  EXPECT_EQ(record.lastMessageId, kMsgNotSupported);
}

}  // namespace
