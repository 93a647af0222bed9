// What the comparison and arithmetic rules share: the value-type classes and
// the exact crossings between integer, NUMERIC and double operands.
#pragma once

#include <cstdint>

#include "common/message_ids.h"
#include "common/value_cell.h"

inline bool IsNumberValue(std::int16_t valueType) {
  return valueType == kValueNumeric || valueType == kValueInteger || valueType == kValueDouble;
}

inline bool IsKnownValueType(std::int16_t valueType) {
  switch (valueType) {
    case kValueBinary:
    case kValueCharacter:
    case kValueNumeric:
    case kValueInteger:
    case kValueDouble:
    case kValueDate:
    case kValueTime:
    case kValueTimestamp: return true;
    default: return false;
  }
}

// An integer value (held as a double) as a NUMERIC cell of its exact digits
// in normal form, so it meets decimal text without passing through 32 bits.
// 1011 for a value that is not finite.
MessageId IntegerAsNumeric(const ValueCell& integer, ValueCell& numeric);

// A NUMERIC text as a double within +-1.7E308: 0, 1011 beyond, 1012 for a
// text that is not a number.
MessageId NumericAsDouble(const ValueCell& numeric, double& out);
