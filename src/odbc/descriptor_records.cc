// A descriptor's records: an unsorted list, newest first, numbered by
// column or parameter.
#include "odbc/descriptor_records.h"

#include <new>

namespace {

// What an unbound record within the descriptor's range reads as.
constexpr DescriptorRecord kEmptyRecord{nullptr, 65535, SQL_C_DEFAULT, 0, 0, nullptr, 0, nullptr, nullptr};

}  // namespace

const DescriptorRecord* FindDescriptorRecord(const DescriptorHandle& descriptor, std::uint16_t number) {
  for (const DescriptorRecord* record = descriptor.records; record != nullptr; record = record->nextRecord)
    if (record->number == number) return record;
  return number <= HighestRecordNumber(descriptor) ? &kEmptyRecord : nullptr;
}

DescriptorRecord* FindOrCreateDescriptorRecord(DescriptorHandle& descriptor, std::uint16_t number) {
  for (DescriptorRecord* record = descriptor.records; record != nullptr; record = record->nextRecord)
    if (record->number == number) return record;
  auto* record = new (std::nothrow) DescriptorRecord;
  if (record == nullptr) return nullptr;
  record->number = number;
  record->nextRecord = descriptor.records;
  descriptor.records = record;
  return record;
}

std::uint16_t HighestRecordNumber(const DescriptorHandle& descriptor) {
  std::uint16_t highest = 0;
  for (const DescriptorRecord* record = descriptor.records; record != nullptr; record = record->nextRecord)
    if (record->number > highest) highest = record->number;
  return highest;
}

void RemoveRecordsAbove(DescriptorHandle& descriptor, std::uint16_t count) {
  DescriptorRecord** link = &descriptor.records;
  while (*link != nullptr) {
    DescriptorRecord* record = *link;
    if (record->number <= count) {
      link = &record->nextRecord;
      continue;
    }
    *link = record->nextRecord;
    delete record;
  }
}

StatementHandle* ImplementationOwner(const DescriptorHandle& descriptor) { return descriptor.owningStatement; }

bool IsImplementationRowDescriptor(const DescriptorHandle& descriptor) {
  return descriptor.owningStatement != nullptr && &descriptor.owningStatement->ird == &descriptor;
}
