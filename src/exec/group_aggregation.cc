// AggregateGroups, the second pass of GROUP BY and aggregates: reads the
// sorted records in order, folds each run of records in one group into its
// first record, drops groups that fail HAVING and writes one group record
// per group; ORDER BY items that exist only per group are computed then,
// and the group records sorted by them.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "exec/expression_evaluation.h"
#include "exec/record_block_reader.h"
#include "exec/result_passes.h"
#include "exec/result_records.h"
#include "exec/row_sources.h"
#include "exec/sort_keys.h"
#include "platform/files.h"

namespace {

struct GroupPass {
  StatementHandle& statement;
  ParseTree& tree;
  NodeIndex select;
  std::uint32_t length = 0;
  std::vector<NodeIndex> aggregates;
  std::vector<double> averageCounts;  // non-NULL values of each AVG so far
  std::vector<RecordSlot> perGroup;
  bool grouped = false;
  SortSpec groupOrder;  // the sort that brought the groups together
  std::vector<unsigned char> groupKey;
  std::vector<unsigned char> nextKey;
  std::vector<unsigned char> group;
  InMemoryRow row;
  SpoolWriter output;
  std::uint32_t written = 0;
  NodeIndex cutOrderKey = kNoNode;  // the first per-group ORDER BY value cut to its place

