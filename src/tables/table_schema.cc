// Schema loading and the mapping of QuickBase field types to SQL types.
#include "tables/table_schema.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "common/column_names.h"
#include "connection/quickbase_client.h"
#include "handles/connection_record.h"
#include "handles/handles.h"
#include "tables/table_failures.h"

namespace {

constexpr std::int32_t kMaxVarcharLength = 254;
constexpr std::int32_t kLongTextLength = 65534;
constexpr std::int32_t kAttachmentLength = 2147483647;
constexpr std::int32_t kDoubleSize = 15;

const std::string& Lookup(const std::map<std::string, std::string>& map, const std::string& key) {
  static const std::string empty;
  auto it = map.find(key);
  return it == map.end() ? empty : it->second;
}

// mode and role may come as attributes or as child elements.
const std::string& FieldProperty(const SchemaField& field, const std::string& key) {
  const std::string& attribute = Lookup(field.attributes, key);
  return attribute.empty() ? Lookup(field.properties, key) : attribute;
}

std::int64_t NumberOrZero(const std::string& text) {
  std::int64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

void SetType(ColumnDescriptor& column, std::int16_t sqlType, std::int32_t size, FieldKind kind,
             std::uint16_t rank) {
  column.sqlType = sqlType;
  column.columnSize = size;
  column.fieldKind = kind;
  column.pushDownRank = rank;
}

void MapTextField(const SchemaField& field, const std::string& type, ColumnDescriptor& column) {
  std::int64_t maxLength = NumberOrZero(FieldProperty(field, "maxlength"));
  bool multiLine = type == "multitext" || NumberOrZero(FieldProperty(field, "num_lines")) > 1;
  bool isUser = type == "userid" || type == "multiuserid";
  // Multi-choice lists and users compare by rules of the service's own.
  std::uint16_t rank = isUser || multiLine ? 0 : 1;
  FieldKind kind = isUser ? FieldKind::kUser : FieldKind::kText;
  if (!multiLine && maxLength >= 1)
    column.maxLength = static_cast<std::int32_t>(std::min<std::int64_t>(maxLength, INT32_MAX));
  if (multiLine || maxLength > kMaxVarcharLength) {
    SetType(column, SQL_LONGVARCHAR, kLongTextLength, kind, rank);
    return;
  }
  SetType(column, SQL_VARCHAR, maxLength >= 1 ? static_cast<std::int32_t>(maxLength) : kMaxVarcharLength, kind,
          rank);
}

void MapNumericField(const SchemaField& field, const std::string& type, ColumnDescriptor& column) {
  // Percent values are fractions on the service and percentages to users.
  SetType(column, SQL_DOUBLE, kDoubleSize, FieldKind::kNumeric, type == "percent" ? 0 : 2);
  column.decimalDigits = static_cast<std::uint16_t>(NumberOrZero(FieldProperty(field, "decimal_places")));
}

// By field type first; a type of the service's own falls back on its base type.
bool MapByFieldType(const SchemaField& field, const std::string& type, ColumnDescriptor& column) {
  if (type == "recordid") {
    SetType(column, SQL_INTEGER, 10, FieldKind::kRecordId, 4);
    column.nullable = SQL_NO_NULLS;
  } else if (type == "text" || type == "email" || type == "url" || type == "phone" || type == "multitext" ||
             type == "userid" || type == "multiuserid") {
    MapTextField(field, type, column);
  } else if (type == "float" || type == "currency" || type == "rating" || type == "percent" ||
             type == "numeric") {
    MapNumericField(field, type, column);
  } else if (type == "checkbox") {
    SetType(column, SQL_BIT, 1, FieldKind::kCheckbox, 2);
  } else if (type == "date") {
    SetType(column, SQL_DATE, 10, FieldKind::kDate, 2);
  } else if (type == "timestamp") {
    SetType(column, SQL_TIMESTAMP, 23, FieldKind::kTimestamp, 2);
    column.decimalDigits = 3;
  } else if (type == "timeofday") {
    SetType(column, SQL_TIME, 8, FieldKind::kTimeOfDay, 2);
  } else if (type == "duration") {
    SetType(column, SQL_DOUBLE, kDoubleSize, FieldKind::kDuration, 0);
  } else if (type == "file") {
    SetType(column, SQL_LONGVARBINARY, kAttachmentLength, FieldKind::kFile, 0);
  } else {
    return false;
  }
  return true;
}

bool MapByBaseType(const std::string& baseType, ColumnDescriptor& column) {
  if (baseType == "text") {
    SetType(column, SQL_VARCHAR, kMaxVarcharLength, FieldKind::kText, 1);
  } else if (baseType == "float") {
    SetType(column, SQL_DOUBLE, kDoubleSize, FieldKind::kNumeric, 2);
  } else if (baseType == "bool") {
    SetType(column, SQL_BIT, 1, FieldKind::kCheckbox, 2);
  } else if (baseType == "int64" || baseType == "int32") {
    SetType(column, SQL_DOUBLE, kDoubleSize, FieldKind::kNumeric, 2);
  } else {
    return false;
  }
  return true;
}

bool IsReadOnlyField(const SchemaField& field, std::uint32_t fid) {
  const std::string& mode = FieldProperty(field, "mode");
  if (mode == "virtual" || mode == "lookup" || mode == "summary") return true;
  const std::string& type = Lookup(field.attributes, "field_type");
  if (type == "dblink" || type == "icalendarbutton" || type == "vcardbutton") return true;
  return fid >= 1 && fid <= 5;
}

}  // namespace

bool HyphensKept(const ConnectionRecord& record) {
  return record.connection != nullptr && !LookupSetting(record.connection->settings, "FIELDNAMEHYPHENS").empty();
}

std::string ColumnNameOfLabel(const ConnectionRecord& record, std::string_view label) {
  return SanitizeColumnName(label, record.hostIsAccessOrQuery != 0, HyphensKept(record));
}

MessageId MapFieldToColumn(const SchemaField& field, const std::string& keyFieldId, bool hostFlag,
                           bool hyphenFlag, ColumnDescriptor& column) {
  column = ColumnDescriptor{};
  const std::string& type = Lookup(field.attributes, "field_type");
  if (!MapByFieldType(field, type, column) && !MapByBaseType(Lookup(field.attributes, "base_type"), column))
    return kMsgAlreadyPosted;
  column.fieldIdText = field.id;
  column.fieldId = static_cast<std::uint32_t>(NumberOrZero(field.id));
  // Only the table's own record id is never empty; a related record's may be.
  if (column.fieldKind == FieldKind::kRecordId && column.fieldId != kRecordIdFieldId) column.nullable = SQL_NULLABLE;
  column.name = SanitizeColumnName(Lookup(field.properties, "label"), hostFlag, hyphenFlag);
  column.defaultValue = Lookup(field.properties, "default_value");
  if (IsReadOnlyField(field, column.fieldId)) column.updatable = SQL_ATTR_READONLY;
  if (field.id == keyFieldId) column.keyPosition = 1;
  return kMsgSuccess;
}

MessageId BuildTableColumns(const TableSchema& schema, bool hostFlag, bool hyphenFlag,
                            std::vector<ColumnDescriptor>& columns, std::string* unmapped) {
  columns.clear();
  columns.reserve(schema.reply.fields.size());
  for (const SchemaField& field : schema.reply.fields) {
    ColumnDescriptor column;
    MessageId id = MapFieldToColumn(field, schema.keyFieldId, hostFlag, hyphenFlag, column);
    if (id != kMsgSuccess) {
      if (unmapped != nullptr)
        *unmapped = "field '" + Lookup(field.properties, "label") + "' has the type '" +
                    Lookup(field.attributes, "field_type") + "' (base type '" + Lookup(field.attributes, "base_type") +
                    "')";
      return id;
    }
    columns.push_back(std::move(column));
  }
  return kMsgSuccess;
}

MessageId LoadTableSchema(ConnectionRecord& record, const std::string& tableId,
                          std::shared_ptr<TableSchema>& schema) {
  TableAccessCaches& caches = record.client->caches;
  auto cached = caches.schemas.find(tableId);
  if (cached != caches.schemas.end()) {
    schema = cached->second;
    return kMsgSuccess;
  }
  auto loaded = std::make_shared<TableSchema>();
  ApiCallRecord call;
  if (ApiGetSchema(record.client->session, call, tableId, loaded->reply) != kMsgSuccess)
    return PostTableServiceFailure(record, call);
  // An application's schema has no fields: it is not a table.
  if (loaded->reply.fields.empty())
    return RecordTableFailure(record, kMsgQuickBaseTableNotFound, tableId);
  loaded->tableId = tableId;
  loaded->appId = Lookup(loaded->reply.original, "app_id");
  loaded->name = loaded->reply.name;
  loaded->keyFieldId = Lookup(loaded->reply.original, "key_fid");
  if (loaded->keyFieldId.empty() || loaded->keyFieldId == "0") loaded->keyFieldId.assign(1, '3');  // the record id
  caches.schemas[tableId] = loaded;
  schema = std::move(loaded);
  return kMsgSuccess;
}

void DropTableSchema(QuickBaseClient& client, const std::string& tableId) {
  client.caches.schemas.erase(tableId);
  auto table = client.caches.tables.find(tableId);
  if (table == client.caches.tables.end()) return;
  table->second.lastResult.reset();
  ++table->second.generation;
}
