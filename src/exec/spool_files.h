// The temporary files of a SELECT's results: the buffered writer every pass
// spools its rows through, the fixed-width encoding of spooled values (sort
// keys, group and DISTINCT records), the reader of one spooled value of the
// current row, and the hand-over of a finished file as the SELECT's result
// file. Used by the sorted-result, grouping, DISTINCT and keyset passes, the
// evaluator and cursor positioning.
//
// A spooled value takes its width, then one marker byte: ' ' for a value,
// 'N' for NULL. By value type:
//   character  the text, blank-padded to the width (a longer text is cut
//              where no UTF-8 sequence splits)
//   binary     the bytes, zero-padded to width - 2, then their length in two
//              bytes, most significant first
//   numeric    the decimal text, blank-padded
//   integer, double  the 8-byte double
//   date, time, timestamp  "yyyy-mm-dd", "hh:mm:ss", "yyyy-mm-dd hh:mm:ss.fff"
// A NULL is the empty text, zero bytes, 0.0 or the all-zero date or time,
// then 'N'. Record ids of a result row are 4-byte little-endian record ids,
// 0xFFFFFFFF for a table in its NULL row.
#pragma once

#include <cstdint>
#include <memory>

#include "common/message_ids.h"
#include "common/value_cell.h"
#include "platform/files.h"
#include "sql/parse_tree.h"

struct StatementHandle;

inline constexpr std::uint32_t kSpoolBufferSize = 32768;
inline constexpr char kSpoolValueMarker = ' ';
inline constexpr char kSpoolNullMarker = 'N';
inline constexpr std::uint32_t kNullRowRecordId = 0xFFFFFFFFu;

// One file being written: an unnamed temporary file, open for reading and
// writing, that only its descriptor reaches. The writer owns it until
// InstallResultFile hands it to a SELECT: a writer that goes out of scope
// before then closes it, which is all it takes to delete it, so a pass that
// fails on any path leaves nothing behind and the SELECT's previous result
// stays as it was.
struct SpoolWriter {
  PlatformFile file = kNoFile;
  std::uint32_t used = 0;  // bytes waiting in the buffer
  std::unique_ptr<unsigned char[]> buffer;

  SpoolWriter() = default;
  SpoolWriter(const SpoolWriter&) = delete;
  SpoolWriter& operator=(const SpoolWriter&) = delete;
  ~SpoolWriter();
};

// Creates a new temporary file and the writer's buffer: 0, 1046 when the
// buffer can't be had, kMsgNoTemporaryFile when the file can't be made
// (nothing is left behind either way).
MessageId OpenSpoolWriter(SpoolWriter& writer);
// The same for a pass of statement's execution: a file that can't be made
// leaves the folder and the system's reason in the statement's detail, and
// a buffer that can't be had answers the pass's own failure.
MessageId OpenStatementSpool(StatementHandle& statement, SpoolWriter& writer, MessageId failure);

// Appends count bytes through the buffer, which is written out only when it
// is full and more bytes follow, so a buffer filled exactly waits for the
// next write or the close. Returns count, or -1 when a full buffer could not
// be written.
std::int64_t WriteSpoolBytes(SpoolWriter& writer, const void* bytes, std::uint32_t count);

// Writes what the buffer holds and frees the buffer, which ends the
// writing; the file stays open and the writer's own, for a sort to work on
// through its descriptor. 0, or -1 when the write failed or the writer holds
// no file.
std::int32_t CloseSpoolWriter(SpoolWriter& writer);

// Writes one value in its spooled form of width bytes and the marker byte.
// 0; 1046 when the bytes could not be written; 1019 for a value type without
// an encoding, a binary width below 2, a double's below 8 or any width above
// 65535; 1011 for a numeric text wider than the width, which cutting would
// change.
MessageId WriteSpooledValue(SpoolWriter& writer, const ValueCell& value, std::uint32_t width);

// The same encoding into memory: writes width + 1 bytes at out.
MessageId EncodeSpooledValue(const ValueCell& value, std::uint32_t width, unsigned char* out);

// Reads width + 1 bytes of a spooled value into the cell by the cell's type.
// The marker is checked first, so a NULL is never parsed; a VARCHAR or
// LONGVARCHAR text loses its trailing blanks, a CHAR text keeps them. 0;
// 1046 for a marker that is neither ' ' nor 'N' or a binary length beyond
// the width; 1019 for widths the encoding refuses; 1003 for an unknown value
// type; the date-time parsers' 1009 for a value that is not one.
MessageId DecodeSpooledValue(const unsigned char* bytes, std::uint32_t width, ValueCell& cell);

// Reads the spooled value at position (1-based) and width of the SELECT's
// current row into the cell: from the SELECT's in-memory row when it has
// one, else from its result file at current row x row size + position - 1,
// rows being DISTINCT records while the DISTINCT-rows flag is set. 1019 when
// select is no SELECT; 1046 for a row or value outside the file or the
// in-memory row, or a failed read; DecodeSpooledValue's failures.
MessageId ReadSpooledColumnValue(ParseTree& tree, NodeIndex select, ValueCell& cell, std::uint32_t position,
                                 std::uint32_t width);

// A record id of a result row, little-endian whatever the host's order:
// 0, or 1046 when it could not be written. kNullRowRecordId stands for a
// table in its NULL row.
MessageId WriteRecordId(SpoolWriter& writer, std::uint32_t recordId);
void EncodeRecordId(std::uint32_t recordId, unsigned char* out);
std::uint32_t DecodeRecordId(const unsigned char* bytes);

// Closes the writer when it is still open and hands its file to the SELECT
// as its result file: the previous one is closed (and so deleted), the
// descriptor stored, the DISTINCT-rows flag set as given and the current row
// set before the first. The row count is the pass's to set. 0; 1046 when
// the writer holds no file or its close failed, and then the new file is
// deleted and the previous result file stays installed; 1019 when select
// is no SELECT.
MessageId InstallResultFile(ParseTree& tree, NodeIndex select, SpoolWriter& writer, std::uint8_t distinctRows);

// Appends a row for a record added through the cursor to the SELECT's result
// file: zero bytes where the sort key goes, then the record id; the row
// count grows by one, so the row's bookmark is the new count. Written at its
// place through the installed descriptor, whose readers never depend on its
// offset. 0; 1070 when the file can't be written (the rows already there
// stay as they were); 1019 when select is no SELECT with a result file.
MessageId AppendResultRow(ParseTree& tree, NodeIndex select, std::uint32_t recordId);
