// BuildSortedResult, the first pass of ORDER BY, GROUP BY and aggregates:
// one sort record per qualifying row (its keys, its aggregates' arguments,
// its record ids) in the layout the binder gave the SELECT, sorted by the
// SELECT's sort text.
#include <vector>

#include "exec/expression_evaluation.h"
#include "exec/number_operands.h"
#include "exec/result_passes.h"
#include "exec/result_records.h"
#include "exec/row_sources.h"
#include "handles/statement_handle.h"
#include "tables/table_cursor.h"

namespace {

// What a sort record holds besides its fixed bytes.
struct SortRecordLayout {
  std::vector<RecordSlot> keys;       // evaluated for every row
  bool groupKeys = false;             // the keys are GROUP BY columns, not ORDER BY items
  std::vector<NodeIndex> aggregates;  // their arguments, at the aggregates' places
  bool recordIds = false;
  std::uint32_t length = 0;
};

SortRecordLayout LayoutOf(const ParseTree& tree, NodeIndex select) {
  const SelectFields& f = tree.nodes[select].fields.select;
  SortRecordLayout layout;
  layout.length = f.sortRecordLength;
  if (f.groupBy != kNoNode) {
    layout.groupKeys = true;
    for (NodeIndex item = f.groupBy; item != kNoNode; item = tree.nodes[item].fields.groupItem.next) {
      const NodeIndex column = tree.nodes[item].fields.groupItem.columnReference;
      const ColumnReferenceFields& c = tree.nodes[column].fields.columnReference;
      layout.keys.push_back({column, c.spoolPosition, c.spoolWidth});
    }
  } else if (f.aggregatesWithoutGroupBy == 0) {
    for (NodeIndex item = f.orderBy; item != kNoNode; item = tree.nodes[item].fields.sortItem.next) {
      const SortItemFields& s = tree.nodes[item].fields.sortItem;
      layout.keys.push_back({s.value, s.recordPosition, s.recordWidth});
    }
    layout.recordIds = true;
  }
  if (f.groupBy != kNoNode || f.aggregatesWithoutGroupBy != 0) {
    for (NodeIndex node = f.aggregateList; node != kNoNode; node = tree.nodes[node].fields.aggregate.nextAggregate)
      layout.aggregates.push_back(node);
  }
  return layout;
}

// The bytes every record starts from: values that only exist once a group
// is complete stand as NULLs until then.
MessageId FillTemplate(const ParseTree& tree, NodeIndex select, std::vector<unsigned char>& record) {
  for (const RecordSlot& slot : PerGroupOrderSlots(tree, select)) {
    ValueCell empty = tree.nodes[slot.node].cell;
    SetNullValue(empty);
    if (MessageId id = EncodeSpooledValue(empty, slot.width, record.data() + slot.position - 1)) return id;
  }
  return kMsgSuccess;
}

// A number for a COUNT, AVG or a SUM, MAX or MIN of numbers kept as
// doubles; a NUMERIC argument is read as a double.
MessageId ArgumentAsDouble(const ValueCell& argument, double& out) {
  if (argument.nullFlag != 0) {
    out = 0.0;
    return kMsgSuccess;
  }
  if (argument.valueType == kValueNumeric) return NumericAsDouble(argument, out);
  if (argument.valueType != kValueInteger && argument.valueType != kValueDouble) return kMsgInternalError;
  out = argument.value.number;
  return kMsgSuccess;
}

// The aggregate's argument for this row, in the aggregate's type. COUNT
// writes 1 or 0 and is never NULL itself; noRow stands for the one record of
// aggregates over no rows, where every argument is NULL.
MessageId PutAggregateArgument(StatementHandle& statement, ParseTree& tree, NodeIndex aggregate, bool noRow,
                               unsigned char* record) {
  const AggregateFields f = tree.nodes[aggregate].fields.aggregate;
  ValueCell value = tree.nodes[aggregate].cell;
  SetNullValue(value);
  const ValueCell* argument = &value;
  if (!noRow && f.argument != kNoNode) {
    const MessageId id = EvaluateRowExpression(statement, tree, f.argument);
    if (id != kMsgSuccess && id != kMsgDataTruncated) return id;
    argument = &tree.nodes[f.argument].cell;
  }
  const bool counted = f.argument == kNoNode ? !noRow : argument->nullFlag == 0;
  unsigned char* out = record + f.groupPosition - 1;
  switch (value.valueType) {
    case kValueInteger:
    case kValueDouble:
      value.nullFlag = f.code == kAggregateCount ? 0 : argument->nullFlag;
      if (f.code == kAggregateCount) value.value.number = counted ? 1.0 : 0.0;
      else if (MessageId id = ArgumentAsDouble(*argument, value.value.number)) return id;
      return EncodeSpooledValue(value, f.groupWidth, out);
    case kValueCharacter:
      // MIN and MAX of a text cut to its place would answer a value that
      // exists nowhere.
      if (TextExceedsWidth(*argument, f.groupWidth)) return RefuseLongKey(statement, tree, f.argument);
      [[fallthrough]];
    case kValueNumeric:
    case kValueDate:
    case kValueTime:
    case kValueTimestamp:
      if (argument->valueType != value.valueType) return kMsgInternalError;
      return EncodeSpooledValue(*argument, f.groupWidth, out);
    default: return kMsgInternalError;
  }
}

// A GROUP BY key cut to its place would merge different values, so it is
// refused; an ORDER BY key may order by its first characters, and cutKey
// keeps the first such key for the warning.
MessageId PutSortRecord(StatementHandle& statement, ParseTree& tree, NodeIndex select, const SortRecordLayout& layout,
                        bool noRow, unsigned char* record, NodeIndex& cutKey) {
  if (!noRow) {
    NodeIndex cut = kNoNode;
    if (MessageId id = PutSlotValues(statement, tree, layout.keys, record, cut)) return id;
    if (cut != kNoNode && layout.groupKeys) return RefuseLongKey(statement, tree, cut);
    if (cutKey == kNoNode) cutKey = cut;
  }
  for (NodeIndex aggregate : layout.aggregates) {
    if (MessageId id = PutAggregateArgument(statement, tree, aggregate, noRow, record)) return id;
  }
  return layout.recordIds ? PutRecordIds(statement, tree, select, record, layout.length) : kMsgSuccess;
}

// Writes one record per qualifying row; aggregates over no rows still get
// their one record.
MessageId SpoolSortRecords(StatementHandle& statement, ParseTree& tree, NodeIndex select, SpoolWriter& writer,
                           std::uint32_t& written, NodeIndex& cutKey) {
  const SortRecordLayout layout = LayoutOf(tree, select);
  std::vector<unsigned char> blank(layout.length, 0);
  if (MessageId id = FillTemplate(tree, select, blank)) return id;
  std::vector<unsigned char> record(layout.length);
  for (;;) {
    const MessageId fetched = FetchNextSelectRow(statement, tree, select);
    const bool noRow = fetched == kMsgNoDataFound;
    if (noRow && (written > 0 || tree.nodes[select].fields.select.aggregatesWithoutGroupBy == 0)) return kMsgSuccess;
    if (fetched != kMsgSuccess && !noRow) return fetched;
    SelectFields& f = tree.nodes[select].fields.select;
    ++f.currentRow;
    ++f.rowCount;
    record = blank;
    if (MessageId id = PutSortRecord(statement, tree, select, layout, noRow, record.data(), cutKey)) return id;
    if (WriteSpoolBytes(writer, record.data(), layout.length) < 0) return kMsgUnableToOrderBy;
    ++written;
    if (noRow) return kMsgSuccess;
  }
}

// Sorted rows are visited again by record id, so their tables keep every
// page this statement reads; forward-only reads of other statements go on
// paging sequentially. Group records hold their values, not record ids.
void KeepPagesForPositioning(ParseTree& tree, NodeIndex select) {
  const SelectFields& f = tree.nodes[select].fields.select;
  if (f.groupBy != kNoNode || f.aggregatesWithoutGroupBy != 0) return;
  for (NodeIndex item = f.fromList; item != kNoNode; item = tree.nodes[item].fields.joinItem.next) {
    TableCursor* cursor = tree.nodes[tree.nodes[item].fields.joinItem.tableReference].fields.tableReference.cursor;
    if (cursor != nullptr) cursor->keepsEveryPage = true;
  }
}

}  // namespace

