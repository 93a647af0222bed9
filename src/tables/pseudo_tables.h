// The two tables that live inside the driver: the connection-settings table
// ("TARVOX CONNECTION CONFIG", columns qPARAMETER and qVALUE) and "@@identity"
// (the record id of the last flushed import). OpenTable, the row readers and
// the row writers hand these cursors here.
#pragma once

#include <string>

#include <sqltypes.h>

#include "common/message_ids.h"
#include "tables/table_cursor.h"

// The pseudo-table a name denotes (names compare with A-Z folded).
PseudoTable PseudoTableOfName(const std::string& tableName);
void OpenPseudoTable(PseudoTable kind, TableCursor& cursor);

MessageId StartPseudoSelect(TableCursor& cursor);
MessageId FetchNextPseudoRow(TableCursor& cursor);
MessageId PositionOnPseudoRow(TableCursor& cursor, std::uint32_t recordId);
// True while the cursor stands on one of the rows its last select listed.
bool OnPseudoRow(const TableCursor& cursor);
// The current row's value of the column as text (settings) or integer (identity).
MessageId GetPseudoColumnData(TableCursor& cursor, std::uint16_t column, SQLLEN* pieceOffset,
                              SQLSMALLINT cType, void* target, SQLLEN targetLength, SQLLEN* outLength);
// Writing settings rows: an insert or an update sets the key (an update of
// qPARAMETER alone renames it), a deletion removes it. A flush command runs
// as it is written: its failure is the write's.
MessageId WritePseudoRow(TableCursor& cursor);
MessageId DeletePseudoRow(TableCursor& cursor);
