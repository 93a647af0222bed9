// Placeholder definitions of the catalog rows until the catalog functions
// produce them: no catalog function sets a catalog statement kind yet, so a
// catalog result is always empty.
#include "odbc/catalog_rows.h"

SQLRETURN AdvanceCatalogRow(StatementHandle&) { return SQL_NO_DATA; }

MessageId ReadCatalogValue(StatementHandle&, std::uint16_t, CatalogValue&) { return kMsgInvalidCursorState; }
