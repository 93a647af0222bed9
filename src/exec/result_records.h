// What the result passes share: the row numbers and record ids their
// records carry, a row's values written at their places in a record, the
// sorts that carry a pass's file on, and the in-memory row through which
// evaluation reads a record that is not in the result file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/message_ids.h"
#include "exec/spool_files.h"
#include "sql/parse_tree.h"

struct StatementHandle;

// A value of the row at its place in a record: position is 1-based, and
// the value takes width bytes and its marker.
struct RecordSlot {
  NodeIndex node = kNoNode;
  std::uint32_t position = 0;
  std::uint32_t width = 0;
};

// The row's ordinal in kRowNumberWidth decimal digits, zero-padded, so that
// records sort back into the order they were written in.
void PutRowNumber(std::uint64_t ordinal, unsigned char* out);

// The record id of each FROM table's current row, 4 bytes each in FROM
// order from the SELECT's record-id position of the record (length bytes);
// kNullRowRecordId for a table in its NULL row. 0; 1019 when the ids would
// not fit the record; or the failure of table access (posted into the
// statement).
MessageId PutRecordIds(StatementHandle& statement, ParseTree& tree, NodeIndex select, unsigned char* record,
                       std::uint32_t length);

// Evaluates each slot's node for the current row and encodes its value into
// the record. A value cut on the way (1002) is written as cut. A text longer
// than its slot (stored before its column's size was lowered) is written cut
// too, and cut names the first such slot's node; kNoNode when none was. 0, or
// the failure of evaluation or encoding.
MessageId PutSlotValues(StatementHandle& statement, ParseTree& tree, const std::vector<RecordSlot>& slots,
                        unsigned char* record, NodeIndex& cut);

// True when the value is a text whose slot of width bytes would lose more
// than trailing blanks, which never make texts differ.
bool TextExceedsWidth(const ValueCell& value, std::uint32_t width);

// A key that can't hold its value whole: 1107, the value's column named.
MessageId RefuseLongKey(StatementHandle& statement, const ParseTree& tree, NodeIndex value);

// Rows ordered by the first characters of a value: 1106, its column named.
MessageId WarnCutOrderKey(StatementHandle& statement, const ParseTree& tree, NodeIndex value);

// The ORDER BY items of a grouped SELECT whose values exist only per group
// (neither GROUP BY columns nor aggregates), at their places in the group
// record.
std::vector<RecordSlot> PerGroupOrderSlots(const ParseTree& tree, NodeIndex select);

// Sorts the file of from, whose writer is closed, into a new temporary file
// that to then holds (its writer closed too), and closes from's file, which
// deletes it. 0, or 1046 with both deleted.
MessageId SortIntoNewFile(SpoolWriter& from, std::string_view order, SpoolWriter& to, std::uint32_t& count);

// Sorts the file of writer, whose writer is closed, in place: 0, or 1046.
MessageId SortInPlace(SpoolWriter& writer, std::string_view order, std::uint32_t& count);

// The sort text that puts records of this length back in the order of
// their leading row numbers.
std::string RestoreOrderText(std::uint32_t recordLength);

// Lends records to evaluation as the SELECT's in-memory row. Whatever way
// the pass ends, the SELECT reads its result file again afterwards and the
// tree loses the buffer.
struct InMemoryRow {
  ParseTree& tree;
  NodeIndex select;
  ValueIndex buffer = kNoValue;

  InMemoryRow(ParseTree& t, NodeIndex s) : tree(t), select(s) {}
  InMemoryRow(const InMemoryRow&) = delete;
  InMemoryRow& operator=(const InMemoryRow&) = delete;
  ~InMemoryRow();

  // Makes the record the row that evaluation reads: 0, or 1001 when no
  // buffer could be added to the tree.
  MessageId Show(const unsigned char* record, std::size_t length);
};
