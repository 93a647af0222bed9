// Storing an application value, read into its neutral form, by the node's
// value type; called by ConvertCValueToNodeValue.
#pragma once

#include "common/application_value.h"
#include "common/message_ids.h"
#include "common/value_cell.h"

// Stores value into target by target.valueType; with append set a character
// or binary value is added to target.bytes instead of replacing it. Ids as
// ConvertCValueToNodeValue describes; target is unchanged on failure.
MessageId StoreApplicationValue(ValueCell& target, const ApplicationValue& value, bool append);
