// The parse node: kind codes, operator codes and the per-kind field layouts
// that the parser builds and the semantic pass, planner and executor fill in.
#pragma once

#include <cstdint>

#include <sqltypes.h>

#include "common/value_cell.h"

struct ConnectionRecord;
struct TableCursor;

// Nodes and value buffers are addressed by 32-bit index; all ones is "none".
using NodeIndex = std::uint32_t;
using ValueIndex = std::uint32_t;
inline constexpr NodeIndex kNoNode = 0xFFFFFFFFu;
inline constexpr ValueIndex kNoValue = 0xFFFFFFFFu;

// ParseNodeKind
inline constexpr std::uint16_t kNodeNone = 0;
inline constexpr std::uint16_t kNodeRoot = 1;
inline constexpr std::uint16_t kNodeCreateTable = 2;
inline constexpr std::uint16_t kNodeDropTable = 3;
inline constexpr std::uint16_t kNodeSelect = 4;
inline constexpr std::uint16_t kNodeInsert = 5;
inline constexpr std::uint16_t kNodeDelete = 6;
inline constexpr std::uint16_t kNodeUpdate = 7;
inline constexpr std::uint16_t kNodeSqlPseudo = 8;
inline constexpr std::uint16_t kNodeJoinItem = 9;
inline constexpr std::uint16_t kNodeListItem = 10;
inline constexpr std::uint16_t kNodeInsertColumn = 11;
inline constexpr std::uint16_t kNodeSortItem = 12;
inline constexpr std::uint16_t kNodeGroupItem = 13;
inline constexpr std::uint16_t kNodeAssignment = 14;
inline constexpr std::uint16_t kNodeColumnDefinition = 15;
inline constexpr std::uint16_t kNodeBoolean = 16;
inline constexpr std::uint16_t kNodePredicate = 17;
inline constexpr std::uint16_t kNodeArithmetic = 18;
inline constexpr std::uint16_t kNodeAggregate = 19;
inline constexpr std::uint16_t kNodeTableReference = 20;
inline constexpr std::uint16_t kNodeColumnReference = 21;
inline constexpr std::uint16_t kNodeStringLiteral = 22;
inline constexpr std::uint16_t kNodeNumberLiteral = 23;
inline constexpr std::uint16_t kNodeParameter = 24;
inline constexpr std::uint16_t kNodeUser = 25;
inline constexpr std::uint16_t kNodeNull = 26;
inline constexpr std::uint16_t kNodeDateLiteral = 27;
inline constexpr std::uint16_t kNodeTimeLiteral = 28;
inline constexpr std::uint16_t kNodeTimestampLiteral = 29;
inline constexpr std::uint16_t kNodeCreateIndex = 30;
inline constexpr std::uint16_t kNodeDropIndex = 31;
inline constexpr std::uint16_t kNodeScalarFunction = 32;
inline constexpr std::uint16_t kNodeAlterTableAdd = 33;
inline constexpr std::uint16_t kNodeKindLast = 33;

// ExprOperator: the operator word of boolean, predicate and arithmetic nodes.
inline constexpr std::uint16_t kOpAssignment = 0;
inline constexpr std::uint16_t kOpEqual = 1;
inline constexpr std::uint16_t kOpNotEqual = 2;
inline constexpr std::uint16_t kOpLessOrEqual = 3;
inline constexpr std::uint16_t kOpLess = 4;
inline constexpr std::uint16_t kOpGreaterOrEqual = 5;
inline constexpr std::uint16_t kOpGreater = 6;
inline constexpr std::uint16_t kOpBetween = 7;
inline constexpr std::uint16_t kOpNotBetween = 8;
inline constexpr std::uint16_t kOpIn = 9;
inline constexpr std::uint16_t kOpNotIn = 10;
inline constexpr std::uint16_t kOpLike = 11;
inline constexpr std::uint16_t kOpNotLike = 12;
inline constexpr std::uint16_t kOpNegate = 13;
inline constexpr std::uint16_t kOpAdd = 14;
inline constexpr std::uint16_t kOpSubtract = 15;
inline constexpr std::uint16_t kOpMultiply = 16;
inline constexpr std::uint16_t kOpDivide = 17;
inline constexpr std::uint16_t kOpNot = 18;
inline constexpr std::uint16_t kOpAnd = 19;
inline constexpr std::uint16_t kOpOr = 20;
inline constexpr std::uint16_t kOpExists = 21;

// Predicate quantifiers.
inline constexpr std::uint16_t kQuantifierNone = 0;
inline constexpr std::uint16_t kQuantifierAll = 1;
inline constexpr std::uint16_t kQuantifierAny = 2;
inline constexpr std::uint16_t kQuantifierSubSelect = 3;
inline constexpr std::uint16_t kQuantifierExists = 4;

