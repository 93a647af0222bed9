// Every message of the compiled-in table must be shaped so the diagnostic
// renderer can split it: two SQLSTATEs, then the prefixed text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/message_resources.h"

TEST(MessageResources, EveryMessageHasTwoStatesAndThePrefix) {
  int found = 0;
  for (std::uint32_t id = 1; id <= 1091; ++id) {
    const char* text = LoadMessageResource(id);
    if (text == nullptr) continue;
    ++found;
    std::string message(text);
    ASSERT_GT(message.size(), 12u) << id;
    EXPECT_EQ(message[5], ' ') << id;
    EXPECT_EQ(message[11], ' ') << id;
    EXPECT_EQ(message.compare(12, 13, "[Tarvox ODBC]"), 0) << id << ": " << message;
    // At most one slot for the detail text, and nothing else printf would read.
    std::size_t slot = message.find('%');
    if (slot != std::string::npos) {
      EXPECT_EQ(message.compare(slot, 2, "%s"), 0) << id;
      EXPECT_EQ(message.find('%', slot + 1), std::string::npos) << id;
    }
  }
  EXPECT_GT(found, 90);
}

TEST(MessageResources, NamesAndAbsentIds) {
  EXPECT_STREQ(LoadMessageResource(0), "00000 00000 ");
  EXPECT_STREQ(LoadMessageResource(kFirstDayNameResource), "Sunday");
  EXPECT_STREQ(LoadMessageResource(kFirstMonthNameResource + 11), "December");
  EXPECT_EQ(LoadMessageResource(999), nullptr);
  EXPECT_EQ(LoadMessageResource(4242), nullptr);
}
