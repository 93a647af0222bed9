// Record layouts and sort texts of a SELECT. Every value key is written with
// its lower-case type letter, so the sort engine reads the NULL marker that
// follows it: NULL sorts lowest and never merges with '' or 0.
#include "sql/select_layout.h"

#include <sqlext.h>

#include "handles/statement_handle.h"
#include "platform/files.h"
#include "platform/utf8_text.h"

namespace {

// The widest values that can be keys: texts of 255 characters, binary
// values of 255 bytes.
inline constexpr std::uint32_t kMaxKeyCharacters = 255;
inline constexpr std::uint32_t kMaxKeyBytes = 255;
// The sort engine orders by at most 20 keys.
inline constexpr std::uint32_t kMaxSortKeys = 20;
inline constexpr std::uint32_t kRecordIdWidth = 4;
// The filler that a DISTINCT record of literals only carries instead of
// values, so that all its records compare equal.
inline constexpr std::uint32_t kDistinctFillerWidth = 3;

struct SelectView {
  StatementHandle& statement;
  ParseTree& tree;
  NodeIndex select;

  ParseNode& Node(NodeIndex index) { return tree.nodes[index]; }
  NodeFields& Fields(NodeIndex index) { return tree.nodes[index].fields; }
  SelectFields& Select() { return tree.nodes[select].fields.select; }
};

std::string TemporaryDirectoryWithSeparator() {
  std::string directory = TemporaryDirectory();
  if (!directory.empty() && directory.back() != '/') directory += '/';
  return directory;
}

void AppendKey(std::string& keys, std::uint32_t position, const KeyShape& shape, bool descending) {
  if (!keys.empty()) keys += ',';
  keys += std::to_string(position) + ',' + std::to_string(shape.width) + ',' + shape.letter + ',' +
          (descending ? 'D' : 'A');
}

MessageId InternSpecification(SelectView& v, const std::string& keys, const std::string& duplicates,
                              std::uint32_t recordLength, ValueIndex& out) {
  const std::string directory = TemporaryDirectoryWithSeparator();
  if (directory.empty()) return kMsgUnableToOrderBy;
  const std::string text = "S(" + keys + ")" + duplicates + "F(FIX," + std::to_string(recordLength) + ")W(" +
                           directory + ")";
  out = InternString(v.tree, text);
  return out == kNoValue ? kMsgMemoryAllocation : kMsgSuccess;
}

MessageId ShapeOrRefuse(SelectView& v, NodeIndex value, KeyShape& shape) {
  if (value != kNoNode && ShapeOfKey(v.Node(value).cell, shape)) return kMsgSuccess;
  v.statement.diagnostic.detailText = KeyName(v.tree, value);
  return kMsgUnableToOrderByColumn;
}

std::uint32_t CountFromItems(SelectView& v) {
  std::uint32_t count = 0;
  for (NodeIndex item = v.Select().fromList; item != kNoNode; item = v.Fields(item).joinItem.next) ++count;
  return count;
}

// Aggregate values follow the keys, in the order the aggregates were bound.
std::uint32_t LayOutAggregates(SelectView& v, std::uint32_t position) {
  for (NodeIndex node = v.Select().aggregateList; node != kNoNode; node = v.Fields(node).aggregate.nextAggregate) {
    AggregateFields& f = v.Fields(node).aggregate;
    f.groupPosition = position;
    position += f.groupWidth + 1;
  }
  return position;
}

// The key of an aggregate's value in a group record.
KeyShape AggregateKey(SelectView& v, NodeIndex node) {
  KeyShape shape;
  ShapeOfKey(v.Node(node).cell, shape);
  shape.width = v.Fields(node).aggregate.groupWidth;
  return shape;
}

// ORDER BY without grouping: one key per item, then the record ids.
MessageId LayOutOrderedRecord(SelectView& v) {
  std::string keys;
  std::uint32_t position = 1;
  std::uint32_t count = 0;
  for (NodeIndex item = v.Select().orderBy; item != kNoNode; item = v.Fields(item).sortItem.next) {
    if (++count > kMaxSortKeys) return kMsgOrderByTooManyColumns;
    KeyShape shape;
    if (MessageId id = ShapeOrRefuse(v, v.Fields(item).sortItem.value, shape)) return id;
    SortItemFields& f = v.Fields(item).sortItem;
    f.recordPosition = position;
    f.recordWidth = shape.width;
    AppendKey(keys, position, shape, f.descending != 0);
    position += shape.width + 1;
  }
  SelectFields& s = v.Select();
  s.keyLength = position - 1;
  s.recordIdPosition = position;
  s.sortRecordLength = position - 1 + kRecordIdWidth * CountFromItems(v);
  return InternSpecification(v, keys, "", s.sortRecordLength, v.Select().sortSpec);
}

// Where a grouped SELECT's ORDER BY item finds its value in a group record:
// a GROUP BY column at its key, an aggregate at its value, anything else in
// a place of its own after the aggregates (position advances for those).
MessageId PlaceGroupOrderItem(SelectView& v, NodeIndex item, std::uint32_t& position, KeyShape& shape,
                              bool& afterAggregation) {
  const NodeIndex value = v.Fields(item).sortItem.value;
  if (value == kNoNode) return kMsgInternalError;
  SortItemFields& f = v.Fields(item).sortItem;
  const std::uint16_t kind = v.Node(value).kind;
  if (kind == kNodeColumnReference) {
    if (!ShapeOfKey(v.Node(value).cell, shape)) return kMsgInternalError;
    f.recordPosition = v.Fields(value).columnReference.spoolPosition;
    f.recordWidth = v.Fields(value).columnReference.spoolWidth;
    shape.width = f.recordWidth;
    return kMsgSuccess;
  }
  afterAggregation = true;
  if (kind == kNodeAggregate) {
    shape = AggregateKey(v, value);
    f.recordPosition = v.Fields(value).aggregate.groupPosition;
    f.recordWidth = shape.width;
    return kMsgSuccess;
  }
  if (MessageId id = ShapeOrRefuse(v, value, shape)) return id;
  SortItemFields& placed = v.Fields(item).sortItem;
  placed.recordPosition = position;
  placed.recordWidth = shape.width;
  position += shape.width + 1;
  return kMsgSuccess;
}

// GROUP BY: the group keys, the aggregates and any ORDER BY values that only
// exist per group. The first sort groups the rows (ordering them as ORDER BY
// asks when it names only GROUP BY columns); when ORDER BY names aggregates
// or expressions, the group records are sorted once more after aggregation.
MessageId LayOutGroupedRecord(SelectView& v) {
  std::uint32_t position = LayOutAggregates(v, v.Select().keyLength + 1);
  std::string groupKeys;
  std::string orderKeys;
  bool afterAggregation = false;
  std::uint32_t count = 0;
  for (NodeIndex item = v.Select().orderBy; item != kNoNode; item = v.Fields(item).sortItem.next) {
    if (++count > kMaxSortKeys) return kMsgOrderByTooManyColumns;
    KeyShape shape;
    if (MessageId id = PlaceGroupOrderItem(v, item, position, shape, afterAggregation)) return id;
    const SortItemFields& f = v.Fields(item).sortItem;
    if (v.Node(f.value).kind == kNodeColumnReference) AppendKey(groupKeys, f.recordPosition, shape, f.descending != 0);
    AppendKey(orderKeys, f.recordPosition, shape, f.descending != 0);
  }
  SelectFields& s = v.Select();
  s.recordIdPosition = 0;
  s.sortRecordLength = position - 1;
  if (MessageId id = InternSpecification(v, groupKeys, "", s.sortRecordLength, v.Select().sortSpec)) return id;
  if (!afterAggregation) return kMsgSuccess;
  return InternSpecification(v, orderKeys, "", v.Select().sortRecordLength, v.Select().groupOrderSpec);
}

// Aggregates over all rows make one record of aggregate values; its order
// is moot, so no sort text is written.
void LayOutAggregateRecord(SelectView& v) {
  SelectFields& s = v.Select();
  s.keyLength = 0;
  s.recordIdPosition = 0;
  s.sortRecordLength = LayOutAggregates(v, 1) - 1;
}

void LayOutRecordIds(SelectView& v) {
  SelectFields& s = v.Select();
  s.recordIdPosition = 1;
  s.sortRecordLength = kRecordIdWidth * CountFromItems(v);
}

void SetDistinctPlace(NodeFields& f, std::uint16_t kind, std::uint32_t position, std::uint32_t width) {
  switch (kind) {
    case kNodeArithmetic: f.arithmetic.distinctPosition = position; f.arithmetic.distinctWidth = width; break;
    case kNodeAggregate: f.aggregate.distinctPosition = position; f.aggregate.distinctWidth = width; break;
    case kNodeColumnReference:
      f.columnReference.distinctPosition = position;
      f.columnReference.distinctWidth = width;
      break;
    default: f.scalarFunction.distinctPosition = position; f.scalarFunction.distinctWidth = width; break;
  }
}

// The select items that are DISTINCT keys, with the place of each value.
MessageId LayOutDistinctKeys(SelectView& v, std::string& keys, std::uint32_t& position) {
  std::uint32_t count = 0;
  for (NodeIndex item = v.Select().selectList; item != kNoNode; item = v.Fields(item).listItem.next) {
    const NodeIndex value = v.Fields(item).listItem.value;
    if (value == kNoNode) return kMsgInternalError;
    const std::uint16_t kind = v.Node(value).kind;
    if (kind >= kNodeStringLiteral && kind <= kNodeTimestampLiteral) continue;
    if (kind != kNodeArithmetic && kind != kNodeAggregate && kind != kNodeColumnReference &&
        kind != kNodeScalarFunction)
      return kMsgInternalError;
    if (++count > kMaxSortKeys) return kMsgOrderByTooManyColumns;
    KeyShape shape;
    if (MessageId id = ShapeOrRefuse(v, value, shape)) return id;
    SetDistinctPlace(v.Fields(value), kind, position, shape.width);
    AppendKey(keys, position, shape, false);
    position += shape.width + 1;
  }
  return kMsgSuccess;
}

// DISTINCT records: the row number, then the key values; duplicates are
// records whose values are equal. A select list of literals only gets a
// filler that makes every record a duplicate of the first.
MessageId LayOutDistinctRecord(SelectView& v) {
  std::string keys;
  std::uint32_t position = kRowNumberWidth + 1;
  if (MessageId id = LayOutDistinctKeys(v, keys, position)) return id;
  if (keys.empty()) {
    AppendKey(keys, position, KeyShape{kDistinctFillerWidth, 'C'}, false);
    position += kDistinctFillerWidth;
  }
  const std::uint32_t length = position - 1;
  v.Select().distinctRecordLength = length;
  const std::string duplicates = "DUPO(B" + std::to_string(length) + "," + std::to_string(kRowNumberWidth + 1) +
                                 "," + std::to_string(length - kRowNumberWidth) + ")";
  return InternSpecification(v, keys, duplicates, length, v.Select().distinctSpec);
}

}  // namespace

