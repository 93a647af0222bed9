// ContainsAggregate and ReleasePlan. Chains (lists, AND/OR, join items,
// arithmetic left spines) are followed in loops, so only genuine nesting,
// which the parser bounds, costs stack.
#include "sql/tree_walks.h"

#include "platform/files.h"
#include <sqlext.h>  // ahead of table_cursor.h, whose column defaults use its constants

#include "tables/table_cursor.h"

namespace {

bool ListContainsAggregate(const ParseTree& tree, NodeIndex item) {
  for (; IsTreeNode(tree, item); item = tree.nodes[item].fields.listItem.next) {
    if (ContainsAggregate(tree, tree.nodes[item].fields.listItem.value)) return true;
  }
  return false;
}

void ReleaseSelect(ParseTree& tree, NodeIndex node) {
  const SelectFields parts = tree.nodes[node].fields.select;
  for (NodeIndex child : {parts.selectList, parts.fromList, parts.where, parts.groupBy, parts.having, parts.orderBy}) {
    ReleasePlan(tree, child);
  }
  CloseResultFile(tree.nodes[node].fields.select);
}

void ReleaseParameter(ParameterFields& parameter) {
  if (parameter.dataPresent == 0) return;
  delete[] parameter.data;
  parameter.data = nullptr;
  parameter.dataPresent = 0;
}

void ReleaseTableReference(TableReferenceFields& reference) {
  if (reference.cursor == nullptr) return;
  TableCursor* cursor = reference.cursor;
  reference.cursor = nullptr;
  ApplyFlushCacheCommand(cursor);
}

void ReleaseParameterChain(ParseTree& tree, const RootFields& root) {
  if (root.parameterChainFlag == 0) return;
  for (NodeIndex marker = root.firstParameter; IsTreeNode(tree, marker);
       marker = tree.nodes[marker].fields.parameter.next) {
    ReleaseParameter(tree.nodes[marker].fields.parameter);
  }
}

// Releases the subtrees of a list's items: value nodes of list and sort
// items, column references of insert columns and group items, both sides of
// assignments.
void ReleaseItemChain(ParseTree& tree, NodeIndex item) {
  while (IsTreeNode(tree, item)) {
    const NodeFields f = tree.nodes[item].fields;
    switch (tree.nodes[item].kind) {
      case kNodeListItem: ReleasePlan(tree, f.listItem.value); item = f.listItem.next; break;
      case kNodeSortItem: ReleasePlan(tree, f.sortItem.value); item = f.sortItem.next; break;
      case kNodeInsertColumn: ReleasePlan(tree, f.insertColumn.columnReference); item = f.insertColumn.next; break;
      case kNodeGroupItem: ReleasePlan(tree, f.groupItem.columnReference); item = f.groupItem.next; break;
      case kNodeAssignment:
        ReleasePlan(tree, f.assignment.columnReference);
        ReleasePlan(tree, f.assignment.value);
        item = f.assignment.next;
        break;
      default: return;
    }
  }
}

// Releases what the node itself holds and its children except one, which it
// returns for the caller's loop to go on with.
NodeIndex ReleaseStep(ParseTree& tree, NodeIndex node) {
  ParseNode& n = tree.nodes[node];
  const NodeFields f = n.fields;
  switch (n.kind) {
    case kNodeRoot:
      ReleasePlan(tree, f.root.statementNode);
      ReleaseParameterChain(tree, tree.nodes[node].fields.root);
      return kNoNode;
    case kNodeCreateTable:
    case kNodeAlterTableAdd:
    case kNodeColumnDefinition: return kNoNode;  // definitions attach nothing
    case kNodeAggregate: return f.aggregate.argument;
    case kNodeScalarFunction: return f.scalarFunction.firstArgument;
    case kNodeSelect: ReleaseSelect(tree, node); return kNoNode;
    case kNodeInsert:
      ReleasePlan(tree, f.insert.tableReference);
      ReleasePlan(tree, f.insert.columnList);
      return f.insert.source;
    case kNodeUpdate:
      ReleasePlan(tree, f.update.tableReference);
      ReleasePlan(tree, f.update.firstAssignment);
      return f.update.where;
    case kNodeDelete: ReleasePlan(tree, f.deleteStatement.tableReference); return f.deleteStatement.where;
    case kNodeJoinItem: ReleasePlan(tree, f.joinItem.tableReference); return f.joinItem.next;
    case kNodeListItem:
    case kNodeSortItem:
    case kNodeInsertColumn:
    case kNodeGroupItem:
    case kNodeAssignment: ReleaseItemChain(tree, node); return kNoNode;
    case kNodeBoolean: ReleasePlan(tree, f.boolean.first); return f.boolean.second;
    // Arithmetic chains grow down their left side, so the loop follows the
    // left operand and the shallow right side is the recursive one.
    case kNodeArithmetic: ReleasePlan(tree, f.arithmetic.right); return f.arithmetic.left;
    case kNodeCreateIndex: ReleasePlan(tree, f.createIndex.tableReference); return f.createIndex.firstColumn;
    case kNodePredicate:
      ReleasePlan(tree, f.predicate.left);
      ReleasePlan(tree, f.predicate.second);
      return f.predicate.third;
    case kNodeTableReference:
      ReleaseTableReference(n.fields.tableReference);
      return f.tableReference.joinCondition;
    case kNodeParameter: ReleaseParameter(n.fields.parameter); return kNoNode;
    default: return kNoNode;
  }
}

}  // namespace

bool ContainsAggregate(const ParseTree& tree, NodeIndex node) {
  while (IsTreeNode(tree, node)) {
    const ParseNode& n = tree.nodes[node];
    switch (n.kind) {
      case kNodeAggregate: return true;
      case kNodeArithmetic:
        if (ContainsAggregate(tree, n.fields.arithmetic.right)) return true;
        node = n.fields.arithmetic.left;
        break;
      case kNodeScalarFunction: node = n.fields.scalarFunction.firstArgument; break;
      case kNodeListItem: return ListContainsAggregate(tree, node);
      default: return false;
    }
  }
  return false;
}

void ReleasePlan(ParseTree& tree, NodeIndex node) {
  while (IsTreeNode(tree, node) && tree.nodes[node].kind != kNodeNone && tree.nodes[node].kind <= kNodeKindLast) {
    node = ReleaseStep(tree, node);
  }
}

void CloseResultFile(SelectFields& select) {
  if (select.resultFile == kNoResultFile) return;
  PlatformFile file = select.resultFile;
  CloseFile(file);
  select.resultFile = kNoResultFile;
}
