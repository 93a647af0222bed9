// Keeping, row by row of the rowset, the bytes each bound column was left
// holding, and comparing a buffer with them byte for byte: 'abc' changed to
// 'ABC' is a change, though SQL's comparison would call them equal.
#include "odbc/delivered_values.h"

#include <sqlext.h>

#include <memory>

#include "handles/descriptor_handle.h"
#include "handles/statement_handle.h"
#include "sql/parse_tree.h"

namespace {

bool BindsNothing(const DescriptorRecord& r) {
  return r.dataPointer == nullptr && r.lengthPointer == nullptr && r.indicatorPointer == nullptr;
}

// The row's entry, made when a later call reaches further than the fetch did.
DeliveredRow* RowAt(StatementHandle& statement, std::int64_t rowIndex) {
  DeliveredRowset* rowset = statement.deliveredRowset.get();
  if (rowset == nullptr || rowIndex < 0) return nullptr;
  const auto index = static_cast<std::size_t>(rowIndex);
  if (index >= rowset->rows.size()) rowset->rows.resize(index + 1);
  return &rowset->rows[index];
}

const DeliveredCell* CellOf(const DeliveredRow& row, std::uint16_t number) {
  for (const DeliveredCell& cell : row.cells)
    if (cell.number == number) return &cell;
  return nullptr;
}

void StoreCell(DeliveredRowset& rowset, DeliveredCell& cell, const BoundElement& element) {
  cell.kind = element.kind;
  cell.cType = element.cType;
  cell.length = element.length;
  cell.offset = rowset.bytes.size();
  cell.size = element.bytes.size();
  rowset.bytes.append(element.bytes);
}

// The select item's type, which SQL_C_DEFAULT follows; false for a column
// beyond the select list, which no write takes.
bool ItemSqlType(const StatementHandle& statement, std::uint16_t number, SQLSMALLINT& sqlType) {
  const ParseTree& tree = *statement.parseTree;
  const NodeIndex item = ResultColumnItem(tree, number);
  if (item == kNoNode) return false;
  sqlType = tree.nodes[tree.nodes[item].fields.listItem.value].cell.sqlType;
  return true;
}

}  // namespace

void StartDeliveredRowset(StatementHandle& statement, std::int64_t rows) {
  const bool updatable = statement.statementKind == kStatementQueryResult && statement.parseTree != nullptr &&
                         statement.concurrency != SQL_CONCUR_READ_ONLY;
  if (!updatable) {
    statement.deliveredRowset.reset();
    return;
  }
  if (statement.deliveredRowset == nullptr) statement.deliveredRowset = std::make_shared<DeliveredRowset>();
  DeliveredRowset& rowset = *statement.deliveredRowset;
  rowset.bytes.clear();
  for (DeliveredRow& row : rowset.rows) {
    row.known = false;
    row.cells.clear();
  }
  rowset.rows.resize(static_cast<std::size_t>(rows > 0 ? rows : 0));
}

void KeepDeliveredRow(StatementHandle& statement, std::int64_t rowIndex) {
  DeliveredRow* row = RowAt(statement, rowIndex);
  if (row == nullptr) return;
  row->cells.clear();
  for (const DescriptorRecord* r = statement.currentArd->records; r != nullptr; r = r->nextRecord) {
    SQLSMALLINT sqlType = 0;
    if (r->number == 0 || BindsNothing(*r) || !ItemSqlType(statement, r->number, sqlType)) continue;
    DeliveredCell cell;
    cell.number = r->number;
    StoreCell(*statement.deliveredRowset, cell, ReadBoundElement(statement, *r, sqlType, rowIndex));
    row->cells.push_back(cell);
  }
  row->known = true;
}

void ForgetDeliveredRow(StatementHandle& statement, std::int64_t rowIndex) {
  if (DeliveredRow* row = RowAt(statement, rowIndex)) row->known = false;
}

void KeepWrittenElement(StatementHandle& statement, std::int64_t rowIndex, std::uint16_t number,
                        const BoundElement& element) {
  DeliveredRow* row = RowAt(statement, rowIndex);
  if (row == nullptr || !row->known) return;
  for (DeliveredCell& cell : row->cells)
    if (cell.number == number) {
      StoreCell(*statement.deliveredRowset, cell, element);
      return;
    }
  DeliveredCell cell;
  cell.number = number;
  StoreCell(*statement.deliveredRowset, cell, element);
  row->cells.push_back(cell);
}

bool HoldsDeliveredElement(const StatementHandle& statement, std::int64_t rowIndex, std::uint16_t number,
                           const BoundElement& element) {
  const DeliveredRowset* rowset = statement.deliveredRowset.get();
  if (rowset == nullptr || rowIndex < 0 || static_cast<std::size_t>(rowIndex) >= rowset->rows.size()) return false;
  const DeliveredRow& row = rowset->rows[static_cast<std::size_t>(rowIndex)];
  const DeliveredCell* cell = row.known ? CellOf(row, number) : nullptr;
  if (cell == nullptr || cell->kind != element.kind || cell->cType != element.cType) return false;
  // Data at execution always asks for its value; an ignored column is not written.
  if (element.kind == BoundElementKind::kDeferred || element.kind == BoundElementKind::kIgnored) return false;
  // A cut value is the fetch's only while its length still says how long the
  // whole value was.
  if (element.kind == BoundElementKind::kOverlong && cell->length != element.length) return false;
  return std::string_view(rowset->bytes).substr(cell->offset, cell->size) == element.bytes;
}
