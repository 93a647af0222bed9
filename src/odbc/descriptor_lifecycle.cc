// Descriptor allocation, linking and release, and the records they own.
#include <new>

#include "common/message_ids.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"
#include "odbc/descriptor_lifecycle.h"

void InitEmbeddedDescriptor(DescriptorHandle& descriptor, ConnectionHandle* connection, StatementHandle* owner,
                            std::uint64_t bindType) {
  descriptor.kind = kHandleKindDescriptor;
  descriptor.allocationType = kDescriptorImplicit;
  descriptor.connection = connection;
  descriptor.bindType = bindType;
  descriptor.rowsProcessedPointer = nullptr;
  descriptor.arrayStatusPointer = nullptr;
  descriptor.bindOffsetPointer = &descriptor.zeroWord;
  descriptor.owningStatement = owner;
  ClearDiagnostic(descriptor.diagnostic);
}

void ReleaseDescriptorRecords(DescriptorHandle& descriptor, bool keepBookmarkRecord) {
  DescriptorRecord* kept = nullptr;
  DescriptorRecord* record = descriptor.records;
  while (record != nullptr) {
    DescriptorRecord* next = record->nextRecord;
    if (keepBookmarkRecord && record->number == 0 && kept == nullptr) {
      kept = record;
      kept->nextRecord = nullptr;
    } else {
      delete record;
    }
    record = next;
  }
  descriptor.records = kept;
}

void LinkDescriptor(ConnectionHandle& connection, DescriptorHandle& descriptor) {
  descriptor.nextDescriptor = connection.firstDescriptor;
  connection.firstDescriptor = &descriptor;
}

void UnlinkDescriptor(ConnectionHandle& connection, DescriptorHandle& descriptor) {
  for (DescriptorHandle** link = &connection.firstDescriptor; *link != nullptr; link = &(*link)->nextDescriptor) {
    if (*link == &descriptor) {
      *link = descriptor.nextDescriptor;
      descriptor.nextDescriptor = nullptr;
      return;
    }
  }
}

SQLRETURN AllocateApplicationDescriptor(ConnectionHandle& connection, DescriptorHandle** out) {
  ClearDiagnostic(connection.diagnostic);
  auto* descriptor = new (std::nothrow) DescriptorHandle;
  if (descriptor == nullptr) {
    SetDiagnostic(connection.diagnostic, kMsgMemoryAllocation);
    return SQL_ERROR;
  }
  descriptor->allocationType = kDescriptorApplication;
  descriptor->connection = &connection;
  LinkDescriptor(connection, *descriptor);
  *out = descriptor;
  return SQL_SUCCESS;
}

SQLRETURN FreeDescriptor(DescriptorHandle* descriptor) {
  if (descriptor->allocationType == kDescriptorImplicit) {
    SetDiagnostic(descriptor->diagnostic, kMsgAutomaticDescriptor);
    return SQL_ERROR;
  }
  ConnectionHandle& connection = *descriptor->connection;
  UnlinkDescriptor(connection, *descriptor);
  for (StatementHandle* statement = connection.firstStatement; statement != nullptr;
       statement = statement->nextStatement) {
    if (statement->currentArd == descriptor) statement->currentArd = &statement->ard;
    if (statement->currentApd == descriptor) statement->currentApd = &statement->apd;
  }
  ReleaseDescriptorRecords(*descriptor, false);
  delete descriptor;
  return SQL_SUCCESS;
}

void FreeApplicationDescriptors(ConnectionHandle& connection) {
  DescriptorHandle** link = &connection.firstDescriptor;
  while (*link != nullptr) {
    DescriptorHandle* descriptor = *link;
    if (descriptor->allocationType != kDescriptorApplication) {
      link = &descriptor->nextDescriptor;
      continue;
    }
    *link = descriptor->nextDescriptor;
    ReleaseDescriptorRecords(*descriptor, false);
    delete descriptor;
  }
}
