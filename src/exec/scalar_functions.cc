// The scalar-function frame and dispatch by table row.
#include "exec/scalar_functions.h"

#include <new>

#include "exec/convert_function.h"
#include "exec/datetime_functions.h"
#include "exec/numeric_functions.h"
#include "exec/scalar_call.h"
#include "exec/string_functions.h"
#include "exec/system_functions.h"
#include "handles/statement_handle.h"

namespace {

inline constexpr std::uint16_t kLastStringRow = kFnUCase;
inline constexpr std::uint16_t kLastNumericRow = kFnTruncateInteger;
inline constexpr std::uint16_t kLastDateTimeRow = kFnYearTimestamp;

bool IsScalarCall(const ParseTree& tree, NodeIndex node) {
  return node < tree.nodes.size() && tree.nodes[node].kind == kNodeScalarFunction &&
         tree.nodes[node].fields.scalarFunction.functionRow < kScalarFunctionRowCount;
}

// The argument cells in list order; false when the list does not hold
// exactly the row's count of value nodes.
bool CollectArguments(const ParseTree& tree, const ScalarFunctionFields& fields, ScalarCall& call) {
  const std::uint16_t expected = GetScalarFunctionTable()[call.row].argumentCount;
  std::uint16_t count = 0;
  for (NodeIndex item = fields.firstArgument; item != kNoNode; item = tree.nodes[item].fields.listItem.next) {
    if (item >= tree.nodes.size() || count == expected) return false;
    const NodeIndex value = tree.nodes[item].fields.listItem.value;
    if (value >= tree.nodes.size()) return false;
    call.arguments[count++] = &tree.nodes[value].cell;
  }
  call.argumentCount = count;
  return count == expected;
}

bool HasNullArgument(const ScalarCall& call) {
  for (std::uint16_t i = 0; i < call.argumentCount; ++i) {
    if (call.arguments[i]->nullFlag != 0) return true;
  }
  return false;
}

void ClearToNull(ValueCell& result) {
  result.nullFlag = 1;
  result.value = NodeValue{};
  result.bytes.clear();
}

MessageId DispatchByRow(ScalarCall& call) {
  if (call.row <= kLastStringRow) return EvaluateStringFunction(call);
  if (call.row <= kLastNumericRow) return EvaluateNumericFunction(call);
  if (call.row <= kLastDateTimeRow) return EvaluateDateTimeFunction(call);
  if (call.row == kFnConvert) return EvaluateConvertFunction(call);
  return EvaluateSystemFunction(call);
}

}  // namespace

MessageId EvaluateScalarFunction(StatementHandle& statement, ParseTree& tree, NodeIndex node) {
  if (!IsScalarCall(tree, node)) return kMsgInternalError;
  ParseNode& callNode = tree.nodes[node];
  const ScalarFunctionFields& fields = callNode.fields.scalarFunction;
  ScalarCall call{statement, fields.functionRow, fields.interval, fields.extractField, 0, {}, callNode.cell};
  if (!CollectArguments(tree, fields, call)) return kMsgInternalError;
  if (call.row != kFnIfNull && HasNullArgument(call)) {
    ClearToNull(call.result);
    return kMsgSuccess;
  }
  call.result.nullFlag = 0;
  return DispatchByRow(call);
}

MessageId CallScalarFunction(StatementHandle& statement, ParseTree& tree, NodeIndex node) {
  try {
    return EvaluateScalarFunction(statement, tree, node);
  } catch (const std::bad_alloc&) {
    return kMsgMemoryAllocation;
  } catch (...) {
    if (IsScalarCall(tree, node)) {
      statement.diagnostic.detailText = GetScalarFunctionTable()[tree.nodes[node].fields.scalarFunction.functionRow].name;
    }
    return kMsgInvalidScalarArgument;
  }
}
