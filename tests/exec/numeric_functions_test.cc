// The numeric scalar functions on literals: the three overloads, exact
// decimal rounding with its carry, the edge cases of MOD and COT, and RAND's
// sequences against the generator computed here.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "exec/random_numbers.h"
#include "scalar_call_fixture.h"

namespace {

struct Case {
  std::string call;
  std::string expected;  // ShowValue of the result, or "error <id>"
};

TEST(NumericFunctions, Results) {
  const Case cases[] = {
      {"{fn ABS(-2.5E0)}", "2.5"},
      {"{fn ABS(-12.50)}", "'12.50'"},
      {"{fn ABS(-7)}", "7"},
      {"{fn ACOS(1E0)}", "0"},
      {"{fn ASIN(0E0)}", "0"},
      {"{fn ATAN(0E0)}", "0"},
      {"{fn ATAN2(1E0, 1E0)}", "0.785398163397448"},
      {"{fn CEILING(1.5E0)}", "2"},
      {"{fn CEILING(12.50)}", "'13.00'"},
      {"{fn CEILING(-12.50)}", "'-12.00'"},
      {"{fn CEILING(-0.5)}", "'.0'"},
      {"{fn CEILING(9.5)}", "'10.0'"},
      {"{fn CEILING(3)}", "3"},
      {"{fn COS(0E0)}", "1"},
      {"{fn COT(0E0)}", "error 1053"},
      {"{fn DEGREES(1)}", "57.2957795130823"},
      {"{fn DEGREES(0.5)}", "28.6478897565412"},
      {"{fn EXP(0E0)}", "1"},
      {"{fn FLOOR(-12.50)}", "'-13.00'"},
      {"{fn FLOOR(12.00)}", "'12.00'"},
      {"{fn FLOOR(-9.5)}", "'-10.0'"},
      {"{fn FLOOR(-1.5E0)}", "-2"},
      {"{fn LOG(1E0)}", "0"},
      {"{fn LOG10(100E0)}", "2"},
      {"{fn MOD(7, -3)}", "1"},
      {"{fn MOD(-7, 3)}", "-1"},
      {"{fn MOD(7, 0)}", "error 1053"},
      {"{fn PI()}", "3.14159265358979"},
      {"{fn POWER(2E0, 10)}", "1024"},
      {"{fn POWER(1.5, 2)}", "2.25"},
      {"{fn POWER(2, -1)}", "0.5"},
      {"{fn RADIANS(180)}", "3.14159265358979"},
      {"{fn ROUND(2.5E0, 0)}", "3"},
      {"{fn ROUND(-2.5E0, 0)}", "-2"},
      {"{fn ROUND(1234.5678E0, -2)}", "1200"},
      {"{fn ROUND(15, -1)}", "20"},
      {"{fn ROUND(2.5, 0)}", "'3.0'"},
      {"{fn ROUND(-2.5, 0)}", "'-2.0'"},
      {"{fn ROUND(9.5, 0)}", "'10.0'"},
      {"{fn ROUND(1.005, 2)}", "'1.010'"},
      {"{fn ROUND(1234.5678, -2)}", "'1200.0000'"},
      {"{fn ROUND(9.95, 999999999)}", "'9.95'"},
      {"{fn ROUND(9.95, -999999999)}", "'.00'"},
      {"{fn ROUND(1.5E0, 400)}", "1.5"},
      {"{fn ROUND(1.5E0, -400)}", "0"},
      {"{fn SIGN(-2E0)}", "-1"},
      {"{fn SIGN(0)}", "0"},
      {"{fn SIGN(-.5)}", "-1"},
      {"{fn SIGN(.000)}", "0"},
      {"{fn SIGN({fn CEILING(-0.5)})}", "0"},
      {"{fn SIN(0E0)}", "0"},
      {"{fn SQRT(16E0)}", "4"},
      {"{fn TAN(0E0)}", "0"},
      {"{fn TRUNCATE(-1.25E0, 1)}", "-1.2"},
      {"{fn TRUNCATE(-1.2E0, 1)}", "-1.2"},
      {"{fn TRUNCATE(1.99E0, 0)}", "1"},
      {"{fn TRUNCATE(0.5E0, 0)}", "0"},
      {"{fn TRUNCATE(-1.25, 1)}", "'-1.20'"},
      {"{fn TRUNCATE(1.99, 0)}", "'1.00'"},
      {"{fn TRUNCATE(-1299, -2)}", "-1200"},
      {"{fn TRUNCATE(-1299.5, -2)}", "'-1200.0'"},
  };
  for (const Case& c : cases) {
    ScalarCallFixture f;
    EXPECT_EQ(f.Run(c.call).Text(), c.expected) << c.call;
  }
}

// ROUND, CEILING and FLOOR of a decimal may carry into one more whole digit.
TEST(NumericFunctions, DecimalCarryWidensTheColumn) {
  ScalarCallFixture f;
  const CallOutcome round = f.Run("{fn ROUND(9.5, 0)}");
  EXPECT_EQ(round.cell.size, 3);
  EXPECT_EQ(round.cell.digits, 1);
  EXPECT_EQ(f.Run("{fn TRUNCATE(9.5, 0)}").cell.size, 2);
}

// Domain errors give the library's NaN or infinity, unreported.
TEST(NumericFunctions, DomainErrorsGiveTheLibrarysValue) {
  ScalarCallFixture f;
  EXPECT_TRUE(std::isnan(f.Run("{fn LOG(-1E0)}").cell.value.number));
  EXPECT_TRUE(std::isnan(f.Run("{fn SQRT(-1E0)}").cell.value.number));
  EXPECT_TRUE(std::isinf(f.Run("{fn LOG(0E0)}").cell.value.number));
}

// The whole-number arguments MOD and RAND's seed take must be 32-bit
// integers; anything beyond is out of range rather than undefined.
TEST(NumericFunctions, IntegerArgumentsOutsideThirtyTwoBits) {
  ScalarCallFixture f;
  f.identity.nullFlag = 0;
  f.identity.value.number = 4294967296.0;
  EXPECT_EQ(f.Run("{fn MOD(IDENTITY, 3)}").id, kMsgOutOfRange);
  EXPECT_EQ(f.Run("{fn MOD(3, IDENTITY)}").id, kMsgOutOfRange);
  EXPECT_EQ(f.Run("{fn RAND(IDENTITY)}").id, kMsgOutOfRange);
  EXPECT_EQ(f.Run("{fn RAND(1E10)}").id, kMsgOutOfRange);
  f.identity.value.number = std::nan("");
  EXPECT_EQ(f.Run("{fn MOD(IDENTITY, 3)}").id, kMsgOutOfRange);
  f.identity.value.number = -2147483648.0;
  EXPECT_EQ(f.Run("{fn MOD(IDENTITY, -1)}").Text(), "0");
  EXPECT_EQ(f.Run("{fn MOD(IDENTITY, 7)}").Text(), "-2");
}

// The generator as described for users: three multiplicative generators
// started from the stored seed, the combined seed stored for the next call;
// a combined seed equal to the last one is replaced by the next value of the
// fallback generator, whose state starts at 1.
struct ReferenceRandom {
  std::int64_t stored = 1;
  std::int64_t previous = 1;
  std::uint32_t fallback = 1;
  double Next(std::int64_t seed) {
    if (seed != 0) stored = seed;
    const std::int64_t x1 = std::llabs(stored + 4) % 30000 + 1;
    const std::int64_t x2 = std::llabs(stored + 10014) % 30000 + 1;
    const std::int64_t x3 = std::llabs(stored + 3017) % 30000 + 1;
    const std::int64_t s1 = (171 * x1) % 30269;
    const std::int64_t s2 = (172 * x2) % 30307;
    const std::int64_t s3 = (170 * x3) % 30323;
    const double r = s1 / 30269.0 + s2 / 30307.0 + s3 / 30323.0;
    std::int64_t next = s1 + s2 + s3;
    if (next == previous) {
      fallback = fallback * 214013u + 2531011u;
      next = (fallback >> 16) & 0x7FFF;
    }
    stored = previous = next;
    return r - std::floor(r);
  }
};

TEST(NumericFunctions, RandFollowsItsGenerator) {
  ScalarCallFixture f;
  ReferenceRandom reference;
  EXPECT_EQ(f.Run("{fn RAND(5)}").cell.value.number, reference.Next(5));
  for (int i = 0; i < 20; ++i) EXPECT_EQ(f.Run("{fn RAND()}").cell.value.number, reference.Next(0)) << i;
  EXPECT_EQ(f.Run("{fn RAND(0)}").cell.value.number, reference.Next(0));
  EXPECT_EQ(f.Run("{fn RAND(-7.9E0)}").cell.value.number, reference.Next(-7));
  EXPECT_EQ(f.Run("{fn RAND(12.5)}").cell.value.number, reference.Next(12));
  // The same seed twice gives the same value, and the same combined seed,
  // so the sequence goes on from the fallback generator.
  const double first = f.Run("{fn RAND(5)}").cell.value.number;
  EXPECT_EQ(first, reference.Next(5));
  EXPECT_EQ(f.Run("{fn RAND(5)}").cell.value.number, first);
  EXPECT_EQ(reference.Next(5), first);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(f.Run("{fn RAND()}").cell.value.number, reference.Next(0)) << i;
}

// A combined seed equal to the previous one would repeat one value forever;
// the fallback generator keeps the sequence moving.
TEST(NumericFunctions, RandSequenceKeepsMoving) {
  double last = NextRandomNumber(3);
  for (int i = 0; i < 1000; ++i) {
    const double next = NextRandomNumber(0);
    ASSERT_GE(next, 0.0);
    ASSERT_LT(next, 1.0);
    ASSERT_NE(next, last) << i;
    last = next;
  }
}

// Statements on many threads share the state: values stay in [0, 1) and the
// sanitizer build sees no race.
TEST(NumericFunctions, RandIsSharedAcrossThreads) {
  std::vector<std::thread> threads;
  std::vector<int> bad(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([t, &bad] {
      for (int i = 0; i < 2000; ++i) {
        const double value = NextRandomNumber(i % 7 == 0 ? t + 1 : 0);
        if (!(value >= 0.0 && value < 1.0)) ++bad[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 8; ++t) EXPECT_EQ(bad[t], 0);
}

}  // namespace
