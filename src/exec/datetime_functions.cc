// The date and time scalar functions, rows CURRENT_DATE to YEAR of the
// scalar-function table.
#include "exec/datetime_functions.h"

#include "common/datetime_text.h"
#include "exec/calendar_record.h"
#include "exec/current_datetime.h"
#include "exec/scalar_call.h"
#include "exec/timestamp_arithmetic.h"
#include "platform/message_resources.h"

namespace {

// The date or time fields a field function reads: character arguments are
// parsed as a date (DAYOFMONTH, MONTH, YEAR and their kin) or as a time
// (HOUR, MINUTE, SECOND).
MessageId ReadDateFields(const ValueCell& value, SQL_DATE_STRUCT& out) {
  switch (value.valueType) {
    case kValueCharacter: return ParseDateLiteral(value.bytes.data(), static_cast<SQLLEN>(value.bytes.size()), out);
    case kValueDate: out = value.value.date; return kMsgSuccess;
    case kValueTimestamp:
      out = SQL_DATE_STRUCT{value.value.timestamp.year, value.value.timestamp.month, value.value.timestamp.day};
      return kMsgSuccess;
    default: return kMsgInternalError;
  }
}

MessageId ReadTimeFields(const ValueCell& value, SQL_TIME_STRUCT& out) {
  switch (value.valueType) {
    case kValueCharacter: return ParseTimeLiteral(value.bytes.data(), static_cast<SQLLEN>(value.bytes.size()), out);
    case kValueTime: out = value.value.time; return kMsgSuccess;
    case kValueTimestamp:
      out = SQL_TIME_STRUCT{value.value.timestamp.hour, value.value.timestamp.minute, value.value.timestamp.second};
      return kMsgSuccess;
    default: return kMsgInternalError;
  }
}

void SetResourceText(ScalarCall& call, std::uint32_t resource) {
  const char* text = LoadMessageResource(resource);
  SetTextResult(call, text != nullptr ? text : "");
}

MessageId CurrentValue(ScalarCall& call) {
  SQL_TIMESTAMP_STRUCT now{};
  if (MessageId id = CurrentLocalTimestamp(call.statement, now)) return id;
  switch (call.row) {
    case kFnCurrentDate:
    case kFnCurDate: call.result.value.date = SQL_DATE_STRUCT{now.year, now.month, now.day}; break;
    case kFnCurrentTime:
    case kFnCurrentTimePrecision:
    case kFnCurTime: call.result.value.time = SQL_TIME_STRUCT{now.hour, now.minute, now.second}; break;
    default: call.result.value.timestamp = now; break;
  }
  return kMsgSuccess;
}

MessageId DateField(ScalarCall& call) {
  SQL_DATE_STRUCT date{};
  if (MessageId id = ReadDateFields(ArgumentCell(call, 0), date)) return id;
  switch (call.row) {
    case kFnDayOfMonthChar:
    case kFnDayOfMonthDate:
    case kFnDayOfMonthTimestamp: SetNumberResult(call, date.day); break;
    case kFnMonthChar:
    case kFnMonthDate:
    case kFnMonthTimestamp: SetNumberResult(call, date.month); break;
    case kFnQuarterChar:
    case kFnQuarterDate:
    case kFnQuarterTimestamp: SetNumberResult(call, date.month == 0 ? 0 : (date.month - 1) / 3 + 1); break;
    case kFnYearChar:
    case kFnYearDate:
    case kFnYearTimestamp: SetNumberResult(call, date.year); break;
    default:
      // MONTHNAME: a month that names none (the all-zero date) reads as ''.
      if (date.month >= 1 && date.month <= 12) {
        SetResourceText(call, kFirstMonthNameResource + date.month - 1);
      } else {
        SetTextResult(call, std::string());
      }
      break;
  }
  return kMsgSuccess;
}

MessageId TimeField(ScalarCall& call) {
  SQL_TIME_STRUCT time{};
  if (MessageId id = ReadTimeFields(ArgumentCell(call, 0), time)) return id;
  switch (call.row) {
    case kFnHourChar:
    case kFnHourTime:
    case kFnHourTimestamp: SetNumberResult(call, time.hour); break;
    case kFnMinuteChar:
    case kFnMinuteTime:
    case kFnMinuteTimestamp: SetNumberResult(call, time.minute); break;
    default: SetNumberResult(call, time.second); break;
  }
  return kMsgSuccess;
}

MessageId DayFunction(ScalarCall& call) {
  CalendarRecord day;
  if (MessageId id = ValueToCalendarDate(ArgumentCell(call, 0), day)) return id;
  switch (call.row) {
    case kFnDayName: SetResourceText(call, kFirstDayNameResource + day.dayOfWeek); break;
    case kFnDayOfWeek: SetNumberResult(call, day.dayOfWeek + 1); break;
    case kFnDayOfYear: SetNumberResult(call, day.dayOfYear + 1); break;
    default: SetNumberResult(call, WeekOfYear(day)); break;
  }
  return kMsgSuccess;
}

MessageId Extract(ScalarCall& call) {
  CalendarRecord t;
  std::int64_t seconds = 0;
  if (MessageId id = ValueToCalendarTimestamp(call.statement, ArgumentCell(call, 0), t, seconds)) return id;
  switch (call.extractField) {
    case kExtractYear: SetNumberResult(call, t.year); break;
    case kExtractMonth: SetNumberResult(call, t.month); break;
    case kExtractDay: SetNumberResult(call, t.day); break;
    case kExtractHour: SetNumberResult(call, t.hour); break;
    case kExtractMinute: SetNumberResult(call, t.minute); break;
    case kExtractSecond: SetNumberResult(call, t.second); break;
    default: return kMsgInternalError;
  }
  return kMsgSuccess;
}

MessageId TimestampAdd(ScalarCall& call) {
  CalendarRecord start;
  std::int64_t seconds = 0;
  if (MessageId id = ValueToCalendarTimestamp(call.statement, ArgumentCell(call, 1), start, seconds)) return id;
  const std::int32_t count = SaturatedWholeNumber(ArgumentNumber(call, 0));
  return AddIntervals(call.interval, count, start, seconds, call.result.value.timestamp);
}

MessageId TimestampDiff(ScalarCall& call) {
  CalendarRecord first;
  CalendarRecord second;
  std::int64_t firstSeconds = 0;
  std::int64_t secondSeconds = 0;
  if (MessageId id = ValueToCalendarTimestamp(call.statement, ArgumentCell(call, 0), first, firstSeconds)) return id;
  if (MessageId id = ValueToCalendarTimestamp(call.statement, ArgumentCell(call, 1), second, secondSeconds)) return id;
  return CountIntervals(call.interval, first, firstSeconds, second, secondSeconds, call.result.value.number);
}

}  // namespace

MessageId EvaluateDateTimeFunction(ScalarCall& call) {
  switch (call.row) {
    case kFnCurrentDate:
    case kFnCurrentTime:
    case kFnCurrentTimePrecision:
    case kFnCurrentTimestamp:
    case kFnCurrentTimestampPrecision:
    case kFnCurDate:
    case kFnCurTime:
    case kFnNow: return CurrentValue(call);
    case kFnDayName:
    case kFnDayOfWeek:
    case kFnDayOfYear:
    case kFnWeek: return DayFunction(call);
    case kFnExtract: return Extract(call);
    case kFnHourChar:
    case kFnHourTime:
    case kFnHourTimestamp:
    case kFnMinuteChar:
    case kFnMinuteTime:
    case kFnMinuteTimestamp:
    case kFnSecondChar:
    case kFnSecondTime:
    case kFnSecondTimestamp: return TimeField(call);
    case kFnTimestampAdd: return TimestampAdd(call);
    case kFnTimestampDiff: return TimestampDiff(call);
    default: return DateField(call);
  }
}
