// The starting values of every node kind's fields, given by AddParseNode so
// that no builder can leave a working field unset.
#include "sql/node_defaults.h"

#include <cstring>

namespace {

void SetSelectDefaults(SelectFields& f) {
  f.distinct = 0;
  f.selectList = kNoNode;
  f.fromList = kNoNode;
  f.where = kNoNode;
  f.groupBy = kNoNode;
  f.having = kNoNode;
  f.orderBy = kNoNode;
  f.sortSpec = kNoValue;
  f.aggregateList = kNoNode;
  f.distinctSpec = kNoValue;
  f.groupOrderSpec = kNoValue;
  f.enclosingSelect = kNoNode;
  f.rowCount = 0xFFFFFFFFu;
  f.currentRow = kRowAfterLast;
  f.resultFile = kNoResultFile;
  f.inMemoryRow = kNoValue;
}

void SetTableReferenceDefaults(TableReferenceFields& f) {
  f.tableName = kNoValue;
  f.alias = kNoValue;
  f.joinLeft = kNoNode;
  f.joinCondition = kNoNode;
  f.joinType = kJoinInner;
  f.cursor = nullptr;
  f.firstPushed = kNoNode;
  f.firstPushedSort = kNoNode;
  f.noRowYet = 1;
}

void SetColumnReferenceDefaults(ColumnReferenceFields& f) {
  f.qualifier = kNoValue;
  f.columnName = kNoValue;
  f.tableReference = kNoNode;
  f.columnNumber = kNoNode;
  f.resultBuffer = kNoValue;
  f.owningStatement = kNoNode;
}

void SetArithmeticDefaults(ArithmeticFields& f) {
  f.left = kNoNode;
  f.right = kNoNode;
  f.resultBuffer = kNoValue;
  for (ValueIndex& work : f.workBuffers) work = kNoValue;
  f.owningStatement = kNoNode;
}

void SetAggregateDefaults(AggregateFields& f) {
  f.argument = kNoNode;
  f.resultBuffer = kNoValue;
  f.owningStatement = kNoNode;
  f.nextAggregate = kNoNode;
}

void SetScalarFunctionDefaults(ScalarFunctionFields& f) {
  f.name = kNoValue;
  f.firstArgument = kNoNode;
  f.convertTypeWord = kNoValue;
  f.resultBuffer = kNoValue;
  f.owningStatement = kNoNode;
}

void SetPredicateDefaults(PredicateFields& f) {
  f.left = kNoNode;
  f.second = kNoNode;
  f.third = kNoNode;
  f.nextPushed = kNoNode;
}

void SetParameterDefaults(ParameterFields& f) {
  f.next = kNoNode;
  f.resultBuffer = kNoValue;
  f.data = nullptr;
}

// Kinds whose fields are all indexes start with every word at none.
void SetAllNone(NodeFields& fields) { std::memset(fields.raw, 0xFF, sizeof fields.raw); }

}  // namespace

void SetNodeDefaults(ParseNode& node) {
  NodeFields& f = node.fields;
  std::memset(f.raw, 0, sizeof f.raw);
  switch (node.kind) {
    case kNodeRoot:
      f.root.connection = nullptr;
      f.root.statementNode = kNoNode;
      f.root.firstParameter = kNoNode;
      break;
    case kNodeSelect: SetSelectDefaults(f.select); break;
    case kNodeTableReference: SetTableReferenceDefaults(f.tableReference); break;
    case kNodeColumnReference: SetColumnReferenceDefaults(f.columnReference); break;
    case kNodeArithmetic: SetArithmeticDefaults(f.arithmetic); break;
    case kNodeAggregate: SetAggregateDefaults(f.aggregate); break;
    case kNodeScalarFunction: SetScalarFunctionDefaults(f.scalarFunction); break;
    case kNodePredicate: SetPredicateDefaults(f.predicate); break;
    case kNodeParameter: SetParameterDefaults(f.parameter); break;
    case kNodeSortItem:
      f.sortItem.value = kNoNode;
      f.sortItem.next = kNoNode;
      break;
    case kNodeBoolean:
      f.boolean.first = kNoNode;
      f.boolean.second = kNoNode;
      break;
    case kNodeColumnDefinition:
      f.columnDefinition.name = kNoValue;
      f.columnDefinition.secondName = kNoValue;
      f.columnDefinition.next = kNoNode;
      f.columnDefinition.typeRow = kNoTypeRow;
      break;
    case kNodeCreateIndex:
      f.createIndex.indexName = kNoValue;
      f.createIndex.tableReference = kNoNode;
      f.createIndex.firstColumn = kNoNode;
      break;
    case kNodeNumberLiteral: f.numberLiteral.text = kNoValue; break;
    case kNodeListItem:
    case kNodeJoinItem:
    case kNodeInsertColumn:
    case kNodeGroupItem:
    case kNodeAssignment:
    case kNodeStringLiteral:
    case kNodeInsert:
    case kNodeUpdate:
    case kNodeDelete:
    case kNodeCreateTable:
    case kNodeAlterTableAdd:
    case kNodeDropTable:
    case kNodeDropIndex: SetAllNone(f); break;
    default: break;  // literals in place, USER, NULL, the pseudo-statement
  }
}
