// The statements answered before parsing: which texts are special, and the
// identity query's record.
#include <gtest/gtest.h>

#include <string>

#include "common/message_ids.h"
#include "handles/connection_record.h"
#include "odbc/special_statement.h"

namespace {

// Each row: a statement text, the filter's answer, and the text to parse.
struct FilterCase {
  std::string text;
  MessageId id;
  std::string rewritten;
};

TEST(SpecialStatement, FilterAnswersOnlyTheExactTexts) {
  const std::string start = "SELECT * FROM \"";
  const FilterCase cases[] = {
      {"SELECT Config, nValue FROM MSysConf", kConfigurationProbeRefused, start},
      {"select config, nvalue from msysconf", kNotSpecialStatement, start},
      {"SELECT Config, nValue FROM MSysConf ", kNotSpecialStatement, start},
      {"select @@identity", kSpecialStatementFound, start + "@@identity"},
      {"SELECT @@Identity", kSpecialStatementFound, start + "@@identity"},
      {" select @@identity", kNotSpecialStatement, start},
      {"select @@identity;", kNotSpecialStatement, start},
      {"select  @@identity", kNotSpecialStatement, start},
      {std::string("select @@identity\0", 18), kNotSpecialStatement, start},
      {"SELECT * FROM \"TARVOX CONNECTION CONFIG\"", kNotSpecialStatement, start},
  };
  for (const FilterCase& c : cases) {
    SCOPED_TRACE(c.text);
    ConnectionRecord record;
    SpecialStatement* slot = nullptr;
    std::string rewritten = start;
    EXPECT_EQ(FilterSpecialStatement(&record, c.text, slot, rewritten), c.id);
    EXPECT_EQ(rewritten, c.rewritten);
    EXPECT_EQ(slot != nullptr, c.id == kSpecialStatementFound);
    if (slot != nullptr) {
      EXPECT_EQ(slot->kind, kSpecialIdentity);
      EXPECT_EQ(slot->connection, &record);
    }
    FreeSpecialStatement(slot);
  }
}

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
