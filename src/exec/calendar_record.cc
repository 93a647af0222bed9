// Date-time values into calendar records, on days-from-civil over years 1 to
// 9999 (never the C library's calendar, whose range and zone rules differ).
#include "exec/calendar_record.h"

#include "common/datetime_text.h"
#include "common/epoch_time.h"
#include "exec/current_datetime.h"

namespace {

inline constexpr std::int64_t kSecondsPerDay = 86400;

MessageId CheckedDate(int year, unsigned month, unsigned day) {
  if (year < 1 || year > 9999) return kMsgOutOfRange;
  return IsValidDate(year, month, day, false) ? kMsgSuccess : kMsgConversionError;
}

MessageId FillDay(int year, unsigned month, unsigned day, CalendarRecord& out) {
  if (MessageId id = CheckedDate(year, month, day)) return id;
  out = CalendarRecord{};
  out.year = year;
  out.month = month;
  out.day = day;
  out.days = DaysFromCivil(year, month, day);
  out.dayOfWeek = DayOfWeekFromDays(out.days);
  out.dayOfYear = static_cast<unsigned>(out.days - DaysFromCivil(year, 1, 1));
  return kMsgSuccess;
}

MessageId FillTimeOfDay(unsigned hour, unsigned minute, unsigned second, CalendarRecord& out) {
  if (!IsValidTimeOfDay(hour, minute, second)) return kMsgConversionError;
  out.hour = hour;
  out.minute = minute;
  out.second = second;
  return kMsgSuccess;
}

MessageId WrongValueType(std::int16_t valueType) {
  switch (valueType) {
    case kValueBinary:
    case kValueNumeric:
    case kValueInteger:
    case kValueDouble:
    case kValueTime: return kMsgInternalError;
    default: return kMsgNotSupportedDetail;
  }
}

MessageId TimestampFields(const StatementHandle& statement, const ValueCell& value, SQL_TIMESTAMP_STRUCT& out) {
  switch (value.valueType) {
    case kValueCharacter:
      return ParseTimestampLiteral(value.bytes.data(), static_cast<SQLLEN>(value.bytes.size()), out);
    case kValueDate: {
      const SQL_DATE_STRUCT& date = value.value.date;
      out = SQL_TIMESTAMP_STRUCT{date.year, date.month, date.day, 0, 0, 0, 0};
      return kMsgSuccess;
    }
    case kValueTime: {
      if (MessageId id = CurrentLocalTimestamp(statement, out)) return id;
      out.hour = value.value.time.hour;
      out.minute = value.value.time.minute;
      out.second = value.value.time.second;
      return kMsgSuccess;
    }
    case kValueTimestamp: out = value.value.timestamp; return kMsgSuccess;
    default: return WrongValueType(value.valueType);
  }
}

}  // namespace

MessageId ValueToCalendarDate(const ValueCell& value, CalendarRecord& out) {
  SQL_DATE_STRUCT date{};
  switch (value.valueType) {
    case kValueCharacter:
      if (MessageId id = ParseDateLiteral(value.bytes.data(), static_cast<SQLLEN>(value.bytes.size()), date)) return id;
      break;
    case kValueDate: date = value.value.date; break;
    case kValueTimestamp:
      date = SQL_DATE_STRUCT{value.value.timestamp.year, value.value.timestamp.month, value.value.timestamp.day};
      break;
    default: return WrongValueType(value.valueType);
  }
  return FillDay(date.year, date.month, date.day, out);
}

MessageId ValueToCalendarTimestamp(const StatementHandle& statement, const ValueCell& value, CalendarRecord& out,
                                   std::int64_t& seconds) {
  SQL_TIMESTAMP_STRUCT t{};
  if (MessageId id = TimestampFields(statement, value, t)) return id;
  if (MessageId id = FillDay(t.year, t.month, t.day, out)) return id;
  if (MessageId id = FillTimeOfDay(t.hour, t.minute, t.second, out)) return id;
  seconds = out.days * kSecondsPerDay + out.hour * 3600 + out.minute * 60 + out.second;
  return kMsgSuccess;
}

MessageId CalendarFromDaysAndSeconds(std::int64_t days, std::int64_t secondOfDay, CalendarRecord& out) {
  if (!IsCalendarDay(days)) return kMsgOutOfRange;
  int year = 0;
  unsigned month = 0;
  unsigned day = 0;
  CivilFromDays(static_cast<std::int32_t>(days), year, month, day);
  if (MessageId id = FillDay(year, month, day, out)) return id;
  return FillTimeOfDay(static_cast<unsigned>(secondOfDay / 3600), static_cast<unsigned>(secondOfDay / 60 % 60),
                       static_cast<unsigned>(secondOfDay % 60), out);
}

SQL_TIMESTAMP_STRUCT CalendarToTimestamp(const CalendarRecord& record) {
  return SQL_TIMESTAMP_STRUCT{static_cast<SQLSMALLINT>(record.year),
                              static_cast<SQLUSMALLINT>(record.month),
                              static_cast<SQLUSMALLINT>(record.day),
                              static_cast<SQLUSMALLINT>(record.hour),
                              static_cast<SQLUSMALLINT>(record.minute),
                              static_cast<SQLUSMALLINT>(record.second),
                              0};
}
