// Results of scalar functions handed to application buffers the way a fetch
// will: NaN and infinity from the elementary functions, and texts at their
// column limits, into buffers of every small size (the sanitizer build
// checks that nothing is written past them).
#include <gtest/gtest.h>

#include <sqlext.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "common/sql_to_c.h"
#include "scalar_call_fixture.h"

namespace {

// Each size gets its own heap block, so a write past it is caught.
void DeliverIntoEverySize(SQLSMALLINT sqlType, const void* source, SQLLEN length, SQLSMALLINT cType) {
  for (SQLLEN size = 0; size <= 40; ++size) {
    std::vector<char> target(static_cast<std::size_t>(size));
    SQLLEN offset = 0;
    SQLLEN outLength = 0;
    const MessageId id = ConvertSqlValueToCType(sqlType, false, source, length, &offset, cType,
                                                size == 0 ? nullptr : target.data(), size, &outLength);
    EXPECT_NE(id, kMsgInternalError) << size;
  }
}

TEST(ScalarResultsDelivery, NaNAndInfinityReachCharacterAndDoubleBuffers) {
  for (const char* call : {"{fn LOG(-1E0)}", "{fn SQRT(-1E0)}", "{fn LOG(0E0)}", "{fn EXP(1000E0)}"}) {
    ScalarCallFixture f;
    const CallOutcome outcome = f.Run(call);
    ASSERT_EQ(outcome.id, kMsgSuccess) << call;
    const double value = outcome.cell.value.number;
    ASSERT_FALSE(std::isfinite(value)) << call;
    DeliverIntoEverySize(outcome.cell.sqlType, &value, sizeof value, SQL_C_CHAR);
    double out = 0;
    SQLLEN offset = 0;
    SQLLEN outLength = 0;
    const MessageId id = ConvertSqlValueToCType(outcome.cell.sqlType, false, &value, sizeof value, &offset,
                                                SQL_C_DOUBLE, &out, sizeof out, &outLength);
    // Delivered unchanged, or refused as out of range (the conversion layer
    // refuses infinity); never anything else.
    if (id == kMsgSuccess) {
      EXPECT_EQ(std::memcmp(&out, &value, sizeof out), 0) << call;
    } else {
      EXPECT_EQ(id, kMsgOutOfRange) << call;
    }
  }
}

TEST(ScalarResultsDelivery, ResultsAtTheirLimitsIntoSmallBuffers) {
  for (const char* call : {"{fn CONVERT(-12345678.90, SQL_CHAR)}", "{fn CONVERT(-12345678.90, SQL_BINARY)}",
                           "{fn REPEAT('ab', 127)}", "{fn SOUNDEX({fn REPEAT('Robert', 42)})}"}) {
    ScalarCallFixture f;
    const CallOutcome outcome = f.Run(call);
    ASSERT_EQ(outcome.id, kMsgSuccess) << call;
    ASSERT_LE(outcome.cell.bytes.size(), static_cast<std::size_t>(outcome.cell.size)) << call;
    const std::string& bytes = outcome.cell.bytes;
    DeliverIntoEverySize(outcome.cell.sqlType, bytes.data(), static_cast<SQLLEN>(bytes.size()), SQL_C_CHAR);
    DeliverIntoEverySize(outcome.cell.sqlType, bytes.data(), static_cast<SQLLEN>(bytes.size()), SQL_C_BINARY);
  }
}

}  // namespace