  GroupPass(StatementHandle& s, ParseTree& t, NodeIndex n) : statement(s), tree(t), select(n), row(t, n) {}
  const SelectFields& Select() const { return tree.nodes[select].fields.select; }
  const AggregateFields& Aggregate(std::size_t i) const { return tree.nodes[aggregates[i]].fields.aggregate; }
};

MessageId PreparePass(GroupPass& p) {
  const SelectFields& f = p.Select();
  p.length = f.sortRecordLength;
  for (NodeIndex node = f.aggregateList; node != kNoNode; node = p.tree.nodes[node].fields.aggregate.nextAggregate)
    p.aggregates.push_back(node);
  p.averageCounts.assign(p.aggregates.size(), 0.0);
  p.perGroup = PerGroupOrderSlots(p.tree, p.select);
  p.grouped = f.groupBy != kNoNode;
  if (p.grouped) {
    // Records are one group when the sort finds them equal: NULLs together,
    // apart from '' and 0, and case variants of a text together.
    if (f.sortSpec == kNoValue || ParseSortSpec(GetValueText(p.tree, f.sortSpec), p.groupOrder) != kMsgSuccess)
      return kMsgInternalError;
    p.groupKey.resize(NormalizedKeyLength(p.groupOrder));
    p.nextKey.resize(p.groupKey.size());
  }
  p.group.resize(p.length);
  return OpenStatementSpool(p.statement, p.output, kMsgUnableToGroupBy);
}

bool IsMarker(unsigned char marker) { return marker == kSpoolValueMarker || marker == kSpoolNullMarker; }

bool HasValue(const unsigned char* value, std::uint32_t width) { return value[width] == kSpoolValueMarker; }

MessageId CheckMarkers(const GroupPass& p, const unsigned char* record) {
  for (std::size_t i = 0; i < p.aggregates.size(); ++i) {
    const AggregateFields& f = p.Aggregate(i);
    if (!IsMarker(record[f.groupPosition - 1 + f.groupWidth])) return kMsgUnableToGroupBy;
  }
  return kMsgSuccess;
}

void StartGroup(GroupPass& p, const unsigned char* record) {
  std::memcpy(p.group.data(), record, p.length);
  for (std::size_t i = 0; i < p.aggregates.size(); ++i) {
    const AggregateFields& f = p.Aggregate(i);
    p.averageCounts[i] = HasValue(record + f.groupPosition - 1, f.groupWidth) ? 1.0 : 0.0;
  }
  if (p.grouped) NormalizeSortKeys(p.groupOrder, record, p.groupKey.data());
}

bool SameGroup(GroupPass& p, const unsigned char* record) {
  if (!p.grouped) return true;
  NormalizeSortKeys(p.groupOrder, record, p.nextKey.data());
  return std::memcmp(p.nextKey.data(), p.groupKey.data(), p.groupKey.size()) == 0;
}

double ReadNumber(const unsigned char* bytes) {
  double value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

MessageId FoldNumber(const AggregateFields& f, double& count, unsigned char* kept, const unsigned char* next) {
  const double a = ReadNumber(kept);
  const double b = ReadNumber(next);
  double result = a;
  switch (f.code) {
    case kAggregateAvg: result = a + b; count += 1; break;
    case kAggregateCount:
    case kAggregateSum: result = a + b; break;
    case kAggregateMax: result = b > a ? b : a; break;
    case kAggregateMin: result = b < a ? b : a; break;
    default: return kMsgSuccess;
  }
  // A sum no double holds is refused, as the arithmetic refuses it.
  if (!std::isfinite(result) && std::isfinite(a) && std::isfinite(b)) return kMsgOutOfRange;
  std::memcpy(kept, &result, sizeof result);
  return kMsgSuccess;
}

// Texts, dates and times keep the greater or smaller value byte for byte.
MessageId FoldBytes(const AggregateFields& f, unsigned char* kept, const unsigned char* next) {
  const int order = std::memcmp(next, kept, f.groupWidth);
  switch (f.code) {
    case kAggregateMax: if (order > 0) std::memcpy(kept, next, f.groupWidth); return kMsgSuccess;
    case kAggregateMin: if (order < 0) std::memcpy(kept, next, f.groupWidth); return kMsgSuccess;
    default: return kMsgInternalError;
  }
}

// Decimal texts compare and add exactly. A sum longer than the field is
// refused (1011) rather than written past it.
MessageId FoldNumeric(const AggregateFields& f, const ValueCell& type, unsigned char* kept, const unsigned char* next) {
  ValueCell a = type;
  ValueCell b = type;
  if (MessageId id = DecodeSpooledValue(kept, f.groupWidth, a)) return id;
  if (MessageId id = DecodeSpooledValue(next, f.groupWidth, b)) return id;
  ValueCell result = type;
  result.nullFlag = 0;
  switch (f.code) {
    case kAggregateMax:
    case kAggregateMin: {
      result.valueType = kValueInteger;
      if (MessageId id = CompareNumericValues(result, a, f.code == kAggregateMax ? kOpLess : kOpGreater, b)) return id;
      if (result.value.number == 1.0) std::memcpy(kept, next, f.groupWidth);
      return kMsgSuccess;
    }
    case kAggregateSum:
      if (MessageId id = ApplyArithmetic(result, a, kOpAdd, &b)) return id;
      return EncodeSpooledValue(result, f.groupWidth, kept);
    default: return kMsgInternalError;
  }
}

MessageId FoldAggregate(GroupPass& p, std::size_t i, const unsigned char* record) {
  const AggregateFields& f = p.Aggregate(i);
  if (f.code < kAggregateAvg || f.code > kAggregateSum) return kMsgSuccess;
  unsigned char* kept = p.group.data() + f.groupPosition - 1;
  const unsigned char* next = record + f.groupPosition - 1;
  if (!HasValue(next, f.groupWidth)) return kMsgSuccess;
  if (!HasValue(kept, f.groupWidth)) {
    std::memcpy(kept, next, f.groupWidth + 1);
    p.averageCounts[i] = 1.0;
    return kMsgSuccess;
  }
  const ValueCell& type = p.tree.nodes[p.aggregates[i]].cell;
  switch (type.valueType) {
    case kValueInteger:
    case kValueDouble: return FoldNumber(f, p.averageCounts[i], kept, next);
    case kValueCharacter:
    case kValueDate:
    case kValueTime:
    case kValueTimestamp: return FoldBytes(f, kept, next);
    case kValueNumeric: return FoldNumeric(f, type, kept, next);
    default: return kMsgInternalError;
  }
}

void FinishAverages(GroupPass& p) {
  for (std::size_t i = 0; i < p.aggregates.size(); ++i) {
    const AggregateFields& f = p.Aggregate(i);
    unsigned char* value = p.group.data() + f.groupPosition - 1;
    if (f.code != kAggregateAvg || !HasValue(value, f.groupWidth) || p.averageCounts[i] == 0.0) continue;
    const double average = ReadNumber(value) / p.averageCounts[i];
    std::memcpy(value, &average, sizeof average);
  }
}

MessageId WriteGroup(GroupPass& p) {
  ++p.written;
  return WriteSpoolBytes(p.output, p.group.data(), p.length) < 0 ? kMsgUnableToGroupBy : kMsgSuccess;
}

// The complete group: its averages, its per-group ORDER BY values, HAVING.
MessageId FinishGroup(GroupPass& p) {
  FinishAverages(p);
  const NodeIndex having = p.Select().having;
  if (p.perGroup.empty() && having == kNoNode) return WriteGroup(p);
  if (MessageId id = p.row.Show(p.group.data(), p.length)) return id;
  NodeIndex cut = kNoNode;
  if (MessageId id = PutSlotValues(p.statement, p.tree, p.perGroup, p.group.data(), cut)) return id;
  if (p.cutOrderKey == kNoNode) p.cutOrderKey = cut;
  if (having != kNoNode) {
    const MessageId id = EvaluateRowExpression(p.statement, p.tree, having);
    if (id != kMsgSuccess && id != kMsgDataTruncated) return id;
    if (!IsTrue(p.tree, having)) return kMsgSuccess;
  }
  return WriteGroup(p);
}

MessageId FoldRecords(GroupPass& p) {
  const SelectFields& f = p.Select();
  RecordBlockReader reader(f.resultFile, p.length, f.rowCount, kSpoolBufferSize);
  const unsigned char* record = reader.Next();
  if (record == nullptr) return kMsgUnableToGroupBy;
  if (MessageId id = CheckMarkers(p, record)) return id;
  StartGroup(p, record);
  while ((record = reader.Next()) != nullptr) {
    if (MessageId id = CheckMarkers(p, record)) return id;
    if (SameGroup(p, record)) {
      for (std::size_t i = 0; i < p.aggregates.size(); ++i) {
        if (MessageId id = FoldAggregate(p, i, record)) return id;
      }
      continue;
    }
    if (MessageId id = FinishGroup(p)) return id;
    StartGroup(p, record);
  }
  if (reader.left != 0) return kMsgUnableToGroupBy;
  return FinishGroup(p);
}

MessageId InstallGroups(GroupPass& p) {
  if (CloseSpoolWriter(p.output) != 0) return kMsgUnableToGroupBy;
  std::uint32_t count = p.written;
  const ValueIndex order = p.Select().groupOrderSpec;
  if (order != kNoValue && count > 1) {
    if (SortInPlace(p.output, GetValueText(p.tree, order), count) != kMsgSuccess) return kMsgUnableToGroupBy;
  }
  if (InstallResultFile(p.tree, p.select, p.output, 0) != kMsgSuccess) return kMsgUnableToGroupBy;
  p.tree.nodes[p.select].fields.select.rowCount = count;
  return kMsgSuccess;
}

}  // namespace

MessageId AggregateGroups(StatementHandle& statement, ParseTree& tree, NodeIndex select) {
  const SelectFields& f = tree.nodes[select].fields.select;
  if (f.rowCount == 0 || f.resultFile == kNoResultFile) return kMsgSuccess;
  GroupPass pass(statement, tree, select);
  if (MessageId id = PreparePass(pass)) return id;
  if (MessageId id = FoldRecords(pass)) return id;
  if (MessageId id = InstallGroups(pass)) return id;
  return pass.cutOrderKey == kNoNode ? kMsgSuccess : WarnCutOrderKey(statement, tree, pass.cutOrderKey);
}
