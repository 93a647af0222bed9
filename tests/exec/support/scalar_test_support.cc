// Literal loading, a stack-driven evaluation of call trees, and value texts.
#include "scalar_test_support.h"

#include <vector>

#include "common/datetime_text.h"
#include "common/number_text.h"
#include "exec/scalar_functions.h"
#include "sql/scalar_function_table.h"

namespace {

MessageId LoadLiteral(ParseTree& tree, NodeIndex node) {
  ParseNode& n = tree.nodes[node];
  n.cell.nullFlag = 0;
  n.cell.bytes.clear();
  switch (n.kind) {
    case kNodeStringLiteral: n.cell.bytes = GetValueText(tree, n.fields.stringLiteral.text); return kMsgSuccess;
    case kNodeNumberLiteral:
      if (n.cell.valueType == kValueNumeric) n.cell.bytes = GetValueText(tree, n.fields.numberLiteral.text);
      else n.cell.value.number = n.fields.numberLiteral.number;
      return kMsgSuccess;
    case kNodeDateLiteral: n.cell.value.date = n.fields.dateLiteral.date; return kMsgSuccess;
    case kNodeTimeLiteral: n.cell.value.time = n.fields.timeLiteral.time; return kMsgSuccess;
    case kNodeTimestampLiteral: n.cell.value.timestamp = n.fields.timestampLiteral.timestamp; return kMsgSuccess;
    case kNodeNull: n.cell.nullFlag = 1; return kMsgSuccess;
    default: return kMsgInternalError;
  }
}

struct Frame {
  NodeIndex node;
  NodeIndex nextItem;   // the next argument item still to evaluate
  NodeIndex lastValue;  // the argument evaluated last
};

NodeIndex FirstArgumentItem(const ParseTree& tree, NodeIndex node) {
  const ParseNode& n = tree.nodes[node];
  return n.kind == kNodeScalarFunction ? n.fields.scalarFunction.firstArgument : kNoNode;
}

}  // namespace

MessageId EvaluateTestExpression(StatementHandle& statement, ParseTree& tree, NodeIndex expression,
                                 const ColumnLoader& loadColumn) {
  std::vector<Frame> stack{{expression, FirstArgumentItem(tree, expression), kNoNode}};
  while (!stack.empty()) {
    Frame& top = stack.back();
    const ParseNode& node = tree.nodes[top.node];
    if (node.kind != kNodeScalarFunction) {
      MessageId id = node.kind == kNodeColumnReference ? loadColumn(tree, top.node) : LoadLiteral(tree, top.node);
      if (id != kMsgSuccess) return id;
      stack.pop_back();
      continue;
    }
    const bool stopped = top.lastValue != kNoNode && tree.nodes[top.lastValue].cell.nullFlag != 0 &&
                         node.fields.scalarFunction.functionRow != kFnIfNull;
    if (top.nextItem != kNoNode && !stopped) {
      const NodeIndex item = top.nextItem;
      top.nextItem = tree.nodes[item].fields.listItem.next;
      top.lastValue = tree.nodes[item].fields.listItem.value;
      const NodeIndex value = top.lastValue;
      stack.push_back(Frame{value, FirstArgumentItem(tree, value), kNoNode});
      continue;
    }
    if (MessageId id = CallScalarFunction(statement, tree, top.node)) return id;
    stack.pop_back();
  }
  return kMsgSuccess;
}

NodeIndex FirstSelectExpression(const ParseTree& tree) {
  if (tree.nodes.empty()) return kNoNode;
  const NodeIndex select = tree.nodes[0].fields.root.statementNode;
  if (select == kNoNode || tree.nodes[select].kind != kNodeSelect) return kNoNode;
  const NodeIndex item = tree.nodes[select].fields.select.selectList;
  return item == kNoNode ? kNoNode : tree.nodes[item].fields.listItem.value;
}

std::string ShowValue(const ValueCell& cell) {
  if (cell.nullFlag != 0) return "NULL";
  char work[64];
  switch (cell.valueType) {
    case kValueCharacter:
    case kValueNumeric: return "'" + cell.bytes + "'";
    case kValueInteger:
    case kValueDouble: FormatDoubleText(cell.value.number, true, work, sizeof work); return work;
    case kValueDate: FormatDateText(cell.value.date, work); return work;
    case kValueTime: FormatTimeText(cell.value.time, work); return work;
    case kValueTimestamp: FormatTimestampText(cell.value.timestamp, work); return work;
    case kValueBinary: {
      static constexpr char kHex[] = "0123456789ABCDEF";
      std::string text = "0x";
      for (const char c : cell.bytes) {
        text += kHex[static_cast<unsigned char>(c) >> 4];
        text += kHex[static_cast<unsigned char>(c) & 15];
      }
      return text;
    }
    default: return "<untyped>";
  }
}

std::string ShowShape(const ValueCell& cell) {
  return std::to_string(cell.sqlType) + " size " + std::to_string(cell.size) + " digits " +
         (cell.digits == kNoDigits ? std::string("-") : std::to_string(cell.digits));
}
