// Statement options and attributes for the exported SQLSetStmtAttr,
// SQLGetStmtAttr, their ODBC 2 forms and SQLSetScrollOptions. Few are real;
// the rest are accepted only at their defaults.
#include "odbc/statement_attributes.h"

#include <cstdint>
#include <limits>

#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/descriptor_lifecycle.h"

namespace {

constexpr SQLULEN kLargestCount = static_cast<SQLULEN>(std::numeric_limits<std::int64_t>::max());

bool HasOpenResult(const StatementHandle& statement) { return statement.statementKind != kStatementNone; }

// The value would not survive the field's width, or means nothing to ODBC.
MessageId CheckCount(SQLULEN value, bool zeroAllowed) {
  if (value > kLargestCount || (value == 0 && !zeroAllowed)) return kMsgInvalidAttributeValue;
  return kMsgSuccess;
}

MessageId SetCursorType(StatementHandle& statement, SQLULEN value) {
  OptionChoice choice = ChooseCursorType(value);
  if (HasOpenResult(statement) && choice.stored != statement.cursorType) return kMsgInvalidCursorState;
  statement.cursorType = choice.stored;
  return choice.substituted ? kMsgOptionValueChanged : kMsgSuccess;
}

MessageId SetConcurrency(StatementHandle& statement, SQLULEN value) {
  OptionChoice choice = ChooseConcurrency(value);
  if (HasOpenResult(statement) && choice.stored != statement.concurrency) return kMsgInvalidCursorState;
  statement.concurrency = choice.stored;
  return choice.substituted ? kMsgOptionValueChanged : kMsgSuccess;
}

MessageId SetMaxRows(StatementHandle& statement, SQLULEN value) {
  if (MessageId id = CheckCount(value, true); id != kMsgSuccess) return id;
  statement.maxRows = static_cast<std::int64_t>(value);
  statement.rowLimit = value == 0 ? kNoRowLimit : statement.maxRows;
  return kMsgSuccess;
}

MessageId SetRowArraySize(StatementHandle& statement, SQLULEN value) {
  // A rowset of no rows would make every fetch return nothing yet succeed.
  if (MessageId id = CheckCount(value, false); id != kMsgSuccess) return id;
  statement.rowArraySize = static_cast<std::int64_t>(value);
  statement.rowsetRowIndex = 0;
  return kMsgSuccess;
}

MessageId SetRowsetSize(StatementHandle& statement, SQLULEN value) {
  if (MessageId id = CheckCount(value, false); id != kMsgSuccess) return id;
  statement.rowsetSize = static_cast<std::int64_t>(value);
  return kMsgSuccess;
}

MessageId SetParamsetSize(StatementHandle& statement, SQLULEN value) {
  if (MessageId id = CheckCount(value, false); id != kMsgSuccess) return id;
  statement.paramsetSize = static_cast<std::int64_t>(value);
  statement.paramsetCounter = 0;
  return kMsgSuccess;
}

MessageId SetRetrieveData(StatementHandle& statement, SQLULEN value) {
  if (MessageId id = CheckRetrieveData(value); id != kMsgSuccess) return id;
  statement.retrieveData = static_cast<std::uint16_t>(value);
  return kMsgSuccess;
}

MessageId SetUseBookmarks(StatementHandle& statement, SQLULEN value) {
  if (MessageId id = CheckUseBookmarks(value); id != kMsgSuccess) return id;
  statement.useBookmarks = static_cast<std::uint16_t>(value);
  return kMsgSuccess;
}

MessageId SetScrollable(StatementHandle& statement, SQLULEN value) {
  if (HasOpenResult(statement)) {
    if (statement.cursorType == kCursorForwardOnly && value != SQL_NONSCROLLABLE) return kMsgInvalidCursorState;
    if (statement.cursorType == kCursorStatic && value != SQL_SCROLLABLE) return kMsgInvalidCursorState;
  }
  if (value == SQL_NONSCROLLABLE) {
    statement.cursorType = kCursorForwardOnly;
    return kMsgSuccess;
  }
  if (value == SQL_SCROLLABLE) {
    statement.cursorType = kCursorStatic;
    return kMsgSuccess;
  }
  return kMsgInvalidAttributeValue;
}

// The offset pointer aims at the descriptor's zero word while none is bound,
// so the fetch and execute paths never test for null.
void SetBindOffset(DescriptorHandle& descriptor, SQLPOINTER value) {
  descriptor.bindOffsetPointer = value != nullptr ? static_cast<std::int64_t*>(value) : &descriptor.zeroWord;
}

SQLPOINTER BindOffsetAnswer(const DescriptorHandle& descriptor) {
  return descriptor.bindOffsetPointer == &descriptor.zeroWord ? nullptr : descriptor.bindOffsetPointer;
}

void SetParamBindType(StatementHandle& statement, SQLULEN value) { statement.currentApd->bindType = value; }

MessageId ChooseApplicationDescriptor(StatementHandle& statement, SQLPOINTER value, DescriptorHandle& own,
                                      DescriptorHandle*& current) {
  if (value == nullptr || value == &own) {
    current = &own;
    return kMsgSuccess;
  }
  // The value is a handle too, and may be of any kind.
  if (HandleKind(value) != kHandleKindDescriptor) return kMsgInvalidAttributeValue;
  auto* descriptor = static_cast<DescriptorHandle*>(value);
  if (descriptor->allocationType == kDescriptorImplicit) return kMsgAutomaticDescriptor;
  // A descriptor of another connection is not reset when that connection
  // frees it, and the statement would keep a dangling pointer.
  if (descriptor->connection != statement.connection) return kMsgInvalidAttributeValue;
  current = descriptor;
  return kMsgSuccess;
}

MessageId SetDescriptorPointer(StatementHandle& statement, SQLINTEGER attribute, SQLPOINTER value) {
  switch (attribute) {
    case SQL_ATTR_PARAM_BIND_OFFSET_PTR: SetBindOffset(*statement.currentApd, value); break;
    case SQL_ATTR_PARAM_OPERATION_PTR: statement.currentApd->arrayStatusPointer = value; break;
    case SQL_ATTR_PARAM_STATUS_PTR: statement.ipd.arrayStatusPointer = value; break;
    case SQL_ATTR_PARAMS_PROCESSED_PTR: statement.ipd.rowsProcessedPointer = value; break;
    case SQL_ATTR_ROW_BIND_OFFSET_PTR: SetBindOffset(*statement.currentArd, value); break;
    case SQL_ATTR_ROW_OPERATION_PTR: statement.currentArd->arrayStatusPointer = value; break;
    case SQL_ATTR_ROW_STATUS_PTR: statement.ird.arrayStatusPointer = value; break;
    case SQL_ATTR_ROWS_FETCHED_PTR: statement.ird.rowsProcessedPointer = value; break;
    default: return kMsgInvalidAttribute;
  }
  return kMsgSuccess;
}

// What one attribute answers, and the width ODBC gives it.
struct AttributeAnswer {
  enum class Width { kLength, kInteger, kPointer };  // SQLULEN, SQLUINTEGER, a pointer
  Width width = Width::kLength;
  SQLULEN number = 0;
  SQLPOINTER pointer = nullptr;
};

AttributeAnswer Length(SQLULEN number) { return {AttributeAnswer::Width::kLength, number, nullptr}; }
AttributeAnswer Integer(SQLULEN number) { return {AttributeAnswer::Width::kInteger, number, nullptr}; }
AttributeAnswer Pointer(const void* pointer) {
  return {AttributeAnswer::Width::kPointer, 0, const_cast<void*>(pointer)};
}

MessageId AnswerAttribute(StatementHandle& statement, SQLINTEGER attribute, AttributeAnswer& answer) {
  switch (attribute) {
    case SQL_ATTR_CURSOR_SENSITIVITY: answer = Integer(SQL_UNSPECIFIED); return kMsgSuccess;
    case SQL_ATTR_CURSOR_SCROLLABLE:
      if (statement.cursorType == kCursorForwardOnly) answer = Integer(SQL_NONSCROLLABLE);
      else if (statement.cursorType == kCursorStatic) answer = Integer(SQL_SCROLLABLE);
      else return kMsgInternalError;
      return kMsgSuccess;
    case SQL_ATTR_ENABLE_AUTO_IPD: answer = Integer(statement.autoIpd); return kMsgSuccess;
    case SQL_ATTR_FETCH_BOOKMARK_PTR: answer = Pointer(statement.fetchBookmarkPointer); return kMsgSuccess;
    case SQL_ATTR_PARAM_BIND_OFFSET_PTR: answer = Pointer(BindOffsetAnswer(*statement.currentApd)); return kMsgSuccess;
    case SQL_ATTR_PARAM_BIND_TYPE: answer = Length(statement.currentApd->bindType); return kMsgSuccess;
    case SQL_ATTR_PARAM_OPERATION_PTR: answer = Pointer(statement.currentApd->arrayStatusPointer); return kMsgSuccess;
    case SQL_ATTR_PARAM_STATUS_PTR: answer = Pointer(statement.ipd.arrayStatusPointer); return kMsgSuccess;
    case SQL_ATTR_PARAMS_PROCESSED_PTR: answer = Pointer(statement.ipd.rowsProcessedPointer); return kMsgSuccess;
    case SQL_ATTR_PARAMSET_SIZE: answer = Length(static_cast<SQLULEN>(statement.paramsetSize)); return kMsgSuccess;
    case SQL_ATTR_ROW_BIND_OFFSET_PTR: answer = Pointer(BindOffsetAnswer(*statement.currentArd)); return kMsgSuccess;
    case SQL_ATTR_ROW_OPERATION_PTR: answer = Pointer(statement.currentArd->arrayStatusPointer); return kMsgSuccess;
    case SQL_ATTR_ROW_STATUS_PTR: answer = Pointer(statement.ird.arrayStatusPointer); return kMsgSuccess;
    case SQL_ATTR_ROWS_FETCHED_PTR: answer = Pointer(statement.ird.rowsProcessedPointer); return kMsgSuccess;
    case SQL_ATTR_ROW_ARRAY_SIZE: answer = Length(static_cast<SQLULEN>(statement.rowArraySize)); return kMsgSuccess;
    case SQL_ATTR_APP_ROW_DESC: answer = Pointer(statement.currentArd); return kMsgSuccess;
    case SQL_ATTR_APP_PARAM_DESC: answer = Pointer(statement.currentApd); return kMsgSuccess;
    case SQL_ATTR_IMP_ROW_DESC: answer = Pointer(&statement.ird); return kMsgSuccess;
    case SQL_ATTR_IMP_PARAM_DESC: answer = Pointer(&statement.ipd); return kMsgSuccess;
    case SQL_ATTR_METADATA_ID: answer = Integer(statement.metadataId); return kMsgSuccess;
    default: break;
  }
  if (attribute < SQL_QUERY_TIMEOUT || attribute > SQL_ROW_NUMBER) return kMsgInvalidAttribute;
  SQLULEN number = 0;
  MessageId id = GetStatementOption(statement, static_cast<SQLUSMALLINT>(attribute), number);
  // The bookmark of an ODBC 2 option is 32 bits wide; the other options
  // became SQLULEN attributes.
  answer = attribute == SQL_GET_BOOKMARK ? Integer(number) : Length(number);
  return id;
}

// Only 1069 is a warning among the setters; any other message ends the call.
bool ScrollStepContinues(MessageId id, MessageId& warning) {
  if (id == kMsgOptionValueChanged) warning = id;
  return id == kMsgSuccess || id == kMsgOptionValueChanged;
}

SQLULEN ScrollCursorType(SQLLEN keysetSize) {
  switch (keysetSize) {
    case SQL_SCROLL_FORWARD_ONLY: return SQL_CURSOR_FORWARD_ONLY;
    case SQL_SCROLL_STATIC: return SQL_CURSOR_STATIC;
    case SQL_SCROLL_KEYSET_DRIVEN: return SQL_CURSOR_KEYSET_DRIVEN;
    default: return SQL_CURSOR_DYNAMIC;
  }
}

}  // namespace

