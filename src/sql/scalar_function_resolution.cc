// The two halves of a scalar-function call's resolution: keyword arguments
// out before binding, overload and result type after it.
#include "sql/scalar_function_resolution.h"

#include <algorithm>
#include <string_view>

#include <sqlext.h>

#include "connection/type_info.h"
#include "handles/statement_handle.h"
#include "platform/text_fold.h"
#include "sql/scalar_function_result_types.h"
#include "sql/scalar_function_table.h"

namespace {

struct IntervalWord {
  const char* word;
  std::uint16_t code;
};

constexpr IntervalWord kIntervalWords[] = {
    {"SQL_TSI_SECOND", kIntervalSecond}, {"SQL_TSI_MINUTE", kIntervalMinute},
    {"SQL_TSI_HOUR", kIntervalHour},     {"SQL_TSI_DAY", kIntervalDay},
    {"SQL_TSI_WEEK", kIntervalWeek},     {"SQL_TSI_MONTH", kIntervalMonth},
    {"SQL_TSI_QUARTER", kIntervalQuarter}, {"SQL_TSI_YEAR", kIntervalYear},
};
// Timestamps carry milliseconds at most, so fractions of a second are not
// offered as an interval.
constexpr std::string_view kFractionInterval = "SQL_TSI_FRAC_SECOND";

struct ExtractWord {
  const char* word;
  std::uint8_t field;
};

constexpr ExtractWord kExtractWords[] = {
    {"YEAR", kExtractYear}, {"MONTH", kExtractMonth},   {"DAY", kExtractDay},
    {"HOUR", kExtractHour}, {"MINUTE", kExtractMinute}, {"SECOND", kExtractSecond},
};

inline constexpr std::int32_t kMaxConcatSize = 255;

std::string_view FunctionName(const ParseTree& tree, NodeIndex node) {
  return GetValueText(tree, GetParseNode(tree, node).fields.scalarFunction.name);
}

// The detail of 1058 and 1059 names the function as the caller wrote it.
// A refused keyword (an interval in fractions of a second, a long CONVERT
// target) is named in the message, so the user sees which word to change.
MessageId WithFunctionName(StatementHandle& statement, const ParseTree& tree, NodeIndex node, MessageId id) {
  if (id == kMsgScalarFunctionNotFound || id == kMsgInvalidScalarArgument) {
    statement.diagnostic.detailText.assign(FunctionName(tree, node));
  }
  if (id == kMsgNotSupportedDetail) {
    const ScalarFunctionFields& call = GetParseNode(tree, node).fields.scalarFunction;
    if (call.functionRow == kFnConvert && call.convertTypeWord != kNoValue) {
      statement.diagnostic.detailText = GetValueText(tree, call.convertTypeWord);
    } else if (call.functionRow == kFnTimestampAdd || call.functionRow == kFnTimestampDiff) {
      statement.diagnostic.detailText = kFractionInterval;
    }
  }
  return id;
}

// The parser reads a keyword argument as a bare column name; kNoValue when
// the item holds anything else.
ValueIndex BareWordOf(const ParseTree& tree, NodeIndex item) {
  if (item == kNoNode) return kNoValue;
  const NodeIndex value = GetParseNode(tree, item).fields.listItem.value;
  if (value == kNoNode) return kNoValue;
  const ParseNode& word = GetParseNode(tree, value);
  if (word.kind != kNodeColumnReference || word.fields.columnReference.qualifier != kNoValue) return kNoValue;
  return word.fields.columnReference.columnName;
}

MessageId IntervalCodeOf(std::string_view word, std::uint16_t& code) {
  if (EqualFoldedAZ(word, kFractionInterval)) return kMsgNotSupportedDetail;
  for (const IntervalWord& interval : kIntervalWords) {
    if (EqualFoldedAZ(interval.word, word)) {
      code = interval.code;
      return kMsgSuccess;
    }
  }
  return kMsgInvalidScalarArgument;
}

MessageId ExtractFieldOf(std::string_view word, std::uint8_t& field) {
  for (const ExtractWord& extract : kExtractWords) {
    if (EqualFoldedAZ(extract.word, word)) {
      field = extract.field;
      return kMsgSuccess;
    }
  }
  return kMsgInvalidScalarArgument;
}

// Takes the first argument off the list as a keyword.
MessageId TakeLeadingWord(ParseTree& tree, NodeIndex node, ValueIndex& word) {
  ScalarFunctionFields& call = GetParseNode(tree, node).fields.scalarFunction;
  word = BareWordOf(tree, call.firstArgument);
  if (word == kNoValue) return kMsgInvalidScalarArgument;
  call.firstArgument = GetParseNode(tree, call.firstArgument).fields.listItem.next;
  return kMsgSuccess;
}

MessageId TakeIntervalWord(ParseTree& tree, NodeIndex node) {
  ValueIndex word = kNoValue;
  if (MessageId id = TakeLeadingWord(tree, node, word)) return id;
  return IntervalCodeOf(GetValueText(tree, word), GetParseNode(tree, node).fields.scalarFunction.interval);
}

MessageId TakeExtractWord(ParseTree& tree, NodeIndex node) {
  ValueIndex word = kNoValue;
  if (MessageId id = TakeLeadingWord(tree, node, word)) return id;
  return ExtractFieldOf(GetValueText(tree, word), GetParseNode(tree, node).fields.scalarFunction.extractField);
}

// CONVERT(value, type): the list is cut after the value, and the type word
// waits in the node until the value's type is known.
MessageId TakeConvertTypeWord(ParseTree& tree, NodeIndex node) {
  ScalarFunctionFields& call = GetParseNode(tree, node).fields.scalarFunction;
  if (call.firstArgument == kNoNode) return kMsgInvalidScalarArgument;
  ListItemFields& value = GetParseNode(tree, call.firstArgument).fields.listItem;
  if (value.next == kNoNode || GetParseNode(tree, value.next).fields.listItem.next != kNoNode) {
    return kMsgInvalidScalarArgument;
  }
  const ValueIndex word = BareWordOf(tree, value.next);
  if (word == kNoValue) return kMsgInvalidScalarArgument;
  value.next = kNoNode;
  call.convertTypeWord = word;
  return kMsgSuccess;
}

MessageId StartSteps(ParseTree& tree, NodeIndex node) {
  ScalarFunctionFields& call = GetParseNode(tree, node).fields.scalarFunction;
  call.functionRow = 0;
  const std::uint16_t row = FindScalarFunctionRow(GetValueText(tree, call.name));
  if (row == kScalarFunctionRowCount) return kMsgScalarFunctionNotFound;
  call.functionRow = row;
  switch (row) {
    case kFnTimestampAdd:
    case kFnTimestampDiff: return TakeIntervalWord(tree, node);
    case kFnExtract: return TakeExtractWord(tree, node);
    case kFnConvert: return TakeConvertTypeWord(tree, node);
    default: return kMsgSuccess;
  }
}

// The argument value nodes of a call; count includes arguments beyond the
// widest row, which no overload can take.
struct CallArguments {
  NodeIndex values[kMaxScalarArguments];
  std::uint32_t count;
};

CallArguments CollectArguments(const ParseTree& tree, NodeIndex firstItem) {
  CallArguments arguments{};
  for (NodeIndex item = firstItem; item != kNoNode; item = GetParseNode(tree, item).fields.listItem.next) {
    if (arguments.count < kMaxScalarArguments) {
      arguments.values[arguments.count] = GetParseNode(tree, item).fields.listItem.value;
    }
    ++arguments.count;
  }
  return arguments;
}

const ValueCell& ArgumentCell(const ParseTree& tree, const CallArguments& arguments, std::uint32_t index) {
  return GetParseNode(tree, arguments.values[index]).cell;
}

// A marker or NULL has no type to choose an overload by; a long binary
// cannot be held in an argument's value.
MessageId MatchRow(const ParseTree& tree, const ScalarFunctionEntry& row, const CallArguments& arguments,
                   bool& matches) {
  matches = false;
  for (std::uint32_t i = 0; i < row.argumentCount; ++i) {
    if (i >= arguments.count) return kMsgSuccess;
    const ParseNode& argument = GetParseNode(tree, arguments.values[i]);
    if (argument.kind == kNodeParameter) return kMsgParameterTypeUnknown;
    if (argument.kind == kNodeNull || argument.cell.sqlType == SQL_LONGVARBINARY) return kMsgInvalidScalarArgument;
    if (row.argumentTypes[i] != kAnyValue && row.argumentTypes[i] != argument.cell.valueType) return kMsgSuccess;
  }
  matches = arguments.count == row.argumentCount;
  return kMsgSuccess;
}

// Overloads of one name stand next to each other, so the first that fits
// in table order is taken and the search ends where the name changes.
MessageId ChooseOverload(const ParseTree& tree, NodeIndex node, const CallArguments& arguments,
                         std::uint16_t& row) {
  const ScalarFunctionEntry* table = GetScalarFunctionTable();
  const std::string_view name = FunctionName(tree, node);
  for (std::uint16_t candidate = row; candidate < kScalarFunctionRowCount; ++candidate) {
    if (!EqualFoldedAZ(table[candidate].name, name)) break;
    bool matches = false;
    if (MessageId id = MatchRow(tree, table[candidate], arguments, matches)) return id;
    if (matches) {
      row = candidate;
      return kMsgSuccess;
    }
  }
  return kMsgInvalidScalarArgument;
}

void SetRowResultType(const ScalarFunctionEntry& row, const ParseTree& tree, const CallArguments& arguments,
                      ValueCell& result) {
  result.valueType = row.resultValueType;
  result.sqlType = row.resultSqlType;
  result.size = static_cast<std::int32_t>(row.columnSize);
  result.digits = static_cast<std::uint16_t>(row.decimalDigits);
  if (row.resultSqlType == kSqlTypeOfFirstArgument) result.sqlType = ArgumentCell(tree, arguments, 0).sqlType;
  if (row.columnSize == kSizeOfFirstArgument) {
    result.size = ArgumentCell(tree, arguments, 0).size;
    result.digits = ArgumentCell(tree, arguments, 0).digits;
  }
}

// The date-time functions whose rows accept any argument still need a text,
// date or timestamp; a time of day is refused where a day must be known
// (DAYNAME, DAYOFWEEK, DAYOFYEAR, WEEK).
MessageId CheckDateTimeArgument(const ValueCell& argument, bool timeAllowed) {
  switch (argument.valueType) {
    case kValueCharacter:
    case kValueDate:
    case kValueTimestamp: return kMsgSuccess;
    case kValueTime: return timeAllowed ? kMsgSuccess : kMsgInvalidScalarArgument;
    case kValueBinary:
    case kValueNumeric:
    case kValueInteger:
    case kValueDouble: return kMsgInvalidScalarArgument;
    default: return kMsgNotSupportedDetail;
  }
}

MessageId AdjustForRow(std::uint16_t row, const ParseTree& tree, const CallArguments& arguments, ValueCell& result) {
  switch (row) {
    case kFnConcat: {
      const std::int64_t joined =
          std::int64_t{ArgumentCell(tree, arguments, 0).size} + ArgumentCell(tree, arguments, 1).size;
      result.size = static_cast<std::int32_t>(std::min<std::int64_t>(joined, kMaxConcatSize));
      return kMsgSuccess;
    }
    case kFnDayName:
    case kFnDayOfWeek:
    case kFnDayOfYear:
    case kFnWeek: return CheckDateTimeArgument(ArgumentCell(tree, arguments, 0), false);
    case kFnExtract: return CheckDateTimeArgument(ArgumentCell(tree, arguments, 0), true);
    case kFnTimestampAdd: return CheckDateTimeArgument(ArgumentCell(tree, arguments, 1), true);
    case kFnTimestampDiff:
      if (MessageId id = CheckDateTimeArgument(ArgumentCell(tree, arguments, 0), true)) return id;
      return CheckDateTimeArgument(ArgumentCell(tree, arguments, 1), true);
    case kFnIfNull:
      return IfNullResultType(ArgumentCell(tree, arguments, 0), ArgumentCell(tree, arguments, 1), result);
    case kFnRoundNumeric:
    case kFnCeilingNumeric:
    case kFnFloorNumeric:
      // Rounding up may carry into one more whole digit: ROUND(9.5, 0) of a
      // DECIMAL(2,1) is 10.0.
      result.size += 1;
      return kMsgSuccess;
    default: return kMsgSuccess;
  }
}

MessageId FinishSteps(StatementHandle& statement, ParseTree& tree, NodeIndex node) {
  std::uint16_t row = GetParseNode(tree, node).fields.scalarFunction.functionRow;
  if (row >= kScalarFunctionRowCount) return kMsgInternalError;
  const CallArguments arguments = CollectArguments(tree, GetParseNode(tree, node).fields.scalarFunction.firstArgument);
  if (MessageId id = ChooseOverload(tree, node, arguments, row)) return id;
  ParseNode& call = GetParseNode(tree, node);
  call.fields.scalarFunction.functionRow = row;
  if (row == kFnConvert) {
    if (call.fields.scalarFunction.convertTypeWord == kNoValue) return kMsgInternalError;
    const std::string_view word = GetValueText(tree, call.fields.scalarFunction.convertTypeWord);
    if (MessageId id = ConvertResultType(word, ArgumentCell(tree, arguments, 0), call.cell)) return id;
  } else {
    SetRowResultType(GetScalarFunctionTable()[row], tree, arguments, call.cell);
    if (MessageId id = AdjustForRow(row, tree, arguments, call.cell)) return id;
  }
  call.cell.sqlType = MapDateTypeForStatement(statement, call.cell.sqlType);
  return kMsgSuccess;
}

}  // namespace

MessageId StartScalarFunctionResolution(StatementHandle& statement, ParseTree& tree, NodeIndex node) {
  return WithFunctionName(statement, tree, node, StartSteps(tree, node));
}

MessageId FinishScalarFunctionResolution(StatementHandle& statement, ParseTree& tree, NodeIndex node) {
  return WithFunctionName(statement, tree, node, FinishSteps(statement, tree, node));
}
