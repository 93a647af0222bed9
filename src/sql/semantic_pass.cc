// The semantic pass's entry points and its machine: a loop over an explicit
// stack of frames that dispatches each node to the step of its kind.
#include "sql/semantic_pass.h"

#include "handles/statement_handle.h"
#include "platform/utf8_text.h"
#include "sql/bind_machine.h"

namespace {

MessageId DispatchStep(BindMachine& m, BindFrame& frame) {
  switch (m.Node(frame.node).kind) {
    case kNodeNone: frame.phase = kFrameDone; return kMsgSuccess;
    case kNodeRoot:
    case kNodeCreateTable:
    case kNodeAlterTableAdd:
    case kNodeDropTable:
    case kNodeInsert:
    case kNodeDelete:
    case kNodeUpdate:
    case kNodeSqlPseudo:
    case kNodeCreateIndex:
    case kNodeDropIndex: return StepStatement(m, frame);
    case kNodeSelect: return StepSelect(m, frame);
    case kNodeJoinItem: return StepJoinList(m, frame);
    case kNodeListItem:
    case kNodeInsertColumn:
    case kNodeSortItem:
    case kNodeGroupItem:
    case kNodeAssignment: return StepListChain(m, frame);
    case kNodeColumnDefinition: return StepColumnDefinitions(m, frame);
    case kNodeBoolean: return StepBoolean(m, frame);
    case kNodePredicate: return StepPredicate(m, frame);
    case kNodeArithmetic: return StepArithmetic(m, frame);
    case kNodeAggregate: return StepAggregate(m, frame);
    case kNodeTableReference: return StepTableReference(m, frame);
    case kNodeColumnReference: return StepColumnReference(m, frame);
    case kNodeScalarFunction: return StepScalarFunction(m, frame);
    case kNodeStringLiteral:
    case kNodeNumberLiteral:
    case kNodeParameter:
    case kNodeUser:
    case kNodeNull:
    case kNodeDateLiteral:
    case kNodeTimeLiteral:
    case kNodeTimestampLiteral: return StepLiteral(m, frame);
    default: return kMsgInternalError;
  }
}

}  // namespace

MessageId RunBindMachine(StatementHandle& statement, ParseTree& tree, const BindFrame& start) {
  if (start.node == kNoNode) return kMsgSuccess;
  if (start.node >= tree.nodes.size()) return kMsgInternalError;
  BindMachine m(statement, tree);
  m.frames.push_back(start);
  while (!m.frames.empty()) {
    BindFrame frame = m.frames.back();
    m.childRequested = false;
    if (MessageId id = DispatchStep(m, frame)) return id;
    m.frames.back() = frame;
    if (frame.phase == kFrameDone) m.frames.pop_back();
    if (!m.childRequested) continue;
    if (m.child.node >= tree.nodes.size()) return kMsgInternalError;
    m.frames.push_back(m.child);
  }
  return kMsgSuccess;
}

MessageId BindStatementTree(StatementHandle& statement, ParseTree& tree, NodeIndex node, std::uint8_t groupContext,
                            std::uint8_t caseSensitive, NodeIndex joinScope, NodeIndex enclosing) {
  return RunBindMachine(statement, tree,
                        BindFrame{node, BindContext{groupContext, caseSensitive, joinScope, enclosing}, 0, kNoNode, 0});
}

MessageId BindSelect(StatementHandle& statement, ParseTree& tree, NodeIndex select, std::uint8_t caseSensitive,
                     NodeIndex enclosing) {
  if (select == kNoNode) return kMsgSuccess;
  if (select >= tree.nodes.size() || tree.nodes[select].kind != kNodeSelect) return kMsgInternalError;
  return BindStatementTree(statement, tree, select, 0, caseSensitive, kNoNode, enclosing);
}

MessageId ResolveScalarFunction(StatementHandle& statement, ParseTree& tree, NodeIndex node,
                                std::uint8_t groupContext, std::uint8_t caseSensitive, NodeIndex joinScope,
                                NodeIndex enclosing) {
  if (node == kNoNode) return kMsgSuccess;
  if (node >= tree.nodes.size() || tree.nodes[node].kind != kNodeScalarFunction) return kMsgInternalError;
  return BindStatementTree(statement, tree, node, groupContext, caseSensitive, joinScope, enclosing);
}

void AggregateName(StatementHandle& statement, std::uint16_t code) {
  static const char* const kNames[] = {"", "AVG", "COUNT", "MAX", "MIN", "SUM"};
  statement.diagnostic.detailText = code <= kAggregateSum ? kNames[code] : "";
}


MessageId ReserveBuffer(ParseTree& tree, std::uint64_t size, ValueIndex& out) {
  out = AddValueBuffer(tree, size);
  return out == kNoValue ? kMsgMemoryAllocation : kMsgSuccess;
}

std::uint64_t TextBufferBytes(std::int32_t characters) {
  return static_cast<std::uint64_t>(std::max<std::int32_t>(characters, 0)) * kMaxUtf8CharacterBytes + 1;
}
