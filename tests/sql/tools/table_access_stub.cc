// Table access as the parser's tools see it: the tree release hands cursors
// back here, and parsing alone never opens one.
#include <sqlext.h>  // ahead of table_cursor.h, whose column defaults use its constants

#include "tables/table_cursor.h"

MessageId ApplyFlushCacheCommand(TableCursor*) { return kMsgSuccess; }