std::string KeyName(const ParseTree& tree, NodeIndex value) {
  if (IsTreeNode(tree, value) && tree.nodes[value].kind == kNodeColumnReference)
    return GetValueText(tree, tree.nodes[value].fields.columnReference.columnName);
  return "<expression>";
}

bool ShapeOfKey(const ValueCell& cell, KeyShape& shape) {
  const auto size = static_cast<std::uint32_t>(cell.size > 0 ? cell.size : 1);
  switch (cell.valueType) {
    // Room for the longest UTF-8 form of every character, blank-padded, so
    // no key is cut short of its text.
    case kValueCharacter:
      shape = {size * static_cast<std::uint32_t>(kMaxUtf8CharacterBytes), 'c'};
      return size <= kMaxKeyCharacters;
    // The bytes padded with zeros, then the length in two bytes, most
    // significant first: compared byte for byte that orders by content,
    // then by length, and the value reads back exactly.
    case kValueBinary: shape = {size + 2, 'b'}; return size <= kMaxKeyBytes;
    case kValueNumeric: shape = {size + 2, 'n'}; return true;
    case kValueInteger:
    case kValueDouble: shape = {8, 'e'}; return true;
    case kValueDate: shape = {10, 'c'}; return true;
    case kValueTime: shape = {8, 'c'}; return true;
    case kValueTimestamp: shape = {23, 'c'}; return true;
    default: return false;
  }
}

