// Query strings for the service: every value quoted, every criterion sent
// only when the service can't drop a row that the SQL condition keeps.
#include "tables/query_criteria.h"

#include <charconv>
#include <cstring>
#include <string_view>
#include <vector>

#include "handles/connection_record.h"
#include "tables/cursor_pending_writes.h"
#include "tables/row_values.h"
#include "tables/write_values.h"

namespace {

const char* const kOperatorNames[] = {"", "EX", "XEX", "LTE", "LT", "GTE", "GT", "CT", "XCT", "SW", "XSW"};

bool IsNumberText(const std::string& text) {
  double value = 0;
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  auto parsed = std::from_chars(begin, end, value);
  return !text.empty() && parsed.ec == std::errc() && parsed.ptr == end;
}

bool IsIntegerText(const std::string& text) {
  std::int64_t value = 0;
  auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && parsed.ec == std::errc() && parsed.ptr == text.data() + text.size();
}

bool IsIsoDateText(const std::string& text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (i != 4 && i != 7 && (text[i] < '0' || text[i] > '9')) return false;
  return true;
}

// LIKE patterns arrive with their backslash escapes; the service reads a
// value literally.
bool UnescapeLikeValue(std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\') {
      if (++i == text.size()) return false;
    }
    out += text[i];
  }
  text = std::move(out);
  return true;
}

struct Entry {
  const ColumnDescriptor* column = nullptr;
  std::uint16_t op = 0;
  std::int16_t valueType = 0;
  const void* value = nullptr;
  SQLLEN length = 0;
};

bool RenderEntryValue(const TableCursor& cursor, const Entry& entry, std::string& text) {
  if (entry.length == -1 || entry.value == nullptr) {
    text.clear();
    return true;
  }
  if (entry.valueType == kValueBinary) return false;
  return FormatServiceText(cursor, entry.valueType, entry.value, entry.length, text) == kMsgSuccess;
}

bool IsComparison(std::uint16_t op) { return op >= kCriterionEx && op <= kCriterionGt; }

// Whether a piece of text may stand as the value of a criterion on a field
// of this kind: the service must read it as the SQL side does.
bool TextFitsKind(FieldKind kind, const std::string& piece) {
  switch (kind) {
    case FieldKind::kNumeric:
    case FieldKind::kCheckbox:
    case FieldKind::kRecordId:
      return IsNumberText(piece);
    case FieldKind::kDate:
      return IsIntegerText(piece) || IsIsoDateText(piece);
    case FieldKind::kTimeOfDay:
      return IsIntegerText(piece);
    default:
      return false;
  }
}

bool ValueTypeFitsKind(FieldKind kind, std::int16_t valueType) {
  switch (kind) {
    case FieldKind::kNumeric:
    case FieldKind::kCheckbox:
    case FieldKind::kRecordId:
      return valueType == kValueDouble;
    case FieldKind::kDate:
      return valueType == kValueDate;
    case FieldKind::kTimeOfDay:
      return valueType == kValueTime;
    case FieldKind::kTimestamp:
      return valueType == kValueTimestamp;
    default:
      return false;
  }
}

bool QuoteValue(const std::string& value, std::string& quoted) {
  char quote = '\'';
  if (value.find('\'') != std::string::npos) {
    if (value.find('"') != std::string::npos) return false;
    quote = '"';
  }
  quoted = quote + value + quote;
  return true;
}

bool AppendCriterion(std::string& out, const ColumnDescriptor& column, std::uint16_t op, const std::string& value) {
  std::string quoted;
  if (!QuoteValue(value, quoted)) return false;
  out += '{';
  out += column.fieldIdText;
  out += '.';
  out += kOperatorNames[op];
  out += '.';
  out += quoted;
  out += '}';
  return true;
}

// A text-field criterion: character values only; pattern operators need a
// non-empty literal value.
bool PrepareTextValue(const Entry& entry, std::string& value) {
  if (entry.valueType != kValueCharacter && entry.length != -1) return false;
  if (entry.op >= kCriterionCt) return entry.length != -1 && UnescapeLikeValue(value) && !value.empty();
  return true;
}