// Aggregate codes.
inline constexpr std::uint16_t kAggregateAvg = 1;
inline constexpr std::uint16_t kAggregateCount = 2;
inline constexpr std::uint16_t kAggregateMax = 3;
inline constexpr std::uint16_t kAggregateMin = 4;
inline constexpr std::uint16_t kAggregateSum = 5;

// Column definition forms: 0 to 2 are the number of size values written.
inline constexpr std::uint16_t kFormPrimaryKey = 3;
inline constexpr std::uint16_t kFormForeignKey = 4;
inline constexpr std::uint16_t kNoTypeRow = 65535;

inline constexpr std::uint8_t kJoinLeftOuter = 0;
inline constexpr std::uint8_t kJoinInner = 1;

inline constexpr std::int32_t kNoResultFile = -1;
// A SELECT's current row before its first row and after its last (or of an
// empty result); rows count from 0.
inline constexpr std::int64_t kRowBeforeFirst = -1;
inline constexpr std::int64_t kRowAfterLast = -2;

// Per-kind fields. "Working" fields belong to the semantic pass, the planner
// and the executor; the parser only gives them their starting values.
struct RootFields {
  ConnectionRecord* connection;
  NodeIndex statementNode;
  NodeIndex firstParameter;
  std::uint8_t parameterChainFlag;  // 1 once prepare links the markers itself
};

// The one-byte flags come first so the record stays within the node's words.
struct SelectFields {
  std::uint8_t distinct;
  std::uint8_t aggregatesWithoutGroupBy;
  std::uint8_t sortedBySource;
  std::uint8_t batchedKeyLookup;
  std::uint8_t distinctRows;
  std::uint8_t emptySource;  // the FROM list opened without any row combination
  NodeIndex selectList;  // none means "*"
  NodeIndex fromList;
  NodeIndex where;
  NodeIndex groupBy;
  NodeIndex having;
  NodeIndex orderBy;
  ValueIndex sortSpec;
  std::uint32_t sortRecordLength;
  std::uint32_t recordIdPosition;
  NodeIndex aggregateList;
  std::uint32_t keyLength;
  ValueIndex distinctSpec;
  std::uint32_t distinctRecordLength;
  // A grouped SELECT ordered by more than its GROUP BY columns sorts its
  // group records once more, after aggregation, by this specification.
  ValueIndex groupOrderSpec;
  NodeIndex enclosingSelect;
  std::uint32_t rowCount;
  std::int32_t resultFile;
  std::int64_t currentRow;
  // A copy of the current row that values are read from instead of the
  // result file (a group being aggregated): a value buffer of the tree, whose
  // text holds the record's bytes, or kNoValue. Being an index into the tree
  // it lives exactly as long as the tree and survives the buffers' growth.
  ValueIndex inMemoryRow;
};

// Select items, value-list items and function arguments.
struct ListItemFields {
  NodeIndex value;  // none for a qualifier-star item
  ValueIndex name;  // alias, or the qualifier of a qualifier-star item
  NodeIndex next;
};

struct JoinItemFields {
  NodeIndex tableReference;
  NodeIndex next;
};

struct TableReferenceFields {
  ValueIndex tableName;
  ValueIndex alias;
  NodeIndex joinLeft;
  NodeIndex joinCondition;
  std::uint8_t joinType;
  TableCursor* cursor;
  std::uint16_t pushedCount;
  NodeIndex firstPushed;
  std::uint16_t sortKeyNumber;
  std::uint16_t pushedSortCount;
  NodeIndex firstPushedSort;
  std::uint8_t nullRow;
  std::uint8_t noRowYet;  // no row of this table has met its join condition since it was opened
};

struct ColumnReferenceFields {
  ValueIndex qualifier;
  ValueIndex columnName;
  NodeIndex tableReference;
  std::uint32_t columnNumber;
  ValueIndex resultBuffer;
  std::uint8_t fromSpool;
  std::uint32_t spoolPosition;
  std::uint32_t spoolWidth;
  std::uint32_t distinctPosition;
  std::uint32_t distinctWidth;
  NodeIndex owningStatement;
};

struct InsertColumnFields {
  NodeIndex columnReference;
  NodeIndex next;
};

struct SortItemFields {
  NodeIndex value;
  std::uint8_t descending;
  NodeIndex next;
  // Where the item's value sits in the SELECT's sort or group records (1-based;
  // 0 while not laid out). In a grouped SELECT an item that is neither a
  // GROUP BY column nor an aggregate gets a place of its own after the
  // aggregates, filled once its group is complete.
  std::uint32_t recordPosition;
  std::uint32_t recordWidth;
};

struct GroupItemFields {
  NodeIndex columnReference;
  NodeIndex next;
};

struct AssignmentFields {
  NodeIndex columnReference;
  NodeIndex value;
  NodeIndex next;
};

