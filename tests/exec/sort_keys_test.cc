// Sort texts: what the parser accepts and refuses, how each key type
// orders, and that the engine's normalized keys order exactly like
// CompareSortRecords.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "exec/sort_engine.h"
#include "exec/sort_keys.h"
#include "exec/sort_test_records.h"

namespace {

std::string Describe(const SortSpec& order) {
  std::string text = "rec=" + std::to_string(order.record_length);
  if (order.duplicate_length > 0) {
    text += " dupo=" + std::to_string(order.duplicate_position) + "+" + std::to_string(order.duplicate_length);
  }
  for (int i = 0; i < order.uncovered_count; ++i) {
    text += (i ? "," : " free=") + std::to_string(order.uncovered[i].position) + "+" +
            std::to_string(order.uncovered[i].length);
  }
  for (int i = 0; i < order.key_count; ++i) {
    const SortKey& key = order.keys[i];
    text += " " + std::to_string(key.position) + "+" + std::to_string(key.length) + static_cast<char>(key.type) +
            (key.descending ? "D" : "A") + (key.nullable ? "?" : "");
  }
  return text;
}

std::string TwentyKeys(int count) {
  std::string text = "S(";
  for (int i = 0; i < count; ++i) text += (i ? "," : "") + std::to_string(i + 1) + ",1,C,A";
  return text + ")F(FIX," + std::to_string(count) + ")";
}

TEST(ParseSortSpec, ReadsTheWritersTextsInAnyOrder) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"S(1,20,C,D,22,8,E,A)F(FIX,34)W(/tmp/)", "rec=34 0+20CD 21+8EA"},
      {"S(6,20,C,A,27,8,E,A)DUPO(B35,6,30)F(FIX,35)W(/tmp/)", "rec=35 dupo=5+30 free=25+1,34+1 5+20CA 26+8EA"},
      {"F(FIX,9)W(/tmp/)DUPO(B9,6,4)S(6,4,W,A)", "rec=9 dupo=5+4 5+4WA"},
      // DUPO bytes outside the keys: the row number, an upper-case key's
      // marker, the tail; a lower-case key covers its marker.
      {"S(6,3,C,A,10,2,c,A)DUPO(B16,1,16)F(FIX,16)", "rec=16 dupo=0+16 free=0+5,8+1,12+4 5+3CA 9+2CA?"},
      {"S(1,5,N,A)F(FIX,9)W(/tmp/)", "rec=9 0+5NA"},
      {"S(1,3,c,A,5,8,e,D,14,2,n,A)F(FIX,16)", "rec=16 0+3CA? 4+8ED? 13+2NA?"},
      {"S(1,4,X,Z)F(FIX,4)", "rec=4 0+4XD"},
      {"S(1,4,C,A)S(5,4,C,D)F(FIX,8)", "rec=8 0+4CA 4+4CD"},
      {"S(1,4,C,A)F(FIX,65535)", "rec=65535 0+4CA"},
      // Text around and between sections is ignored, a D outside DUPO( too.
      {"Sort: S(1,4,C,A) Dir F(FIX,4) .", "rec=4 0+4CA"},
      // The directory may hold ")" and what looks like sections.
      {"S(1,4,C,A)F(FIX,4)W(/tmp/a)DUPO,7)/)", "rec=4 0+4CA"},
      {"W(/tmp/x)S/)S(1,4,C,A)F(FIX,4)", "rec=4 0+4CA"},
      {"S(1,4,C,A)W(/tmp/(F(FIX,9)/)F(FIX,4)", "rec=4 0+4CA"},
      {"S(1,4,C,A)F(FIX,4)W(", "rec=4 0+4CA"},
      {"S(1,4,C,A)F(FIX,4)W", "rec=4 0+4CA"},
      {"", "rec=0"},
  };
  for (const Case& c : cases) {
    SortSpec order;
    EXPECT_EQ(ParseSortSpec(c.text, order), kMsgSuccess) << c.text;
    EXPECT_EQ(Describe(order), c.expected) << c.text;
  }
  SortSpec order;
  ASSERT_EQ(ParseSortSpec(TwentyKeys(20), order), kMsgSuccess);
  EXPECT_EQ(order.key_count, 20);
}