// Renders one entry as one criterion.
bool RenderEntry(const TableCursor& cursor, const Entry& entry, std::string& out) {
  const ColumnDescriptor& column = *entry.column;
  if (column.pushDownRank == 0 || entry.op > kCriterionXsw) return false;
  std::string value;
  if (!RenderEntryValue(cursor, entry, value)) return false;
  if (column.pushDownRank == 1) return PrepareTextValue(entry, value) && AppendCriterion(out, column, entry.op, value);
  if (!IsComparison(entry.op)) return false;
  if (entry.length == -1)
    return (entry.op == kCriterionEx || entry.op == kCriterionXex) && AppendCriterion(out, column, entry.op, value);
  if (entry.valueType != kValueCharacter)
    return ValueTypeFitsKind(column.fieldKind, entry.valueType) && AppendCriterion(out, column, entry.op, value);
  return TextFitsKind(column.fieldKind, value) && AppendCriterion(out, column, entry.op, value);
}

bool HasByteAbove127(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) > 127) return true;
  return false;
}

// Whether the service's filter keeps every row the SQL condition keeps. A
// field that a pending edit of the connection sets has values there that
// are not the connection's own. On non-text fields its rules agree with the
// driver's: an empty value reads
// as NULL here and matches only EX '' and the negative operators there, so
// at worst more rows come back. Text differs: an empty text is '' to the
// service and reads as '' here unless TEXTNULL is on, a text of blanks never
// reads as NULL, trailing blanks of stored and criterion values don't count
// there, and letters above 127 may fold there as they don't here. A positive
// criterion still keeps every row SQL keeps; a negative one may drop rows
// that only look like its value to the service, a NULL test rows whose
// emptiness the two read apart, and an ordering of texts splits a common
// start its own way (a tab sorts before the blank here, after the end there).
bool EntryOnlyNarrows(const TableCursor& cursor, const Entry& entry) {
  if (PendingEditChangesField(cursor, *entry.column)) return false;
  // A time of day reads here without its milliseconds, which the service
  // keeps: 12:00:00.500 equals 12:00:00 here but not there.
  if (entry.column->fieldKind == FieldKind::kTimeOfDay && entry.length != -1 && entry.value != nullptr)
    return entry.op != kCriterionEx && entry.op != kCriterionLte;
  // Wall-clock timestamps compare here, UTC instants there: where the zone's
  // clocks go back, 01:30 in the hour that comes twice is earlier than 01:45
  // here whichever instant it is, but not there.
  if (entry.column->fieldKind == FieldKind::kTimestamp && entry.valueType == kValueTimestamp &&
      entry.length != -1 && entry.value != nullptr) {
    SQL_TIMESTAMP_STRUCT timestamp{};
    std::memcpy(&timestamp, entry.value, sizeof timestamp);
    return OffsetSteadyAround(timestamp, CursorTimeZoneRule(cursor));
  }
  if (entry.column->fieldKind != FieldKind::kText && entry.column->fieldKind != FieldKind::kUser) return true;
  if (entry.length == -1 || entry.value == nullptr)
    return entry.op == kCriterionEx && cursor.connection != nullptr && cursor.connection->emptyTextIsNull != 0;
  if (entry.valueType != kValueCharacter) return true;  // never rendered for text
  const std::string_view text(static_cast<const char*>(entry.value), static_cast<std::size_t>(entry.length));
  switch (entry.op) {
    case kCriterionEx:
    case kCriterionCt:
    case kCriterionSw: return true;
    case kCriterionXex: return !HasByteAbove127(text);
    case kCriterionXct:
    case kCriterionXsw: return !HasByteAbove127(text) && (text.empty() || text.back() != ' ');
    default: return false;
  }
}

// The entries of one IN or NOT IN list, each a criterion of its own: joined
// with OR for IN and with AND for NOT IN, in parentheses.
bool RenderList(const TableCursor& cursor, const std::vector<Entry>& list, std::string& out) {
  if (list.size() > 1) out += '(';
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i > 0) out += list[i].op == kCriterionEx ? "OR" : "AND";
    if (!RenderEntry(cursor, list[i], out)) return false;
  }
  if (list.size() > 1) out += ')';
  return true;
}

// A text the service's XML can't carry would make it refuse the whole
// request as unparsable; it is refused here as a written value would be,
// whether or not its criterion could be sent.
MessageId CheckCriteriaTexts(const TableCursor& cursor, std::int32_t count, const std::uint16_t* columns,
                             const std::int16_t* valueTypes, const void* const* values, const SQLLEN* lengths) {
  for (std::int32_t i = 0; i < count; ++i) {
    if (valueTypes[i] != kValueCharacter || values[i] == nullptr || lengths[i] < 0) continue;
    const std::string_view text(static_cast<const char*>(values[i]), static_cast<std::size_t>(lengths[i]));
    if (MessageId id = CheckStorableText(cursor, cursor.columns[columns[i]], text)) return id;
  }
  return kMsgSuccess;
}

