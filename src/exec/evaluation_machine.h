// The explicit-stack machine behind EvaluateRowExpression. Each node kind is
// evaluated by a step function that runs in phases: a phase may ask for one
// operand to be evaluated before the next phase runs, so no walk recurses
// per node and chains of any length evaluate in constant native stack.
#pragma once

#include <cstdint>
#include <vector>

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

inline constexpr std::uint16_t kEvalDone = 0xFFFF;

// One node being evaluated. phase counts the step's progress; cursor is the
// link of a chain the step is at (an AND node, a list item, an argument);
// the rest is what a step remembers between its phases.
struct EvalFrame {
  NodeIndex node = kNoNode;
  std::uint16_t phase = 0;
  NodeIndex cursor = kNoNode;
  std::uint8_t sawNull = 0;  // an operand or a sub-select row was NULL
  std::uint8_t held = 0;     // a single-row sub-select's comparison held
  std::uint32_t rows = 0;    // rows a sub-select produced so far
};

struct EvalMachine {
  StatementHandle& statement;
  ParseTree& tree;
  std::vector<EvalFrame> frames;
  bool childRequested = false;
  NodeIndex child = kNoNode;
  // A value was cut on the way (1002): evaluation goes on and the caller
  // learns it at the end.
  bool truncated = false;

  EvalMachine(StatementHandle& s, ParseTree& t) : statement(s), tree(t) {}

  ParseNode& Node(NodeIndex index) { return tree.nodes[index]; }
  NodeFields& Fields(NodeIndex index) { return tree.nodes[index].fields; }
  ValueCell& Cell(NodeIndex index) { return tree.nodes[index].cell; }

  // Asks for node to be evaluated before the asking frame's next phase.
  // Returns 0 so a step can end with "return m.Evaluate(...)".
  MessageId Evaluate(NodeIndex node) {
    childRequested = true;
    child = node;
    return kMsgSuccess;
  }

  // 1002 is remembered as a warning; every other id passes through.
  MessageId Note(MessageId id) {
    if (id != kMsgDataTruncated) return id;
    truncated = true;
    return kMsgSuccess;
  }
};

// The step functions. Each advances frame.phase and sets it to kEvalDone
// once the node's cell holds its value.
MessageId StepBoolean(EvalMachine& m, EvalFrame& frame);
MessageId StepPredicate(EvalMachine& m, EvalFrame& frame);
MessageId StepArithmetic(EvalMachine& m, EvalFrame& frame);
MessageId StepAggregate(EvalMachine& m, EvalFrame& frame);
MessageId StepScalarFunction(EvalMachine& m, EvalFrame& frame);
MessageId StepColumnReference(EvalMachine& m, EvalFrame& frame);
MessageId StepLiteral(EvalMachine& m, EvalFrame& frame);  // literals, parameters, USER, NULL

// Shared by the steps.
inline bool IsSelectNode(const ParseTree& tree, NodeIndex node) {
  return IsTreeNode(tree, node) && tree.nodes[node].kind == kNodeSelect;
}

// True when the node's value is read back from its owning SELECT's DISTINCT
// record: the SELECT's rows are DISTINCT records and the node has a place
// in them (width 0: it has none, being no select item of its own).
inline bool ReadsDistinctRecord(const ParseTree& tree, NodeIndex owner, std::uint32_t width) {
  return IsSelectNode(tree, owner) && tree.nodes[owner].fields.select.distinctRows != 0 && width != 0;
}

// The value types a computed node (arithmetic, aggregate, column, function)
// may have: 1003 for an unknown type, 1019 for binary arithmetic or
// aggregates.
MessageId CheckResultType(std::uint16_t kind, std::int16_t valueType);

// A condition's results.
inline void SetTruth(ValueCell& cell, bool truth) {
  cell.nullFlag = 0;
  cell.value.number = truth ? 1.0 : 0.0;
}
inline void SetUnknown(ValueCell& cell) {
  cell.nullFlag = 1;
  cell.value.number = 0.0;
}
inline bool IsTrue(const ValueCell& cell) { return cell.nullFlag == 0 && cell.value.number != 0.0; }
inline bool IsFalse(const ValueCell& cell) { return cell.nullFlag == 0 && cell.value.number == 0.0; }