TEST(ParseSortSpec, RefusesWhatCannotBeSorted) {
  const std::string cases[] = {
      TwentyKeys(21),
      "S(0,4,C,A)F(FIX,4)",           // positions are 1-based
      "S(1,4,C,A)F(FIX,65536)",       // would wrap to 0
      "S(1,4,C,A)F(FIX,65540)",       // would wrap to 4 and sort
      "S(65537,4,C,A)F(FIX,8)",       // would wrap to position 1
      "S(1,4,C,A)F(FIX,123456789)",
      "S(1,,C,A)F(FIX,4)",
      "S(1,4,C)F(FIX,4)",
      "S(1,4,CC,A)F(FIX,4)",
      "S(1,4,1,A)F(FIX,4)",
      "S(1,4,C,A;5,4,C,A)F(FIX,8)",
      "S(1,4,C,A",
      "S(1,4,C,A)F(FIX,3)",           // key past the record
      "S(1,4,c,A)F(FIX,4)",           // its NULL marker past the record
      "S(1,4,E,A)F(FIX,8)",
      "S(1,8,W,A)F(FIX,8)",
      "S(1,4,C,A)",                   // no record length to hold the key
      "S(1,4,C,A)DUPO(B4,3,4)F(FIX,4)",
      "S(1,4,C,A)DUPO(B4,0,4)F(FIX,4)",
      "S(1,4,C,A)DUPO(B9,1,-2)F(FIX,4)",
      "S(1,4,C,A)DUPO(B4)F(FIX,4)",
      "S(1,4,C,A)F(34)",
      "S(1,4,C,A)F(FIX,)",
  };
  for (const std::string& text : cases) {
    SortSpec order;
    EXPECT_EQ(ParseSortSpec(text, order), kMsgUnableToOrderBy) << text;
    EXPECT_EQ(order.key_count, 0) << text;
  }
}

int Sign(int value) { return (value > 0) - (value < 0); }

// Minus, equal or plus as memcmp says, for two records' normalized keys,
// compared whole as the group pass does; the packed form, compared over the
// shorter, must say the same and be equal only when both are the same bytes.
int NormalizedOrder(const SortSpec& order, const std::string& a, const std::string& b) {
  std::size_t length = NormalizedKeyLength(order);
  std::vector<unsigned char> x(length + 1), y(length + 1);
  NormalizeSortKeys(order, reinterpret_cast<const unsigned char*>(a.data()), x.data());
  NormalizeSortKeys(order, reinterpret_cast<const unsigned char*>(b.data()), y.data());
  const int whole = Sign(std::memcmp(x.data(), y.data(), length));
  const auto* record_a = reinterpret_cast<const unsigned char*>(a.data());
  const std::size_t x_length = PackSortKeys(order, record_a, nullptr, x.data());
  const std::size_t y_length = PackSortKeys(order, reinterpret_cast<const unsigned char*>(b.data()), nullptr, y.data());
  // The record's runs only spare reading padding; the bytes are the same.
  std::vector<ByteRun> runs;
  FindRecordRuns(record_a, a.size(), runs);
  std::vector<unsigned char> hinted(length + 1);
  EXPECT_EQ(PackSortKeys(order, record_a, &runs, hinted.data()), x_length);
  EXPECT_TRUE(std::equal(x.begin(), x.begin() + x_length, hinted.begin()));
  const int packed = Sign(std::memcmp(x.data(), y.data(), std::min(x_length, y_length)));
  EXPECT_EQ(packed, whole);
  if (packed == 0) {
    EXPECT_EQ(x_length, y_length);
  }
  return whole;
}