MessageId AcceptOnlyZero(SQLULEN value, MessageId otherwise) {
  return value == 0 ? kMsgSuccess : otherwise;
}

OptionChoice ChooseCursorType(SQLULEN value) {
  if (value == SQL_CURSOR_FORWARD_ONLY) return {kCursorForwardOnly, false};
  return {kCursorStatic, value != SQL_CURSOR_STATIC};
}

OptionChoice ChooseConcurrency(SQLULEN value) {
  if (value == SQL_CONCUR_READ_ONLY || value == SQL_CONCUR_LOCK) return {static_cast<std::uint16_t>(value), false};
  return {SQL_CONCUR_LOCK, true};
}

MessageId CheckRetrieveData(SQLULEN value) {
  return value == SQL_RD_OFF || value == SQL_RD_ON ? kMsgSuccess : kMsgInvalidAttributeValue;
}

MessageId CheckUseBookmarks(SQLULEN value) {
  return value == SQL_UB_OFF || value == SQL_UB_ON || value == SQL_UB_VARIABLE ? kMsgSuccess
                                                                                 : kMsgInvalidAttributeValue;
}

SQLULEN OdbcCursorType(std::uint16_t cursorType) {
  return cursorType == kCursorForwardOnly ? SQL_CURSOR_FORWARD_ONLY : SQL_CURSOR_STATIC;
}

