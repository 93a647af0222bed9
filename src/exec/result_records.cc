// Row numbers, record ids and values of the result passes' records, the
// sorts between their files, and the in-memory row.
#include "exec/result_records.h"

#include "exec/expression_evaluation.h"
#include "exec/sort_engine.h"
#include "exec/source_queries.h"
#include "handles/statement_handle.h"
#include "sql/select_layout.h"
#include "tables/table_select.h"

void PutRowNumber(std::uint64_t ordinal, unsigned char* out) {
  for (std::uint32_t i = kRowNumberWidth; i-- > 0;) {
    out[i] = static_cast<unsigned char>('0' + ordinal % 10);
    ordinal /= 10;
  }
}

MessageId PutRecordIds(StatementHandle& statement, ParseTree& tree, NodeIndex select, unsigned char* record,
                       std::uint32_t length) {
  const std::uint32_t first = tree.nodes[select].fields.select.recordIdPosition;
  std::uint32_t at = first - 1;
  for (NodeIndex item = tree.nodes[select].fields.select.fromList; item != kNoNode;
       item = tree.nodes[item].fields.joinItem.next, at += 4) {
    // Group records have no record ids; only a damaged layout asks here.
    if (first == 0 || at + 4 > length) return kMsgInternalError;
    const TableReferenceFields& table =
        tree.nodes[tree.nodes[item].fields.joinItem.tableReference].fields.tableReference;
    std::uint32_t recordId = kNullRowRecordId;
    if (table.nullRow == 0) {
      if (table.cursor == nullptr) return kMsgInternalError;
      if (MessageId id = PostTableFailure(statement, GetCursorRecordId(*table.cursor, recordId))) return id;
      statement.transactionFlags[0] = 1;
    }
    EncodeRecordId(recordId, record + at);
  }
  return kMsgSuccess;
}

MessageId PutSlotValues(StatementHandle& statement, ParseTree& tree, const std::vector<RecordSlot>& slots,
                        unsigned char* record, NodeIndex& cut) {
  cut = kNoNode;
  for (const RecordSlot& slot : slots) {
    const MessageId id = EvaluateRowExpression(statement, tree, slot.node);
    if (id != kMsgSuccess && id != kMsgDataTruncated) return id;
    const ValueCell& value = tree.nodes[slot.node].cell;
    if (cut == kNoNode && TextExceedsWidth(value, slot.width)) cut = slot.node;
    if (MessageId encoded = EncodeSpooledValue(value, slot.width, record + slot.position - 1)) return encoded;
  }
  return kMsgSuccess;
}

bool TextExceedsWidth(const ValueCell& value, std::uint32_t width) {
  if (value.valueType != kValueCharacter || value.nullFlag != 0) return false;
  const std::size_t end = value.bytes.find_last_not_of(' ');
  return end != std::string::npos && end >= width;
}

MessageId RefuseLongKey(StatementHandle& statement, const ParseTree& tree, NodeIndex value) {
  statement.diagnostic.detailText = KeyName(tree, value);
  return kMsgValueTooLongForKey;
}

MessageId WarnCutOrderKey(StatementHandle& statement, const ParseTree& tree, NodeIndex value) {
  statement.diagnostic.detailText = KeyName(tree, value);
  return kMsgOrderByValueCut;
}

std::vector<RecordSlot> PerGroupOrderSlots(const ParseTree& tree, NodeIndex select) {
  std::vector<RecordSlot> slots;
  if (tree.nodes[select].fields.select.groupBy == kNoNode) return slots;
  for (NodeIndex item = tree.nodes[select].fields.select.orderBy; item != kNoNode;
       item = tree.nodes[item].fields.sortItem.next) {
    const SortItemFields& f = tree.nodes[item].fields.sortItem;
    const std::uint16_t kind = tree.nodes[f.value].kind;
    if (kind != kNodeColumnReference && kind != kNodeAggregate) slots.push_back({f.value, f.recordPosition, f.recordWidth});
  }
  return slots;
}

MessageId SortIntoNewFile(SpoolWriter& from, std::string_view order, SpoolWriter& to, std::uint32_t& count) {
  if (OpenSpoolWriter(to) != kMsgSuccess || CloseSpoolWriter(to) != 0) return kMsgUnableToOrderBy;
  std::uint32_t status = kMsgUnableToOrderBy;
  SortFile(from.file, to.file, order, count, status);
  CloseFile(from.file);
  return status == kMsgSuccess ? kMsgSuccess : kMsgUnableToOrderBy;
}

MessageId SortInPlace(SpoolWriter& writer, std::string_view order, std::uint32_t& count) {
  std::uint32_t status = kMsgUnableToOrderBy;
  SortFile(writer.file, writer.file, order, count, status);
  return status == kMsgSuccess ? kMsgSuccess : kMsgUnableToOrderBy;
}

std::string RestoreOrderText(std::uint32_t recordLength) {
  return "S(1," + std::to_string(kRowNumberWidth) + ",N,A)F(FIX," + std::to_string(recordLength) + ")";
}

InMemoryRow::~InMemoryRow() {
  tree.nodes[select].fields.select.inMemoryRow = kNoValue;
  if (buffer == kNoValue) return;
  // The buffer is the tree's last unless evaluation added one since; a
  // statement run again and again must not grow its tree either way.
  if (buffer + 1 == tree.values.size()) tree.values.pop_back();
  else tree.values[buffer].text.clear();
}

MessageId InMemoryRow::Show(const unsigned char* record, std::size_t length) {
  if (buffer == kNoValue) {
    buffer = AddValueBuffer(tree, length);
    if (buffer == kNoValue) return kMsgMemoryAllocation;
  }
  tree.values[buffer].text.assign(reinterpret_cast<const char*>(record), length);
  tree.nodes[select].fields.select.inMemoryRow = buffer;
  return kMsgSuccess;
}