std::string Wide(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

int CompareOrder(const SortSpec& order, const std::string& a, const std::string& b) {
  bool a_not_before_b = CompareSortRecords(order, a.data(), b.data());
  bool b_not_before_a = CompareSortRecords(order, b.data(), a.data());
  EXPECT_TRUE(a_not_before_b || b_not_before_a);
  return a_not_before_b && b_not_before_a ? 0 : (a_not_before_b ? 1 : -1);
}

TEST(SortCompareRecords, OrdersEachKeyType) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::string k32 = "0123456789abcdef0123456789ABCDEF";
  struct Case {
    const char* order;
    std::string a;
    std::string b;
    int expected;  // a's order against b
  };
  const Case cases[] = {
      {"S(1,3,C,A)F(FIX,3)", "abc", "ABD", -1},
      {"S(1,3,C,A)F(FIX,3)", "ABD", "abe", -1},
      {"S(1,3,C,A)F(FIX,3)", "abc", "ABC", 0},
      {"S(1,3,C,A)F(FIX,3)", "_bc", "Abc", -1},  // folding to lower puts '_' first
      {"S(1,3,C,A)F(FIX,3)", "a\xE9z", "aza", 1},  // bytes above 127 compare unsigned
      {"S(1,4,C,A)F(FIX,4)", std::string("ab\0x", 4), std::string("ab\0y", 4), 0},
      {"S(1,4,C,A)F(FIX,4)", std::string("ab\0x", 4), "ab  ", -1},
      {"S(1,3,C,D)F(FIX,3)", "abc", "abd", 1},
      {"S(1,6,N,A)F(FIX,6)", "10    ", "9     ", 1},
      {"S(1,6,N,A)F(FIX,6)", "-10   ", "-9    ", -1},
      {"S(1,6,N,A)F(FIX,6)", "9     ", "9.5   ", -1},
      {"S(1,6,N,A)F(FIX,6)", "-9.5  ", "-9    ", -1},
      {"S(1,6,N,A)F(FIX,6)", "-9    ", "9     ", -1},
      {"S(1,6,N,A)F(FIX,6)", "0.5   ", "1     ", -1},
      {"S(1,6,N,A)F(FIX,6)", "12.5  ", "12.5  ", 0},
      {"S(1,6,N,D)F(FIX,6)", "10    ", "9.5   ", -1},
      {"S(1,8,E,A)F(FIX,8)", DoubleBytes(1.5), DoubleBytes(2), -1},
      {"S(1,8,E,D)F(FIX,8)", DoubleBytes(1.5), DoubleBytes(2), 1},
      {"S(1,8,E,A)F(FIX,8)", DoubleBytes(-3), DoubleBytes(-2.5), -1},
      {"S(1,8,E,A)F(FIX,8)", DoubleBytes(-0.0), DoubleBytes(0.0), 0},
      {"S(1,8,E,A)F(FIX,8)", DoubleBytes(nan), DoubleBytes(-inf), -1},
      {"S(1,8,E,A)F(FIX,8)", DoubleBytes(nan), DoubleBytes(-nan), 0},
      {"S(1,8,E,A)F(FIX,8)", DoubleBytes(inf), DoubleBytes(1e308), 1},
      // Binary keys compare every byte unsigned, NULs and case included.
      {"S(1,4,B,A)F(FIX,4)", std::string("ab\0x", 4), std::string("ab\0y", 4), -1},
      {"S(1,3,B,A)F(FIX,3)", "abc", "ABC", 1},
      {"S(1,2,B,A)F(FIX,2)", "\x01\xFF", "\x02\x00", -1},
      {"S(1,2,b,A)F(FIX,3)", std::string("\0\0N", 3), std::string("\0\0 ", 3), -1},
      {"S(1,4,W,A)F(FIX,4)", RecordIdBytes(256), RecordIdBytes(1), 1},
      {"S(1,4,W,A)F(FIX,4)", RecordIdBytes(0x80000000u), RecordIdBytes(1), 1},
      {"S(1,4,W,A)F(FIX,4)", RecordIdBytes(0xFFFFFFFFu), RecordIdBytes(0xF0000000u), 1},
      {"S(1,4,W,D)F(FIX,4)", RecordIdBytes(7), RecordIdBytes(7), 0},
      // NULL below every value and apart from '' and 0; NULLs are equal
      // whatever their value bytes hold.
      {"S(1,3,c,A)F(FIX,4)", "   N", "    ", -1},
      {"S(1,3,c,D)F(FIX,4)", "   N", "    ", 1},
      {"S(1,3,c,A)F(FIX,4)", "abcN", "   N", 0},
      {"S(1,3,c,A)F(FIX,4)", "abc ", "ABC ", 0},
      {"S(1,8,e,A)F(FIX,9)", DoubleBytes(0) + "N", DoubleBytes(0) + " ", -1},
      {"S(1,8,e,A)F(FIX,9)", DoubleBytes(0) + "N", DoubleBytes(-inf) + " ", -1},
      {"S(1,8,e,D)F(FIX,9)", DoubleBytes(0) + "N", DoubleBytes(-inf) + " ", 1},
      {"S(1,3,n,A)F(FIX,4)", "   N", "-5  ", -1},
      // Upper-case letters leave the marker alone, unless a DUPO range
      // holds it: then it is compared after the keys.
      {"S(1,3,C,A)F(FIX,4)", "   N", "    ", 0},
      {"S(1,3,C,A)DUPO(B4,1,4)F(FIX,4)", "   N", "    ", 1},
      {"S(1,3,C,A)DUPO(B4,1,4)F(FIX,4)", "abcN", "ABCN", 0},
      {"S(1,4,Q,A)F(FIX,4)", "abcd", "wxyz", 0},
      // Wide text keys: where one text ends, the other's next byte meets
      // the padding blank; a NUL ends a text below it; texts that end on
      // and just past 32 and 64 bytes.
      {"S(1,40,C,A)F(FIX,40)", Wide("abc", 40), Wide("abc\t", 40), 1},
      {"S(1,40,C,A)F(FIX,40)", Wide("abc", 40), Wide("ABC", 40), 0},
      {"S(1,40,C,A)F(FIX,40)", Wide("abc", 40), Wide(std::string("abc\0xyz", 7), 40), 1},
      {"S(1,40,C,A)F(FIX,40)", Wide(std::string("ab\0x", 4), 40), Wide(std::string("ab\0y", 4), 40), 0},
      {"S(1,80,C,A)F(FIX,80)", Wide(k32, 80), Wide(k32 + "\x01", 80), 1},
      {"S(1,80,C,A)F(FIX,80)", Wide(k32, 80), Wide(k32 + std::string(40, ' ') + "!", 80), -1},
      {"S(1,80,C,A)F(FIX,80)", Wide(k32 + k32, 80), Wide(k32 + k32.substr(0, 31), 80), 1},
      {"S(1,40,C,A)F(FIX,40)", Wide("a", 40), Wide("a" + std::string(30, ' ') + "\x01", 40), 1},
      {"S(1,40,C,A)F(FIX,40)", std::string(40, 'x'), std::string(39, 'x') + " ", 1},
      {"S(1,40,C,D)F(FIX,40)", Wide("abc", 40), Wide("abcd", 40), 1},
      {"S(1,40,c,A)F(FIX,41)", Wide("", 40) + "N", Wide("", 40) + " ", -1},
      {"S(1,40,c,D)F(FIX,41)", Wide("abc", 40) + "N", Wide("", 40) + " ", 1},
      {"S(1,40,c,A,42,1,C,A)F(FIX,42)", Wide("abc", 40) + "Nb", Wide("", 40) + "Na", 1},
      {"S(1,1,C,A,2,1,C,D)F(FIX,2)", "aa", "ab", 1},
      {"", "a", "b", 0},
  };
  for (const Case& c : cases) {
    SortSpec order;
    ASSERT_EQ(ParseSortSpec(c.order, order), kMsgSuccess) << c.order;
    EXPECT_EQ(CompareOrder(order, c.a, c.b), c.expected) << c.order << " " << c.a << " / " << c.b;
    EXPECT_EQ(NormalizedOrder(order, c.a, c.b), c.expected) << c.order << " " << c.a << " / " << c.b;
  }
}

TEST(SortKeyNormalization, AgreesWithCompareSortRecordsOnRandomPairs) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 300; ++round) {
    std::string text = RandomSortText(random, 0, false);
    SortSpec order;
    ASSERT_EQ(ParseSortSpec(text, order), kMsgSuccess) << text;
    for (int pair = 0; pair < 200; ++pair) {
      std::string a, b;
      for (int k = 0; k < order.key_count; ++k) {
        a += RandomKeyBytes(order.keys[k], random);
        b += random() % 2 ? a.substr(b.size()) : RandomKeyBytes(order.keys[k], random);
      }
      ASSERT_EQ(NormalizedOrder(order, a, b), CompareOrder(order, a, b)) << text;
    }
  }
}

}  // namespace