MessageId SetStatementOption(StatementHandle& statement, SQLUSMALLINT option, SQLULEN value) {
  switch (option) {
    case SQL_QUERY_TIMEOUT:
    case SQL_MAX_LENGTH:
    case SQL_KEYSET_SIZE: return AcceptOnlyZero(value, kMsgOptionValueChanged);
    case SQL_NOSCAN:
    case SQL_ASYNC_ENABLE: return AcceptOnlyZero(value, kMsgOptionalFeature);
    case SQL_MAX_ROWS: return SetMaxRows(statement, value);
    case SQL_BIND_TYPE: statement.currentArd->bindType = value; return kMsgSuccess;
    case SQL_CURSOR_TYPE: return SetCursorType(statement, value);
    case SQL_CONCURRENCY: return SetConcurrency(statement, value);
    case SQL_ROWSET_SIZE: return SetRowsetSize(statement, value);
    case SQL_RETRIEVE_DATA: return SetRetrieveData(statement, value);
    case SQL_USE_BOOKMARKS: return SetUseBookmarks(statement, value);
    default: return kMsgDriverNotCapable;
  }
}

MessageId GetStatementOption(const StatementHandle& statement, SQLUSMALLINT option, SQLULEN& out) {
  switch (option) {
    case SQL_QUERY_TIMEOUT:
    case SQL_NOSCAN:
    case SQL_MAX_LENGTH:
    case SQL_ASYNC_ENABLE:
    case SQL_KEYSET_SIZE: out = 0; return kMsgSuccess;
    case SQL_MAX_ROWS: out = static_cast<SQLULEN>(statement.maxRows); return kMsgSuccess;
    case SQL_BIND_TYPE: out = statement.currentArd->bindType; return kMsgSuccess;
    case SQL_CURSOR_TYPE: out = OdbcCursorType(statement.cursorType); return kMsgSuccess;
    case SQL_CONCURRENCY: out = statement.concurrency; return kMsgSuccess;
    case SQL_ROWSET_SIZE: out = static_cast<SQLULEN>(statement.rowsetSize); return kMsgSuccess;
    case SQL_RETRIEVE_DATA: out = statement.retrieveData; return kMsgSuccess;
    case SQL_USE_BOOKMARKS: out = statement.useBookmarks; return kMsgSuccess;
    case SQL_GET_BOOKMARK:
      if (statement.currentBookmark == 0 || statement.useBookmarks == SQL_UB_OFF) return kMsgDriverNotCapable;
      out = static_cast<SQLULEN>(statement.currentBookmark);
      return kMsgSuccess;
    case SQL_ROW_NUMBER:
      // -3 marks a row added while the result has no result file: no row number.
      out = statement.currentBookmark == -3 ? 0 : static_cast<SQLULEN>(statement.currentBookmark);
      return kMsgSuccess;
    default: return kMsgDriverNotCapable;
  }
}

