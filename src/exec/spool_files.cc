// The spool writer and the installation of a finished file as a SELECT's
// result file.
#include "exec/spool_files.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

void DiscardFile(SpoolWriter& writer) {
  CloseFile(writer.file);
  if (!writer.path.empty()) DeleteFile(writer.path);
  writer.path.clear();
  writer.buffer.reset();
  writer.used = 0;
}

bool FlushBuffer(SpoolWriter& writer) {
  if (writer.used == 0) return true;
  const bool written = WriteWholeBuffer(writer.file, writer.buffer.get(), writer.used);
  writer.used = 0;
  return written;
}

void CloseInstalledFile(ParseTree& tree, SelectFields& select) {
  if (select.resultFile == kNoResultFile) return;
  PlatformFile file = select.resultFile;
  CloseFile(file);
  select.resultFile = kNoResultFile;
  if (select.resultFileName != kNoValue && select.resultFileName < tree.values.size()) {
    std::string& name = tree.values[select.resultFileName].text;
    if (!name.empty()) DeleteFile(name);
    name.clear();
  }
}

// The name buffer the binder reserved; one is added when the SELECT has
// none, so the file can always be deleted later.
MessageId NameBuffer(ParseTree& tree, NodeIndex select, ValueIndex& name) {
  name = tree.nodes[select].fields.select.resultFileName;
  if (name != kNoValue && name < tree.values.size()) return kMsgSuccess;
  name = AddValueBuffer(tree, 0);
  if (name == kNoValue) return kMsgMemoryAllocation;
  tree.nodes[select].fields.select.resultFileName = name;
  return kMsgSuccess;
}

}  // namespace

SpoolWriter::~SpoolWriter() { DiscardFile(*this); }

MessageId OpenSpoolWriter(SpoolWriter& writer) {
  DiscardFile(writer);
  writer.buffer.reset(new (std::nothrow) unsigned char[kSpoolBufferSize]);
  if (writer.buffer == nullptr) return kMsgUnableToOrderBy;
  writer.file = CreateTemporaryFile(writer.path);
  if (writer.file == kNoFile) {
    DiscardFile(writer);
    return kMsgUnableToOrderBy;
  }
  return kMsgSuccess;
}

std::int64_t WriteSpoolBytes(SpoolWriter& writer, const void* bytes, std::uint32_t count) {
  if (writer.buffer == nullptr || writer.file == kNoFile) return -1;
  const auto* from = static_cast<const unsigned char*>(bytes);
  std::uint32_t remaining = count;
  while (true) {
    const std::uint32_t taken = std::min(remaining, kSpoolBufferSize - writer.used);
    if (taken > 0) std::memcpy(writer.buffer.get() + writer.used, from, taken);
    writer.used += taken;
    from += taken;
    remaining -= taken;
    if (remaining == 0) return count;
    if (!FlushBuffer(writer)) return -1;
  }
}

std::int32_t CloseSpoolWriter(SpoolWriter& writer) {
  const bool written = writer.file != kNoFile && FlushBuffer(writer);
  writer.buffer.reset();
  if (writer.file == kNoFile) return -1;
  CloseFile(writer.file);
  return written ? 0 : -1;
}

MessageId WriteRecordId(SpoolWriter& writer, std::uint32_t recordId) {
  unsigned char bytes[4];
  EncodeRecordId(recordId, bytes);
  return WriteSpoolBytes(writer, bytes, sizeof bytes) < 0 ? kMsgUnableToOrderBy : kMsgSuccess;
}

void EncodeRecordId(std::uint32_t recordId, unsigned char* out) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(recordId >> (8 * i));
}

std::uint32_t DecodeRecordId(const unsigned char* bytes) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

MessageId InstallResultFile(ParseTree& tree, NodeIndex select, SpoolWriter& writer, std::uint8_t distinctRows) {
  if (select >= tree.nodes.size() || tree.nodes[select].kind != kNodeSelect) return kMsgInternalError;
  if (writer.path.empty()) return kMsgUnableToOrderBy;
  const bool closed = writer.file == kNoFile ? true : CloseSpoolWriter(writer) == 0;
  PlatformFile reopened = closed ? OpenFileForReading(writer.path) : kNoFile;
  ValueIndex name = kNoValue;
  MessageId id = reopened == kNoFile ? kMsgUnableToOrderBy : NameBuffer(tree, select, name);
  if (id != kMsgSuccess) {
    CloseFile(reopened);
    DiscardFile(writer);
    return id;
  }
  SelectFields& f = tree.nodes[select].fields.select;
  CloseInstalledFile(tree, f);
  tree.values[name].text = std::move(writer.path);
  writer.path.clear();
  f.resultFile = reopened;
  f.distinctRows = distinctRows;
  f.currentRow = kRowBeforeFirst;
  return kMsgSuccess;
}

MessageId AppendResultRow(ParseTree& tree, NodeIndex select, std::uint32_t recordId) {
  if (select >= tree.nodes.size() || tree.nodes[select].kind != kNodeSelect) return kMsgInternalError;
  SelectFields& f = tree.nodes[select].fields.select;
  if (f.resultFile == kNoResultFile || f.resultFileName == kNoValue || f.resultFileName >= tree.values.size() ||
      f.recordIdPosition < 1 || f.sortRecordLength < f.recordIdPosition - 1 + 4)
    return kMsgInternalError;
  std::vector<unsigned char> row(f.sortRecordLength, 0);
  EncodeRecordId(recordId, row.data() + f.recordIdPosition - 1);
  PlatformFile file = OpenFileForUpdate(tree.values[f.resultFileName].text);
  const std::int64_t offset = static_cast<std::int64_t>(f.rowCount) * f.sortRecordLength;
  const bool written = file != kNoFile && WriteWholeBufferAt(file, row.data(), row.size(), offset);
  CloseFile(file);
  if (!written) return kMsgUnableToCreateKeyset;
  ++f.rowCount;
  return kMsgSuccess;
}
