// Column names from field labels under both naming rules and their limits.
#include "common/column_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NameCase {
  std::string label;
  bool hostFlag;
  bool hyphenFlag;
  std::string name;
};

std::string Repeat(const std::string& piece, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

const std::string kE = "\xC3\xA9";  // é

TEST(SanitizeColumnNameTest, Cases) {
  const NameCase cases[] = {
      {"Price (USD)", false, false, "Price _USD_"},
      {"Price (USD)", true, false, "Price (USD)"},
      {"a.b!c[d]e`f", true, false, "a_b_c_d_e_f"},
      {"a.b!c[d]e`f", false, false, "a_b_c_d_e_f"},
      {"a#b$c/d", true, false, "a#b$c/d"},
      {"a#b$c/d", false, false, "a_b_c_d"},
      {"a-b", true, false, "a-b"},
      {"a-b", false, false, "a_b"},
      {"a-b", false, true, "a-b"},
      {"Time: Start 2", false, false, "Time: Start 2"},
      {"snake_case", false, false, "snake_case"},
      {"   lead", false, false, "lead"},
      {"   lead", true, false, "lead"},
      {"   ", false, false, ""},
      {"", true, false, ""},
      {"Gr" + kE + "sse", false, false, "Gr" + kE + "sse"},
      // Limits keep the end of the label, counted in characters.
      {std::string(100, 'a') + std::string(100, 'b'), false, false,
       std::string(27, 'a') + std::string(100, 'b')},
      {std::string(100, 'a') + std::string(100, 'b'), true, false, std::string(63, 'b')},
      {std::string(127, 'x'), false, false, std::string(127, 'x')},
      {std::string(64, 'x'), true, false, std::string(63, 'x')},
      {Repeat(kE, 200), false, false, Repeat(kE, 127)},
      {Repeat(kE, 200), true, false, Repeat(kE, 63)},
      {"x" + Repeat(kE, 126), false, false, "x" + Repeat(kE, 126)},
      // A cut that starts on blanks still gives no leading blank.
      {"x" + std::string(10, ' ') + std::string(120, 'y'), false, false, std::string(120, 'y')},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(SanitizeColumnName(c.label, c.hostFlag, c.hyphenFlag), c.name)
        << c.label << " host " << c.hostFlag << " hyphen " << c.hyphenFlag;
  }
}

}  // namespace