MessageId SetStatementAttribute(StatementHandle& statement, SQLINTEGER attribute, SQLPOINTER value) {
  const auto number = static_cast<SQLULEN>(reinterpret_cast<std::uintptr_t>(value));
  switch (attribute) {
    case SQL_ATTR_CURSOR_SENSITIVITY: return AcceptOnlyZero(number, kMsgOptionalFeatureAttribute);
    case SQL_ATTR_CURSOR_SCROLLABLE: return SetScrollable(statement, number);
    case SQL_GET_BOOKMARK: return kMsgInvalidAttribute;
    case SQL_ATTR_ENABLE_AUTO_IPD: statement.autoIpd = number != 0 ? 1 : 0; return kMsgSuccess;
    case SQL_ATTR_FETCH_BOOKMARK_PTR: statement.fetchBookmarkPointer = value; return kMsgSuccess;
    case SQL_ATTR_PARAM_BIND_TYPE: SetParamBindType(statement, number); return kMsgSuccess;
    case SQL_ATTR_PARAMSET_SIZE: return SetParamsetSize(statement, number);
    case SQL_ATTR_ROW_ARRAY_SIZE: return SetRowArraySize(statement, number);
    case SQL_ATTR_APP_ROW_DESC:
      return ChooseApplicationDescriptor(statement, value, statement.ard, statement.currentArd);
    case SQL_ATTR_APP_PARAM_DESC:
      return ChooseApplicationDescriptor(statement, value, statement.apd, statement.currentApd);
    case SQL_ATTR_IMP_ROW_DESC:
    case SQL_ATTR_IMP_PARAM_DESC: return kMsgInvalidAttribute;
    case SQL_ATTR_METADATA_ID: statement.metadataId = number != 0 ? 1 : 0; return kMsgSuccess;
    default: break;
  }
  if (attribute >= SQL_QUERY_TIMEOUT && attribute <= SQL_ROW_NUMBER)
    return SetStatementOption(statement, static_cast<SQLUSMALLINT>(attribute), number);
  return SetDescriptorPointer(statement, attribute, value);
}

