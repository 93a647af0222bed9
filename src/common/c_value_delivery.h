// Delivering a SQL value, read into its neutral form, into an application
// buffer by C type; the second half of ConvertSqlValueToCType.
#pragma once

#include <cstdint>
#include <string_view>

#include <sqltypes.h>

#include "common/application_value.h"
#include "common/message_ids.h"

// A value read from a SQL source, as a view of the caller's buffer: text and
// bytes are not copied, and the exact form of a binary number is made only
// for the targets that need it, since most values go to character buffers.
// For kNumber read from decimal text, bytes holds that text, which character
// targets receive as it is; for fixed-size sources bytes holds the source's
// own bytes, which binary targets receive.
struct SqlSourceView {
  ApplicationValueKind kind = ApplicationValueKind::kText;
  std::string_view bytes;
  // kNumber from a binary integer: its value, signed unless integerUnsigned.
  bool fromInteger = false;
  bool integerUnsigned = false;
  std::uint64_t integer = 0;
  // The exact form when the source had one (decimal text); otherwise it is
  // made from integer or real when a target asks for it.
  const ExactNumber* number = nullptr;
  double real = 0;
  SQL_DATE_STRUCT date{};
  SQL_TIME_STRUCT time{};
  SQL_TIMESTAMP_STRUCT timestamp{};
};

// cType is resolved (no SQL_C_DEFAULT, no signless integer type). Ids and
// piece rules as ConvertSqlValueToCType describes.
MessageId DeliverSqlSource(const SqlSourceView& value, bool variableLength, SQLLEN* pieceOffset, SQLSMALLINT cType,
                           void* target, SQLLEN targetLength, SQLLEN* outLength);

// SQL_C_NUMERIC at the given precision and scale (ExactToNumericStructAt);
// target receives the struct unless the value can't be held. 0, 1098 for
// fraction digits cut, 1009 for a value that is no number, 1011, 1012.
MessageId DeliverNumericAt(const SqlSourceView& value, std::int32_t precision, std::int32_t scale, void* target);
