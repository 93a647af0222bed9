// Finding, making and dropping the records of a descriptor, and the
// statements that use an application descriptor. Called by the descriptor
// field functions and SQLCopyDesc.
#pragma once

#include <cstdint>

#include "handles/descriptor_handle.h"
#include "handles/handles.h"
#include "handles/statement_handle.h"

// The record with that number; for an unbound number up to the highest one
// (0 on an empty list) a shared empty record that is never written; nullptr
// beyond.
const DescriptorRecord* FindDescriptorRecord(const DescriptorHandle& descriptor, std::uint16_t number);
// The record with that number, made with the defaults at the head of the
// list when missing; nullptr when memory runs out.
DescriptorRecord* FindOrCreateDescriptorRecord(DescriptorHandle& descriptor, std::uint16_t number);
// The highest record number on the list, 0 when it is empty.
std::uint16_t HighestRecordNumber(const DescriptorHandle& descriptor);
// Frees the records numbered above count.
void RemoveRecordsAbove(DescriptorHandle& descriptor, std::uint16_t count);

// The statement whose implementation row or parameter descriptor this is,
// or nullptr for an application descriptor.
StatementHandle* ImplementationOwner(const DescriptorHandle& descriptor);
bool IsImplementationRowDescriptor(const DescriptorHandle& descriptor);

// Calls visit(statement) for every statement of the descriptor's connection
// that binds its columns (rows) or its parameters through the descriptor.
template <typename Visit>
void ForEachStatementBindingThrough(const DescriptorHandle& descriptor, bool rows, Visit&& visit) {
  if (descriptor.connection == nullptr) return;
  for (StatementHandle* s = descriptor.connection->firstStatement; s != nullptr; s = s->nextStatement)
    if ((rows ? s->currentArd : s->currentApd) == &descriptor) visit(*s);
}