MessageId GetStatementAttribute(StatementHandle& statement, SQLINTEGER attribute, SQLPOINTER value,
                                SQLINTEGER bufferLength, SQLINTEGER* stringLength) {
  (void)bufferLength;  // every answer has a fixed width
  AttributeAnswer answer;
  MessageId id = AnswerAttribute(statement, attribute, answer);
  if (id != kMsgSuccess) return id;
  switch (answer.width) {
    case AttributeAnswer::Width::kPointer:
      if (value != nullptr) *static_cast<SQLPOINTER*>(value) = answer.pointer;
      if (stringLength != nullptr) *stringLength = SQL_IS_POINTER;
      return kMsgSuccess;
    case AttributeAnswer::Width::kInteger:
      if (value != nullptr) *static_cast<SQLUINTEGER*>(value) = static_cast<SQLUINTEGER>(answer.number);
      break;
    case AttributeAnswer::Width::kLength:
      if (value != nullptr) *static_cast<SQLULEN*>(value) = answer.number;
      break;
  }
  if (stringLength != nullptr) *stringLength = SQL_IS_UINTEGER;
  return kMsgSuccess;
}

void WriteStatementOption(SQLUSMALLINT option, SQLULEN answer, SQLPOINTER value) {
  if (value == nullptr) return;
  switch (option) {
    case SQL_KEYSET_SIZE:
    case SQL_MAX_LENGTH:
    case SQL_MAX_ROWS:
    case SQL_ROWSET_SIZE: *static_cast<SQLULEN*>(value) = answer; return;
    default: *static_cast<SQLUINTEGER*>(value) = static_cast<SQLUINTEGER>(answer); return;
  }
}

MessageId SetScrollOptions(StatementHandle& statement, SQLUSMALLINT concurrency, SQLLEN keysetSize,
                           SQLUSMALLINT rowsetSize) {
  statement.diagnosticRowCount = 0;
  MessageId warning = kMsgSuccess;
  MessageId id = SetStatementOption(statement, SQL_CONCURRENCY, concurrency);
  if (!ScrollStepContinues(id, warning)) return id;
  const bool namesCursorType = keysetSize >= SQL_SCROLL_STATIC && keysetSize <= SQL_SCROLL_FORWARD_ONLY;
  id = namesCursorType ? SetStatementOption(statement, SQL_CURSOR_TYPE, ScrollCursorType(keysetSize))
                       : SetStatementOption(statement, SQL_KEYSET_SIZE, static_cast<SQLULEN>(keysetSize));
  if (!ScrollStepContinues(id, warning)) return id;
  id = SetStatementOption(statement, SQL_ROWSET_SIZE, rowsetSize);
  if (!ScrollStepContinues(id, warning)) return id;
  return warning;
}
