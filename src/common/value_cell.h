// The value part of a parse node: what conversions, evaluation and result
// columns read and write for the current row.
#pragma once

#include <cstdint>
#include <string>

#include <sqltypes.h>

// Value type codes; they coincide with the ODBC C type codes of the same number.
inline constexpr std::int16_t kValueUntyped = 0;
inline constexpr std::int16_t kValueBinary = -2;
inline constexpr std::int16_t kValueCharacter = 1;
inline constexpr std::int16_t kValueNumeric = 2;  // decimal text
inline constexpr std::int16_t kValueInteger = 4;  // held as a double
inline constexpr std::int16_t kValueDouble = 8;
inline constexpr std::int16_t kValueDate = 9;
inline constexpr std::int16_t kValueTime = 10;
inline constexpr std::int16_t kValueTimestamp = 11;

inline constexpr std::uint16_t kNoDigits = 65535;

// The in-place values. Character, numeric and binary values live in
// ValueCell::bytes instead of behind a raw pointer, so copying a node copies
// its value and nothing dangles when the node array moves.
union NodeValue {
  double number;
  SQL_DATE_STRUCT date;
  SQL_TIME_STRUCT time;
  SQL_TIMESTAMP_STRUCT timestamp;
  unsigned char raw[16];
};
static_assert(sizeof(NodeValue) == 16);

struct ValueCell {
  std::int16_t valueType = kValueUntyped;
  std::int16_t sqlType = 0;
  std::int32_t size = 0;
  std::uint16_t digits = kNoDigits;
  std::uint8_t nullFlag = 1;
  std::string text;   // a text carried with the node (names, plan text)
  NodeValue value{};  // double, date, time or timestamp
  std::string bytes;  // character text, decimal text or binary bytes
};

// Makes the cell NULL with its value cleared by type: empty text or bytes,
// 0.0, or an all-zero date, time or timestamp.
inline void SetNullValue(ValueCell& cell) {
  cell.nullFlag = 1;
  cell.bytes.clear();
  cell.value = NodeValue{};
}