MessageId RefuseCriteria(TableCursor& cursor) {
  cursor.queryText.clear();
  cursor.criteriaCount = kMaxQueryCriteria + 1;
  return kMsgNotSupported;
}

}  // namespace

bool CriterionOnlyNarrows(const TableCursor& cursor, std::uint16_t column, std::uint16_t op, std::int16_t valueType,
                          const void* value, SQLLEN length) {
  return column < cursor.columns.size() &&
         EntryOnlyNarrows(cursor, Entry{&cursor.columns[column], op, valueType, value, length});
}

MessageId BuildQueryCriteria(TableCursor& cursor, std::int32_t count, const std::uint16_t* columns,
                             const std::uint16_t* operators, const std::int16_t* valueTypes,
                             const void* const* values, const SQLLEN* lengths, const std::uint16_t* listGroups) {
  cursor.queryText.clear();
  cursor.criteriaCount = 0;
  if (count <= 0) return kMsgSuccess;
  if (cursor.pseudoTable != PseudoTable::kNone) return RefuseCriteria(cursor);
  for (std::int32_t i = 0; i < count; ++i)
    if (columns[i] >= cursor.columns.size()) return kMsgInvalidColumnId;
  if (MessageId id = CheckCriteriaTexts(cursor, count, columns, valueTypes, values, lengths)) return id;
  bool orJoin = cursor.joinOperator == kCriteriaJoinOr;
  // Refused sets: a row the SQL condition keeps must never be filtered out.
  if (count > kMaxQueryCriteria || cursor.pushDown == 0 || (orJoin && cursor.orJoin == 0))
    return RefuseCriteria(cursor);
  std::string query;
  std::int32_t sent = 0;
  for (std::int32_t i = 0; i < count;) {
    // Entries of one list stand next to each other under one group number.
    const std::uint16_t group = listGroups != nullptr ? listGroups[i] : 0;
    std::vector<Entry> list;
    bool local = false;
    do {
      const Entry entry{&cursor.columns[columns[i]], operators[i], valueTypes[i], values[i], lengths[i]};
      local = local || entry.op == kCriterionLocal || !EntryOnlyNarrows(cursor, entry);
      list.push_back(entry);
      ++i;
    } while (group != 0 && i < count && listGroups[i] == group);
    if (local) {
      if (orJoin) return RefuseCriteria(cursor);
      continue;
    }
    std::string text;
    if (!RenderList(cursor, list, text)) return RefuseCriteria(cursor);
    if (!query.empty()) query += orJoin ? "OR" : "AND";
    query += text;
    sent += static_cast<std::int32_t>(list.size());
  }
  cursor.queryText = std::move(query);
  cursor.criteriaCount = sent;
  return kMsgSuccess;
}

MessageId BuildSortList(TableCursor& cursor, std::uint16_t keyCount, const std::uint16_t* columnIndexes,
                        const std::uint8_t* directions) {
  cursor.sortFields.clear();
  cursor.sortOrders.clear();
  if (keyCount == 0) return kMsgSuccess;
  if (cursor.pseudoTable != PseudoTable::kNone || TableHasPendingWrites(cursor)) return kMsgNotSupported;
  std::string fields;
  std::string orders;
  for (std::uint16_t i = 0; i < keyCount; ++i) {
    if (columnIndexes[i] >= cursor.columns.size()) return kMsgInvalidColumnId;
    const ColumnDescriptor& column = cursor.columns[columnIndexes[i]];
    // Only the record id is never empty and orders the same way everywhere;
    // the service's order of empty values and of text is its own. And only
    // a sort led by the table's own record id pages by continuing after the
    // last record read; another record-id field (a related record's) is
    // sorted here over a read in record-id order.
    if (column.fieldKind != FieldKind::kRecordId) return kMsgNotSupported;
    if (i == 0 && column.fieldId != kRecordIdFieldId) return kMsgNotSupported;
    if (!fields.empty()) fields += '.';
    fields += column.fieldIdText;
    orders += directions[i] != 0 ? 'D' : 'A';
  }
  cursor.sortFields = std::move(fields);
  cursor.sortOrders = std::move(orders);
  return kMsgSuccess;
}