MessageId LayOutGroupColumns(StatementHandle& statement, ParseTree& tree, NodeIndex select) {
  SelectView v{statement, tree, select};
  std::uint32_t count = 0;
  for (NodeIndex item = v.Select().groupBy; item != kNoNode; item = v.Fields(item).groupItem.next) ++count;
  if (count > kMaxSortKeys) return kMsgGroupByTooManyColumns;
  std::uint32_t position = 1;
  for (NodeIndex item = v.Select().groupBy; item != kNoNode; item = v.Fields(item).groupItem.next) {
    const NodeIndex reference = v.Fields(item).groupItem.columnReference;
    KeyShape shape;
    if (!ShapeOfKey(v.Node(reference).cell, shape) || v.Node(reference).cell.valueType == kValueBinary) {
      statement.diagnostic.detailText = GetValueText(tree, v.Fields(reference).columnReference.columnName);
      return kMsgUnableToGroupByColumn;
    }
    ColumnReferenceFields& f = v.Fields(reference).columnReference;
    f.spoolPosition = position;
    f.spoolWidth = shape.width;
    position += shape.width + 1;
  }
  v.Select().keyLength = position - 1;
  return kMsgSuccess;
}

MessageId LayOutSelect(StatementHandle& statement, ParseTree& tree, NodeIndex select) {
  SelectView v{statement, tree, select};
  MessageId id = kMsgSuccess;
  if (v.Select().groupBy != kNoNode) id = LayOutGroupedRecord(v);
  else if (v.Select().aggregatesWithoutGroupBy != 0) LayOutAggregateRecord(v);
  else if (v.Select().orderBy != kNoNode) id = LayOutOrderedRecord(v);
  else LayOutRecordIds(v);
  if (id == kMsgSuccess && v.Select().distinct != 0) id = LayOutDistinctRecord(v);
  return id;
}