struct ColumnDefinitionFields {
  ValueIndex name;
  ValueIndex secondName;
  std::uint16_t form;
  std::uint32_t length;
  std::uint32_t scale;
  NodeIndex next;
  std::uint16_t typeRow;
};

struct BooleanFields {
  std::uint16_t op;
  NodeIndex first;
  NodeIndex second;  // none for NOT
};

struct PredicateFields {
  std::uint16_t op;
  std::uint16_t quantifier;
  NodeIndex left;
  NodeIndex second;
  NodeIndex third;
  std::uint16_t pushdownRank;
  NodeIndex nextPushed;
  std::uint8_t pushedFlag;
};

struct ArithmeticFields {
  std::uint16_t op;
  NodeIndex left;
  NodeIndex right;  // none for negate
  ValueIndex resultBuffer;
  ValueIndex workBuffers[3];
  std::uint32_t distinctPosition;
  std::uint32_t distinctWidth;
  NodeIndex owningStatement;
};

struct AggregateFields {
  std::uint16_t code;
  NodeIndex argument;  // none for COUNT(*)
  ValueIndex resultBuffer;
  std::uint32_t groupPosition;
  std::uint32_t groupWidth;
  std::uint32_t distinctPosition;
  std::uint32_t distinctWidth;
  NodeIndex owningStatement;
  NodeIndex nextAggregate;
  std::uint64_t workingValue;
};

struct StringLiteralFields {
  ValueIndex text;
};

struct NumberLiteralFields {
  double number;
  ValueIndex text;
};

// The execute path allocates a marker's data with new unsigned char[]; the
// tree release frees it while dataPresent is not 0.
struct ParameterFields {
  std::uint16_t number;
  NodeIndex next;
  ValueIndex resultBuffer;
  std::uint8_t flag;
  unsigned char* data;
  std::uint64_t dataPresent;
};

struct DateLiteralFields {
  SQL_DATE_STRUCT date;
};
struct TimeLiteralFields {
  SQL_TIME_STRUCT time;
};
struct TimestampLiteralFields {
  SQL_TIMESTAMP_STRUCT timestamp;
};

struct ScalarFunctionFields {
  ValueIndex name;
  NodeIndex firstArgument;
  std::uint16_t functionRow;
  std::uint16_t interval;
  std::uint8_t extractField;
  // CONVERT's type word, kept from taking it out of the argument list until
  // the converted argument is bound and the result type can be decided.
  ValueIndex convertTypeWord;
  ValueIndex resultBuffer;
  std::uint32_t distinctPosition;
  std::uint32_t distinctWidth;
  NodeIndex owningStatement;
};

struct InsertFields {
  NodeIndex tableReference;
  NodeIndex columnList;
  NodeIndex source;  // a SELECT, or the first item of the VALUES list
};

struct UpdateFields {
  NodeIndex tableReference;
  NodeIndex firstAssignment;
  NodeIndex where;
};

struct DeleteFields {
  NodeIndex tableReference;
  NodeIndex where;
};

// CREATE TABLE and ALTER TABLE ADD.
struct TableDefinitionFields {
  ValueIndex tableName;
  NodeIndex firstElement;
};

struct CreateIndexFields {
  ValueIndex indexName;
  NodeIndex tableReference;
  NodeIndex firstColumn;
  std::uint8_t unique;
};

// DROP TABLE names a table, DROP INDEX an index.
struct DropFields {
  ValueIndex name;
};

union NodeFields {
  unsigned char raw[104];
  RootFields root;
  SelectFields select;
  ListItemFields listItem;
  JoinItemFields joinItem;
  TableReferenceFields tableReference;
  ColumnReferenceFields columnReference;
  InsertColumnFields insertColumn;
  SortItemFields sortItem;
  GroupItemFields groupItem;
  AssignmentFields assignment;
  ColumnDefinitionFields columnDefinition;
  BooleanFields boolean;
  PredicateFields predicate;
  ArithmeticFields arithmetic;
  AggregateFields aggregate;
  StringLiteralFields stringLiteral;
  NumberLiteralFields numberLiteral;
  ParameterFields parameter;
  DateLiteralFields dateLiteral;
  TimeLiteralFields timeLiteral;
  TimestampLiteralFields timestampLiteral;
  ScalarFunctionFields scalarFunction;
  InsertFields insert;
  UpdateFields update;
  DeleteFields deleteStatement;
  TableDefinitionFields tableDefinition;
  CreateIndexFields createIndex;
  DropFields drop;
};
// Nodes stay fixed-size and flat-copyable: 26 words of kind-specific fields.
static_assert(sizeof(NodeFields) == 104);

struct ParseNode {
  std::uint16_t kind = kNodeNone;
  ValueCell cell;
  NodeFields fields{};
};
