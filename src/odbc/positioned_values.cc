// Reading a rowset row's bound values for a positioned write, and the bookmark
// column's values, at the element the fetch would fill for that row.
#include "odbc/positioned_values.h"

#include <sqlext.h>

#include <cstring>

#include "common/c_to_node.h"
#include "exec/number_operands.h"
#include "handles/descriptor_handle.h"
#include "handles/statement_handle.h"
#include "odbc/column_data.h"
#include "odbc/column_values.h"
#include "odbc/delivered_values.h"

namespace {

bool BindsNothing(const DescriptorRecord& r) {
  return r.dataPointer == nullptr && r.lengthPointer == nullptr && r.indicatorPointer == nullptr;
}

NodeIndex SelectItemValue(const StatementHandle& statement, std::uint16_t number) {
  const ParseTree& tree = *statement.parseTree;
  const NodeIndex item = ResultColumnItem(tree, number);
  return item == kNoNode ? kNoNode : tree.nodes[item].fields.listItem.value;
}

// The column's value area typed as its select item, NULL and empty, ready
// for a value or for pieces. A text is taken whole, as a statement's value
// is: the write refuses a new text longer than its field's maxlength (it
// never cuts one), and writes back whole the value the row holds, which may
// be longer than its column.
GatherFailure StartValue(const StatementHandle& statement, std::uint16_t number, PendingColumnValue& pending) {
  const ParseTree& tree = *statement.parseTree;
  pending.column = SelectItemValue(statement, number);
  if (pending.column == kNoNode) return {kMsgInvalidColumnId, true};
  if (tree.nodes[pending.column].kind != kNodeColumnReference) return {kMsgAssignToExpression, true};
  const ValueCell& item = tree.nodes[pending.column].cell;
  if (!IsKnownValueType(item.valueType)) return {kMsgNotSupportedDetail, true};
  pending.value = ValueCell{};
  pending.value.valueType = item.valueType;
  pending.value.sqlType = item.sqlType;
  pending.value.size = item.valueType == kValueCharacter ? 0 : item.size;
  pending.value.digits = item.digits;
  SetNullValue(pending.value);
  return {};
}

// A buffer whose length says more than it holds, and that the application
// changed since the fetch cut the value into it: what it means can't be
// known, and the part it holds is no value to write.
MessageId RefuseOverlong(StatementHandle& statement, const PendingColumnValue& pending) {
  const ParseTree& tree = *statement.parseTree;
  statement.diagnostic.detailText =
      DescribeOverlong(GetValueText(tree, tree.nodes[pending.column].fields.columnReference.columnName),
                       pending.element.length, pending.bufferLength);
  return kMsgStringRightTruncationOf;
}

const DescriptorRecord* BookmarkRecord(const StatementHandle& statement) {
  for (const DescriptorRecord* r = statement.currentArd->records; r != nullptr; r = r->nextRecord)
    if (r->number == 0) return r;
  return nullptr;
}

}  // namespace

GatherFailure GatherRowValues(StatementHandle& statement, std::int64_t rowIndex, bool changedOnly,
                              GatheredRow& row) {
  row = GatheredRow{};
  for (const DescriptorRecord* r = statement.currentArd->records; r != nullptr; r = r->nextRecord) {
    if (r->number == 0 || BindsNothing(*r)) continue;
    PendingColumnValue pending;
    pending.number = r->number;
    if (GatherFailure failure = StartValue(statement, r->number, pending); failure.id != kMsgSuccess) return failure;
    pending.bufferLength = r->bufferLength;
    pending.element = ReadBoundElement(statement, *r, pending.value.sqlType, rowIndex);
    const BoundElement& element = pending.element;
    if (element.kind == BoundElementKind::kIgnored) continue;
    if (changedOnly && HoldsDeliveredElement(statement, rowIndex, r->number, element)) continue;
    if (element.kind == BoundElementKind::kOverlong) return {RefuseOverlong(statement, pending), false};
    if (element.kind == BoundElementKind::kDeferred) {
      pending.awaitingData = true;
      row.deferred = true;
    } else {
      const SQLLEN length = element.kind == BoundElementKind::kNull ? SQL_NULL_DATA : element.length;
      const MessageId id = ConvertCValueToNodeValue(&statement, pending.value, nullptr, element.cType, element.data,
                                                    length, 0, r->bufferLength);
      if (id == kMsgDataTruncated) row.warning = id;
      else if (id != kMsgSuccess) return {id, false};
    }
    row.columns.push_back(std::move(pending));
  }
  return {};
}

void KeepWrittenValues(StatementHandle& statement, const GatheredRow& row, std::int64_t rowIndex) {
  for (const PendingColumnValue& pending : row.columns)
    KeepWrittenElement(statement, rowIndex, pending.number, pending.element);
}

bool BookmarkColumnBound(const StatementHandle& statement) {
  const DescriptorRecord* r = BookmarkRecord(statement);
  return r != nullptr && r->lengthPointer != nullptr;
}

MessageId ReadRowBookmark(StatementHandle& statement, std::int64_t rowIndex, std::int64_t& bookmark) {
  const DescriptorRecord* r = BookmarkRecord(statement);
  if (r == nullptr || r->lengthPointer == nullptr) return kMsgInvalidAttribute;
  const BoundElement element = ReadBoundElement(statement, *r, SQL_INTEGER, rowIndex);
  if (element.kind != BoundElementKind::kValue || element.data == nullptr) return kMsgInvalidAttribute;
  std::int32_t value = 0;
  if (element.cType == SQL_C_BINARY) {
    // A variable-length bookmark holds the 4 bytes the fetch delivered.
    if (element.bytes.size() < sizeof value) return kMsgInvalidAttribute;
    std::memcpy(&value, element.bytes.data(), sizeof value);
  } else {
    ValueCell cell;
    cell.valueType = kValueInteger;
    cell.sqlType = SQL_INTEGER;
    if (ConvertCValueToNodeValue(&statement, cell, nullptr, element.cType, element.data, element.length, 0,
                                 r->bufferLength) != kMsgSuccess ||
        cell.nullFlag != 0)
      return kMsgInvalidAttribute;
    value = static_cast<std::int32_t>(cell.value.number);
  }
  if (value == kAddedRowBookmark) return kMsgPositionOnAddedRow;
  bookmark = value;
  return kMsgSuccess;
}

MessageId DeliverRowBookmark(StatementHandle& statement, std::int64_t rowIndex, std::int64_t bookmark) {
  const DescriptorRecord* r = BookmarkRecord(statement);
  if (r == nullptr || r->dataPointer == nullptr) return kMsgSuccess;
  const SQLSMALLINT cType = ResolveColumnCType(statement, SQL_INTEGER, r->cType);
  const RowElement element = BoundRowElement(statement, *r, cType, rowIndex);
  const auto value = static_cast<std::int32_t>(bookmark);
  SQLLEN offset = 0;
  SQLLEN outLength = 0;
  const ValueTarget target{cType, r->precision, r->scale, element.data, r->bufferLength, &offset};
  const MessageId id = ConvertColumnValue(statement, SQL_INTEGER, &value, sizeof value, target, outLength);
  if (id != kMsgSuccess) return id;
  if (element.indicator != nullptr) *element.indicator = 0;
  if (element.octetLength != nullptr) *element.octetLength = outLength;
  return kMsgSuccess;
}
