// A descriptor field's value and how it reaches the application's buffer:
// each field at the width ODBC gives it, texts cut to the buffer.
#pragma once

#include <sql.h>

#include <cstdint>
#include <string>

#include "common/message_ids.h"

enum class FieldWidth {
  kSmall,    // SQLSMALLINT
  kInteger,  // SQLINTEGER
  kLength,   // SQLLEN or SQLULEN
  kPointer,
  kText,
  kUnknown,  // no field ODBC defines, or one the driver does not keep
};

// The width ODBC gives a descriptor field identifier.
FieldWidth DescriptorFieldWidth(SQLSMALLINT field);

struct DescriptorValue {
  std::int64_t number = 0;
  SQLPOINTER pointer = nullptr;
  std::string text;
};

inline DescriptorValue NumberValue(std::int64_t number) { return {number, nullptr, {}}; }
inline DescriptorValue PointerValue(const void* pointer) { return {0, const_cast<void*>(pointer), {}}; }
inline DescriptorValue TextValue(std::string text) { return {0, nullptr, std::move(text)}; }

// Writes the value of field through value (when given) and its length
// through stringLength: the number's width, SQL_IS_POINTER, or the text's
// full length. A text is cut to bufferLength with 1002; a negative
// bufferLength with a text field is 1092.
MessageId WriteDescriptorValue(SQLSMALLINT field, const DescriptorValue& answer, SQLPOINTER value,
                               SQLINTEGER bufferLength, SQLINTEGER* stringLength);
