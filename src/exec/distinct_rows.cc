// RemoveDuplicateRows, the DISTINCT pass: one DISTINCT record per result
// row (its row number and select-list values), sorted by value with
// duplicates removed, then put back in the row order when there is an
// ORDER BY.
#include <sqlext.h>

#include <cstring>
#include <vector>

#include "exec/result_passes.h"
#include "exec/result_records.h"
#include "exec/row_positioning.h"
#include "sql/select_layout.h"

namespace {

// What a DISTINCT record of literals only holds in place of values, so that
// all its records are one value.
inline constexpr unsigned char kLiteralsFiller[] = {'c', 'h', 'a'};

bool IsLiteralKind(std::uint16_t kind) { return kind >= kNodeStringLiteral && kind <= kNodeTimestampLiteral; }

// The select items that have a place in the DISTINCT record; literals have
// none. 1019 for an item that can't be a DISTINCT value.
MessageId DistinctSlots(const ParseTree& tree, NodeIndex select, std::vector<RecordSlot>& slots) {
  for (NodeIndex item = tree.nodes[select].fields.select.selectList; item != kNoNode;
       item = tree.nodes[item].fields.listItem.next) {
    const NodeIndex value = tree.nodes[item].fields.listItem.value;
    if (value == kNoNode) return kMsgInternalError;
    const NodeFields& f = tree.nodes[value].fields;
    switch (tree.nodes[value].kind) {
      case kNodeArithmetic: slots.push_back({value, f.arithmetic.distinctPosition, f.arithmetic.distinctWidth}); break;
      case kNodeAggregate: slots.push_back({value, f.aggregate.distinctPosition, f.aggregate.distinctWidth}); break;
      case kNodeColumnReference:
        slots.push_back({value, f.columnReference.distinctPosition, f.columnReference.distinctWidth});
        break;
      case kNodeScalarFunction:
        slots.push_back({value, f.scalarFunction.distinctPosition, f.scalarFunction.distinctWidth});
        break;
      default:
        if (!IsLiteralKind(tree.nodes[value].kind)) return kMsgInternalError;
    }
  }
  return kMsgSuccess;
}

// A record per row of the result so far: from its result file when an
// earlier pass made one, else straight from the row sources.
MessageId SpoolDistinctRecords(StatementHandle& statement, ParseTree& tree, NodeIndex select, SpoolWriter& writer) {
  std::vector<RecordSlot> slots;
  if (MessageId id = DistinctSlots(tree, select, slots)) return id;
  const std::uint32_t length = tree.nodes[select].fields.select.distinctRecordLength;
  if (length < kRowNumberWidth + (slots.empty() ? sizeof kLiteralsFiller : 1)) return kMsgInternalError;
  std::vector<unsigned char> record(length, 0);
  if (slots.empty()) std::memcpy(record.data() + kRowNumberWidth, kLiteralsFiller, sizeof kLiteralsFiller);
  for (std::uint64_t ordinal = 0;; ++ordinal) {
    const MessageId moved = PositionCursor(statement, tree, select, SQL_FETCH_NEXT, 0);
    if (moved == kMsgNoDataFound) return kMsgSuccess;
    if (moved != kMsgSuccess) return moved;
    PutRowNumber(ordinal, record.data());
    NodeIndex cut = kNoNode;
    if (MessageId id = PutSlotValues(statement, tree, slots, record.data(), cut)) return id;
    // Values cut to their places would be kept as one.
    if (cut != kNoNode) return RefuseLongKey(statement, tree, cut);
    if (WriteSpoolBytes(writer, record.data(), length) < 0) return kMsgUnableToOrderBy;
  }
}

}  // namespace

MessageId RemoveDuplicateRows(StatementHandle& statement, ParseTree& tree, NodeIndex select) {
  SpoolWriter values;
  if (MessageId id = OpenStatementSpool(statement, values, kMsgUnableToOrderBy)) return id;
  if (MessageId id = SpoolDistinctRecords(statement, tree, select, values)) return id;
  if (CloseSpoolWriter(values) != 0) return kMsgUnableToOrderBy;
  const SelectFields& f = tree.nodes[select].fields.select;
  if (f.distinctSpec == kNoValue) return kMsgInternalError;
  // The sort keeps the first row of each value, so putting the survivors
  // back in row order keeps the ORDER BY order.
  SpoolWriter distinct;
  std::uint32_t count = 0;
  if (SortIntoNewFile(values, GetValueText(tree, f.distinctSpec), distinct, count)) return kMsgUnableToOrderBy;
  if (f.orderBy != kNoNode && SortInPlace(distinct, RestoreOrderText(f.distinctRecordLength), count))
    return kMsgUnableToOrderBy;
  if (InstallResultFile(tree, select, distinct, 1) != kMsgSuccess) return kMsgUnableToOrderBy;
  tree.nodes[select].fields.select.rowCount = count;
  return kMsgSuccess;
}
