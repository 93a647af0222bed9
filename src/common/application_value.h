// One application (C type) value read out of its buffer into a neutral form;
// the first half of ConvertCValueToNodeValue, which then stores the form by
// the node's value type.
#pragma once

#include <cstdint>
#include <string>

#include <sqltypes.h>

#include "common/exact_number.h"
#include "common/message_ids.h"

enum class ApplicationValueKind { kText, kBytes, kNumber, kReal, kDate, kTime, kTimestamp };

struct ApplicationValue {
  ApplicationValueKind kind = ApplicationValueKind::kText;
  std::string bytes;       // kText (UTF-8) and kBytes; for fixed-size C types the raw buffer
  ExactNumber number;      // kNumber, and kReal as its shortest exact text
  double real = 0;         // kReal
  SQL_DATE_STRUCT date{};  // kDate
  SQL_TIME_STRUCT time{};  // kTime
  SQL_TIMESTAMP_STRUCT timestamp{};  // kTimestamp
};

// Reads the value of C type cType (already resolved: no SQL_C_DEFAULT) at
// data. length is the byte count of character, wide and binary data, or
// SQL_NTS (the terminator looked for within bufferLength when that is
// positive); fixed-size types ignore it. 0; 1009 for another negative length
// or wide text that is not UTF-16 (odd byte count, unpaired surrogate); 1011
// for an infinite or NaN number or a NUMERIC scale beyond 38; 1003 for a C
// type without a conversion.
MessageId ReadApplicationValue(SQLSMALLINT cType, const void* data, SQLLEN length, SQLLEN bufferLength,
                               ApplicationValue& value);
