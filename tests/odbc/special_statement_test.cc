// The statements answered before parsing.
#include <gtest/gtest.h>

#include "common/message_ids.h"
#include "handles/connection_record.h"
#include "odbc/special_statement.h"

namespace {

TEST(SpecialStatement, IdentityStatement) {
  ConnectionRecord record;
  record.lastMessageId = kMsgServerError;
  auto* special = new SpecialStatement{kSpecialIdentity, &record};
  std::int32_t rows = 0;
  std::int32_t code = 0;
  EXPECT_EQ(RunSpecialStatement(*special, rows, code), 0);
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(code, 85);
  EXPECT_EQ(record.lastMessageId, kMsgSuccess);
  FreeSpecialStatement(special);
}

}  // namespace