MessageId BuildSortedResult(StatementHandle& statement, ParseTree& tree, NodeIndex select) {
  SpoolWriter writer;
  if (MessageId id = OpenStatementSpool(statement, writer, kMsgUnableToOrderBy)) return id;
  KeepPagesForPositioning(tree, select);
  tree.nodes[select].fields.select.rowCount = 0;
  std::uint32_t written = 0;
  NodeIndex cutKey = kNoNode;
  if (MessageId id = SpoolSortRecords(statement, tree, select, writer, written, cutKey)) return id;
  SelectFields& f = tree.nodes[select].fields.select;
  if (written == 0) {
    f.currentRow = kRowAfterLast;
    return kMsgSuccess;
  }
  if (CloseSpoolWriter(writer) != 0) return kMsgUnableToOrderBy;
  std::uint32_t count = written;
  if (f.aggregatesWithoutGroupBy == 0) {
    if (f.sortSpec == kNoValue) return kMsgInternalError;
    if (SortInPlace(writer, GetValueText(tree, f.sortSpec), count) != kMsgSuccess) return kMsgUnableToOrderBy;
  }
  if (InstallResultFile(tree, select, writer, 0) != kMsgSuccess) return kMsgUnableToOrderBy;
  tree.nodes[select].fields.select.rowCount = count;
  return cutKey == kNoNode ? kMsgSuccess : WarnCutOrderKey(statement, tree, cutKey);
}
