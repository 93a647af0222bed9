// The explicit-stack machine of the semantic pass. Every node kind is bound
// by a step function that runs in phases: a phase may ask for one child to
// be bound before the next phase runs, so no walk recurses per node and an
// a + b + c + ... chain of any length binds in constant native stack.
#pragma once

#include <cstdint>
#include <vector>

#include "common/message_ids.h"
#include "sql/parse_tree.h"

struct StatementHandle;

struct BindContext {
  std::uint8_t groupContext = 0;
  std::uint8_t caseSensitive = 0;
  NodeIndex joinScope = kNoNode;
  NodeIndex enclosing = kNoNode;
};

inline constexpr std::uint16_t kFrameDone = 0xFFFF;

// One node being bound. phase counts the step's progress; cursor and count
// are the step's own working values (the chain item it is at, a counter).
struct BindFrame {
  NodeIndex node = kNoNode;
  BindContext context;
  std::uint16_t phase = 0;
  NodeIndex cursor = kNoNode;
  std::uint32_t count = 0;
};

struct BindMachine {
  StatementHandle& statement;
  ParseTree& tree;
  std::vector<BindFrame> frames;
  bool childRequested = false;
  BindFrame child;

  BindMachine(StatementHandle& s, ParseTree& t) : statement(s), tree(t) {}

  ParseNode& Node(NodeIndex index) { return tree.nodes[index]; }
  NodeFields& Fields(NodeIndex index) { return tree.nodes[index].fields; }

  // Asks for node to be bound, with context, before the asking frame's next
  // phase. A none node is bound at once (nothing to do). Returns 0 so a step
  // can end with "return machine.Bind(...)".
  MessageId Bind(NodeIndex node, const BindContext& context) {
    childRequested = node != kNoNode;
    child = BindFrame{node, context, 0, kNoNode, 0};
    return kMsgSuccess;
  }
};

// Runs the machine from one starting frame until it and everything it asked
// for are bound, or the first failure.
MessageId RunBindMachine(StatementHandle& statement, ParseTree& tree, const BindFrame& start);

// The step functions, one per group of node kinds. Each takes its frame by
// reference (a copy the machine writes back), advances frame.phase and sets
// it to kFrameDone when the node is bound.
MessageId StepStatement(BindMachine& m, BindFrame& frame);       // root, DDL, INSERT, UPDATE, DELETE, indexes
MessageId StepListChain(BindMachine& m, BindFrame& frame);       // list, insert-column, sort, group, assignment items
MessageId StepJoinList(BindMachine& m, BindFrame& frame);        // a FROM list of join items
MessageId StepTableReference(BindMachine& m, BindFrame& frame);
MessageId StepColumnDefinitions(BindMachine& m, BindFrame& frame);
MessageId StepSelect(BindMachine& m, BindFrame& frame);
MessageId StepBoolean(BindMachine& m, BindFrame& frame);
MessageId StepPredicate(BindMachine& m, BindFrame& frame);
MessageId StepArithmetic(BindMachine& m, BindFrame& frame);
MessageId StepAggregate(BindMachine& m, BindFrame& frame);
MessageId StepColumnReference(BindMachine& m, BindFrame& frame);
MessageId StepScalarFunction(BindMachine& m, BindFrame& frame);
MessageId StepLiteral(BindMachine& m, BindFrame& frame);         // literals, parameters, USER, NULL

// Shared by the steps.
MessageId ReserveBuffer(ParseTree& tree, std::uint64_t size, ValueIndex& out);
// The buffer a text value of that many characters needs: room for the
// longest UTF-8 form of each and the terminating NUL.
std::uint64_t TextBufferBytes(std::int32_t characters);
