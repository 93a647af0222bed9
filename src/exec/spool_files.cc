// The spool writer and the installation of a finished file as a SELECT's
// result file.
#include "exec/spool_files.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "handles/statement_handle.h"
#include "sql/tree_walks.h"

namespace {

void DiscardFile(SpoolWriter& writer) {
  CloseFile(writer.file);
  writer.buffer.reset();
  writer.used = 0;
}

bool FlushBuffer(SpoolWriter& writer) {
  if (writer.used == 0) return true;
  const bool written = WriteWholeBuffer(writer.file, writer.buffer.get(), writer.used);
  writer.used = 0;
  return written;
}

}  // namespace

SpoolWriter::~SpoolWriter() { DiscardFile(*this); }

MessageId OpenSpoolWriter(SpoolWriter& writer) {
  DiscardFile(writer);
  writer.buffer.reset(new (std::nothrow) unsigned char[kSpoolBufferSize]);
  if (writer.buffer == nullptr) return kMsgUnableToOrderBy;
  writer.file = CreateUnnamedTemporaryFile();
  if (writer.file == kNoFile) {
    DiscardFile(writer);
    return kMsgNoTemporaryFile;
  }
  return kMsgSuccess;
}

MessageId OpenStatementSpool(StatementHandle& statement, SpoolWriter& writer, MessageId failure) {
  const MessageId id = OpenSpoolWriter(writer);
  if (id != kMsgNoTemporaryFile) return id == kMsgSuccess ? id : failure;
  statement.diagnostic.detailText = TemporaryFileFailure();
  return id;
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
  if (writer.file == kNoFile) return -1;
  const bool written = writer.buffer == nullptr || FlushBuffer(writer);
  writer.buffer.reset();
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
  if (CloseSpoolWriter(writer) != 0) {
    DiscardFile(writer);
    return kMsgUnableToOrderBy;
  }
  SelectFields& f = tree.nodes[select].fields.select;
  CloseResultFile(f);
  f.resultFile = std::exchange(writer.file, kNoFile);
  f.distinctRows = distinctRows;
  f.currentRow = kRowBeforeFirst;
  return kMsgSuccess;
}

MessageId AppendResultRow(ParseTree& tree, NodeIndex select, std::uint32_t recordId) {
  if (select >= tree.nodes.size() || tree.nodes[select].kind != kNodeSelect) return kMsgInternalError;
  SelectFields& f = tree.nodes[select].fields.select;
  if (f.resultFile == kNoResultFile || f.recordIdPosition < 1 || f.sortRecordLength < f.recordIdPosition - 1 + 4)
    return kMsgInternalError;
  std::vector<unsigned char> row(f.sortRecordLength, 0);
  EncodeRecordId(recordId, row.data() + f.recordIdPosition - 1);
  const std::int64_t offset = static_cast<std::int64_t>(f.rowCount) * f.sortRecordLength;
  if (!WriteWholeBufferAt(f.resultFile, row.data(), row.size(), offset)) return kMsgUnableToCreateKeyset;
  ++f.rowCount;
  return kMsgSuccess;
}
