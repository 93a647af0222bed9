// Placeholder definitions of the result passes, until they are built.
#include "exec/result_passes.h"

MessageId BuildSortedResult(StatementHandle&, ParseTree&, NodeIndex) { return kMsgNotSupported; }
MessageId AggregateGroups(StatementHandle&, ParseTree&, NodeIndex) { return kMsgNotSupported; }
MessageId RemoveDuplicateRows(StatementHandle&, ParseTree&, NodeIndex) { return kMsgNotSupported; }
MessageId RemoveDuplicateRecordIds(StatementHandle&, ParseTree&, NodeIndex, NodeIndex) { return kMsgNotSupported; }
MessageId BuildKeysetFile(StatementHandle&, ParseTree&, NodeIndex) { return kMsgNotSupported; }
