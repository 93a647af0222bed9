// Descriptor handles and their records: the four that every statement embeds
// and those the application allocates.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstdint>

#include "handles/handle_diagnostic.h"
#include "handles/handles.h"

struct ConnectionHandle;
struct StatementHandle;

inline constexpr std::int16_t kDescriptorImplicit = 1;     // SQL_DESC_ALLOC_AUTO
inline constexpr std::int16_t kDescriptorApplication = 2;  // SQL_DESC_ALLOC_USER

// One column or parameter binding; number 0 is the bookmark column.
struct DescriptorRecord {
  DescriptorRecord* nextRecord = nullptr;
  std::uint16_t number = 0;
  std::int16_t cType = SQL_C_DEFAULT;
  std::uint16_t precision = 0;
  std::int16_t scale = 0;
  SQLPOINTER dataPointer = nullptr;
  std::int64_t bufferLength = 0;
  SQLLEN* lengthPointer = nullptr;
  SQLLEN* indicatorPointer = nullptr;
};

struct DescriptorHandle {
  std::int16_t kind = kHandleKindDescriptor;
  DescriptorHandle* nextDescriptor = nullptr;
  HandleDiagnostic diagnostic;
  std::int16_t allocationType = kDescriptorImplicit;
  ConnectionHandle* connection = nullptr;
  std::uint64_t bindType = 0;
  SQLPOINTER rowsProcessedPointer = nullptr;
  SQLPOINTER arrayStatusPointer = nullptr;
  std::int64_t zeroWord = 0;
  // Aims at zeroWord when no offset is bound, so readers never test for null;
  // the handle therefore never moves or copies.
  std::int64_t* bindOffsetPointer = &zeroWord;
  StatementHandle* owningStatement = nullptr;  // set only on an IRD and an IPD
  DescriptorRecord* records = nullptr;

  DescriptorHandle() { RegisterHandle(this, kind); }
  DescriptorHandle(const DescriptorHandle&) = delete;
  DescriptorHandle& operator=(const DescriptorHandle&) = delete;
  ~DescriptorHandle() { RetireHandle(this); }
};
