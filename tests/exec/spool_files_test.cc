// Spooled values and result files: every value type through the encoding,
// a result file and an in-memory row and back, NULL markers checked before
// any parsing, the writer's buffer boundary, 64-bit row offsets, and no
// partial file ever left behind or installed, nor any file given a name.
#include "exec/spool_files.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <sqlext.h>

#include "exec/file_size_limit.h"

namespace {

namespace fs = std::filesystem;

// $TMPDIR points at an empty folder of the test's own, so that leftover
// files can be counted.
class SpoolFilesTest : public ::testing::Test {
 protected:
  fs::path base_;
  std::string savedTmpdir_;
  bool hadTmpdir_ = false;
  ParseTree tree_;
  NodeIndex select_ = kNoNode;

  void SetUp() override {
    if (const char* old = std::getenv("TMPDIR")) {
      savedTmpdir_ = old;
      hadTmpdir_ = true;
    }
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    base_ = fs::temp_directory_path() / ("helvane-spool-" + std::to_string(getpid()) + "-" + info->name());
    fs::remove_all(base_);
    fs::create_directories(base_);
    setenv("TMPDIR", base_.c_str(), 1);
    select_ = AddParseNode(tree_, kNodeSelect);
  }

  void TearDown() override {
    SelectFields& f = Select();
    if (f.resultFile != kNoResultFile) CloseFile(f.resultFile);
    if (hadTmpdir_) setenv("TMPDIR", savedTmpdir_.c_str(), 1);
    else unsetenv("TMPDIR");
    fs::remove_all(base_);
  }

  SelectFields& Select() { return tree_.nodes[select_].fields.select; }

  std::size_t NamesInTmpDir() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(base_), fs::directory_iterator()));
  }

  // The files this process holds open in $TMPDIR; a file without a name
  // still shows its folder.
  std::size_t FilesHeld() const {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
      std::error_code ignored;
      if (fs::read_symlink(entry.path(), ignored).string().rfind(base_.string() + "/", 0) == 0) ++count;
    }
    return count;
  }

  // Writes the rows through a writer and installs the file.
  MessageId InstallRows(const std::string& rows, std::uint32_t rowLength, std::uint8_t distinctRows = 0) {
    SpoolWriter writer;
    if (MessageId id = OpenSpoolWriter(writer)) return id;
    if (WriteSpoolBytes(writer, rows.data(), static_cast<std::uint32_t>(rows.size())) < 0) return kMsgUnableToOrderBy;
    if (distinctRows != 0) Select().distinctRecordLength = rowLength;
    else Select().sortRecordLength = rowLength;
    return InstallResultFile(tree_, select_, writer, distinctRows);
  }
};

ValueCell Typed(std::int16_t valueType, std::int16_t sqlType, std::int32_t size = 0) {
  ValueCell cell;
  cell.valueType = valueType;
  cell.sqlType = sqlType;
  cell.size = size;
  cell.nullFlag = 0;
  return cell;
}

ValueCell Text(std::int16_t sqlType, std::int32_t size, std::string text) {
  ValueCell cell = Typed(sqlType == SQL_BINARY || sqlType == SQL_VARBINARY ? kValueBinary : kValueCharacter, sqlType,
                         size);
  cell.bytes = std::move(text);
  return cell;
}

ValueCell Numeric(std::string text) {
  ValueCell cell = Typed(kValueNumeric, SQL_NUMERIC, 5);
  cell.bytes = std::move(text);
  return cell;
}

ValueCell Number(std::int16_t valueType, double value) {
  ValueCell cell = Typed(valueType, valueType == kValueInteger ? SQL_INTEGER : SQL_DOUBLE);
  cell.value.number = value;
  return cell;
}

ValueCell Date(SQLSMALLINT year, SQLUSMALLINT month, SQLUSMALLINT day) {
  ValueCell cell = Typed(kValueDate, SQL_TYPE_DATE);
  cell.value.date = {year, month, day};
  return cell;
}

ValueCell Time(SQLUSMALLINT hour, SQLUSMALLINT minute, SQLUSMALLINT second) {
  ValueCell cell = Typed(kValueTime, SQL_TYPE_TIME);
  cell.value.time = {hour, minute, second};
  return cell;
}

ValueCell Stamp() {
  ValueCell cell = Typed(kValueTimestamp, SQL_TYPE_TIMESTAMP);
  cell.value.timestamp = {2024, 2, 29, 12, 34, 56, 789000000};
  return cell;
}

ValueCell Null(ValueCell cell) {
  cell.nullFlag = 1;
  return cell;
}

std::string DoubleBytes(double value) {
  std::string bytes(8, '\0');
  std::memcpy(bytes.data(), &value, 8);
  return bytes;
}

struct RoundTrip {
  const char* what;
  ValueCell value;
  std::uint32_t width;
  std::string encoded;
  std::string readBytes;  // what a character, numeric or binary value reads back as
};

std::vector<RoundTrip> RoundTrips() {
  using namespace std::string_literals;
  return {
      {"CHAR keeps its padding", Text(SQL_CHAR, 5, "ab"), 5, "ab    ", "ab   "},
      {"VARCHAR loses it", Text(SQL_VARCHAR, 5, "ab"), 5, "ab    ", "ab"},
      {"a long text is cut whole characters", Text(SQL_VARCHAR, 4, "abc\xC3\xA9"), 4, "abc  ", "abc"},
      {"a CHAR in a field of four bytes a character keeps only its own", Text(SQL_CHAR, 2, "\xC3\xA9 "), 8,
       "\xC3\xA9       ", "\xC3\xA9 "},
      {"NULL text", Null(Text(SQL_VARCHAR, 5, "stale")), 5, "     N", ""},
      {"numeric", Numeric("-12.5"), 7, "-12.5   ", "-12.5"},
      {"numeric zero is the empty text", Numeric(""), 7, "        ", ""},
      {"NULL numeric", Null(Numeric("9")), 7, "       N", ""},
      {"integer", Number(kValueInteger, 42), 8, DoubleBytes(42) + " ", ""},
      {"double", Number(kValueDouble, -0.5), 8, DoubleBytes(-0.5) + " ", ""},
      {"NULL double", Null(Number(kValueDouble, 7)), 8, DoubleBytes(0) + "N", ""},
      {"date", Date(2024, 2, 29), 10, "2024-02-29 ", ""},
      {"NULL date", Null(Date(2024, 2, 29)), 10, "0000-00-00N", ""},
      {"time", Time(23, 59, 58), 8, "23:59:58 ", ""},
      {"NULL time", Null(Time(1, 2, 3)), 8, "00:00:00N", ""},
      {"timestamp", Stamp(), 23, "2024-02-29 12:34:56.789 ", ""},
      {"NULL timestamp", Null(Stamp()), 23, "0000-00-00 00:00:00.000N", ""},
      {"binary with zero bytes", Text(SQL_VARBINARY, 5, "\0\x01\xFF"s), 7, "\0\x01\xFF\0\0\0\x03 "s, "\0\x01\xFF"s},
      {"empty binary is no NULL", Text(SQL_VARBINARY, 5, ""), 7, "\0\0\0\0\0\0\0 "s, ""},
      {"NULL binary", Null(Text(SQL_VARBINARY, 5, "xy")), 7, "\0\0\0\0\0\0\0N"s, ""},
  };
}

void ExpectReadBack(const RoundTrip& c, const ValueCell& back) {
  EXPECT_EQ(back.nullFlag, c.value.nullFlag) << c.what;
  switch (c.value.valueType) {
    case kValueCharacter:
    case kValueNumeric:
    case kValueBinary: EXPECT_EQ(back.bytes, c.readBytes) << c.what; break;
    case kValueInteger:
    case kValueDouble:
      EXPECT_EQ(back.value.number, c.value.nullFlag != 0 ? 0.0 : c.value.value.number) << c.what;
      break;
    default: {
      const NodeValue expected = c.value.nullFlag != 0 ? NodeValue{} : c.value.value;
      const std::size_t size = c.value.valueType == kValueTimestamp ? sizeof(SQL_TIMESTAMP_STRUCT) : 6;
      EXPECT_EQ(std::memcmp(&back.value, &expected, size), 0) << c.what;
    }
  }
}

ValueCell EmptyLike(const ValueCell& value) {
  ValueCell cell = Typed(value.valueType, value.sqlType, value.size);
  cell.bytes = "junk";
  cell.value.number = 99;
  cell.nullFlag = 7;
  return cell;
}

// Each value is spooled after a three-byte prefix at an odd position, so a
// reader that ignored the position would read the wrong bytes.
TEST_F(SpoolFilesTest, EveryValueTypeRoundTripsWithItsNullMarker) {
  for (const RoundTrip& c : RoundTrips()) {
    std::string encoded(c.width + 1, '?');
    ASSERT_EQ(EncodeSpooledValue(c.value, c.width, reinterpret_cast<unsigned char*>(encoded.data())), kMsgSuccess)
        << c.what;
    EXPECT_EQ(encoded, c.encoded) << c.what;

    SpoolWriter writer;
    ASSERT_EQ(OpenSpoolWriter(writer), kMsgSuccess);
    for (int row = 0; row < 3; ++row) {
      ASSERT_EQ(WriteSpoolBytes(writer, "pre", 3), 3);
      ASSERT_EQ(WriteSpooledValue(writer, c.value, c.width), kMsgSuccess) << c.what;
    }
    Select().sortRecordLength = c.width + 4;
    ASSERT_EQ(InstallResultFile(tree_, select_, writer, 0), kMsgSuccess);
    Select().currentRow = 2;
    ValueCell fromFile = EmptyLike(c.value);
    ASSERT_EQ(ReadSpooledColumnValue(tree_, select_, fromFile, 4, c.width), kMsgSuccess) << c.what;
    ExpectReadBack(c, fromFile);

    const ValueIndex row = AddValueBuffer(tree_, c.width + 4);
    tree_.values[row].text = "pre" + encoded;
    Select().inMemoryRow = row;
    ValueCell fromMemory = EmptyLike(c.value);
    ASSERT_EQ(ReadSpooledColumnValue(tree_, select_, fromMemory, 4, c.width), kMsgSuccess) << c.what;
    ExpectReadBack(c, fromMemory);
    Select().inMemoryRow = kNoValue;
  }
  EXPECT_EQ(FilesHeld(), 1u);  // only the installed file
  EXPECT_EQ(NamesInTmpDir(), 0u);
}

TEST_F(SpoolFilesTest, ValuesWithoutAnEncodingAreRefused) {
  unsigned char out[32];
  EXPECT_EQ(EncodeSpooledValue(Numeric("123456"), 5, out), kMsgOutOfRange);  // cutting would change the number
  EXPECT_EQ(EncodeSpooledValue(Text(SQL_VARBINARY, 5, "x"), 1, out), kMsgInternalError);
  EXPECT_EQ(EncodeSpooledValue(Typed(kValueUntyped, 0), 4, out), kMsgInternalError);
  EXPECT_EQ(EncodeSpooledValue(Number(kValueDouble, 1), 4, out), kMsgInternalError);
}

// What the reader refuses, with the row and values it is given.
TEST_F(SpoolFilesTest, ReaderRefusesBadMarkersAndPlacesOutsideTheRow) {
  using namespace std::string_literals;
  struct Case {
    const char* what;
    std::string row;
    ValueCell cell;
    std::uint32_t position;
    std::uint32_t width;
    MessageId id;
  } cases[] = {
      {"a marker that is neither blank nor N", "2024-01-01X", Date(1, 1, 1), 1, 10, kMsgUnableToOrderBy},
      {"a NUL marker", "abc\0"s, Text(SQL_CHAR, 3, ""), 1, 3, kMsgUnableToOrderBy},
      {"a binary length beyond the width", "ab\0\x09 "s, Text(SQL_VARBINARY, 2, ""), 1, 4, kMsgUnableToOrderBy},
      {"a value past the row's end", "abc ", Text(SQL_CHAR, 3, ""), 2, 3, kMsgUnableToOrderBy},
      {"position 0", "abc ", Text(SQL_CHAR, 3, ""), 0, 3, kMsgUnableToOrderBy},
      {"a date that is none", "2024-13-01 ", Date(1, 1, 1), 1, 10, kMsgConversionError},
      {"an unknown value type", "abc ", Typed(77, 0), 1, 3, kMsgNotSupportedDetail},
      {"a NULL date of any bytes", "garbage!!!N", Date(1, 1, 1), 1, 10, kMsgSuccess},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(InstallRows(c.row, static_cast<std::uint32_t>(c.row.size())), kMsgSuccess);
    Select().currentRow = 0;
    ValueCell cell = c.cell;
    EXPECT_EQ(ReadSpooledColumnValue(tree_, select_, cell, c.position, c.width), c.id) << c.what;
  }
  ValueCell cell = Text(SQL_CHAR, 3, "");
  Select().currentRow = kRowBeforeFirst;
  EXPECT_EQ(ReadSpooledColumnValue(tree_, select_, cell, 1, 3), kMsgUnableToOrderBy) << "no current row";
  EXPECT_EQ(ReadSpooledColumnValue(tree_, kNoNode, cell, 1, 3), kMsgInternalError);
  const NodeIndex notSelect = AddParseNode(tree_, kNodeNull);
  EXPECT_EQ(ReadSpooledColumnValue(tree_, notSelect, cell, 1, 3), kMsgInternalError);
}

// DISTINCT records are rows of their own length.
TEST_F(SpoolFilesTest, DistinctRowsUseTheDistinctRecordLength) {
  ASSERT_EQ(InstallRows("0000000001one  0000000002two  ", 15, 1), kMsgSuccess);
  Select().sortRecordLength = 4;
  Select().currentRow = 1;
  ValueCell cell = Text(SQL_VARCHAR, 4, "");
  ASSERT_EQ(ReadSpooledColumnValue(tree_, select_, cell, 11, 4), kMsgSuccess);
  EXPECT_EQ(cell.bytes, "two");
  EXPECT_EQ(Select().distinctRows, 1);
}

TEST_F(SpoolFilesTest, AFullBufferWaitsForTheNextWriteOrTheClose) {
  const std::string chunk(4096, 'x');
  SpoolWriter writer;
  ASSERT_EQ(OpenSpoolWriter(writer), kMsgSuccess);
  for (int i = 0; i < 8; ++i) ASSERT_EQ(WriteSpoolBytes(writer, chunk.data(), 4096), 4096);
  EXPECT_EQ(writer.used, kSpoolBufferSize);
  EXPECT_EQ(FileSize(writer.file), 0);
  ASSERT_EQ(WriteSpoolBytes(writer, "y", 1), 1);
  EXPECT_EQ(FileSize(writer.file), 32768);
  EXPECT_EQ(writer.used, 1u);
  const std::string big(70000, 'z');
  ASSERT_EQ(WriteSpoolBytes(writer, big.data(), 70000), 70000);
  EXPECT_EQ(FileSize(writer.file), 3 * 32768);
  ASSERT_EQ(CloseSpoolWriter(writer), 0);
  EXPECT_EQ(FileSize(writer.file), 32768 + 1 + 70000);
}

TEST_F(SpoolFilesTest, RecordIdsAreLittleEndianAndMarkNullRows) {
  SpoolWriter writer;
  ASSERT_EQ(OpenSpoolWriter(writer), kMsgSuccess);
  ASSERT_EQ(WriteRecordId(writer, 0x01020304u), kMsgSuccess);
  ASSERT_EQ(WriteRecordId(writer, kNullRowRecordId), kMsgSuccess);
  Select().sortRecordLength = 8;
  ASSERT_EQ(InstallResultFile(tree_, select_, writer, 0), kMsgSuccess);
  unsigned char bytes[8] = {};
  ASSERT_EQ(ReadFullBufferAt(Select().resultFile, bytes, 8, 0), 8);
  const unsigned char expected[8] = {4, 3, 2, 1, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(std::memcmp(bytes, expected, 8), 0);
  EXPECT_EQ(DecodeRecordId(bytes), 0x01020304u);
  EXPECT_EQ(DecodeRecordId(bytes + 4), kNullRowRecordId);
}

// A row added through the cursor goes after the rows there, past any rows a
// row limit cut off, and the installed file reads it; a file that can't be
// written keeps its rows and count.
TEST_F(SpoolFilesTest, AnAddedRowIsAppendedAfterTheCountedRows) {
  ASSERT_EQ(InstallRows(std::string("k1") + "\x01\0\0\0" + "k2" + "\x02\0\0\0" + "k3" + "\x03\0\0\0", 6),
            kMsgSuccess);
  Select().recordIdPosition = 3;
  Select().rowCount = 2;
  ASSERT_EQ(AppendResultRow(tree_, select_, 0xF0000001u), kMsgSuccess);
  EXPECT_EQ(Select().rowCount, 3u);
  unsigned char bytes[6] = {1, 1, 1, 1, 1, 1};
  ASSERT_EQ(ReadFullBufferAt(Select().resultFile, bytes, 6, 12), 6);
  const unsigned char expected[6] = {0, 0, 0x01, 0, 0, 0xF0};
  EXPECT_EQ(std::memcmp(bytes, expected, 6), 0);

  {
    ScopedFileSizeLimit limit(12);
    EXPECT_EQ(AppendResultRow(tree_, select_, 4), kMsgUnableToCreateKeyset);
  }
  EXPECT_EQ(Select().rowCount, 3u);
  EXPECT_EQ(FileSize(Select().resultFile), 18);
}

// A row past 4 GiB: its offset only fits 64 bits. The file is sparse.
TEST_F(SpoolFilesTest, RowsBeyondFourGibibytesAreReachable) {
  SpoolWriter writer;
  ASSERT_EQ(OpenSpoolWriter(writer), kMsgSuccess);
  ASSERT_EQ(CloseSpoolWriter(writer), 0);
  const std::int64_t row = 400000000;
  const std::uint32_t length = 13;
  std::string encoded(9, '\0');
  ASSERT_EQ(EncodeSpooledValue(Number(kValueDouble, 6.25), 8, reinterpret_cast<unsigned char*>(encoded.data())),
            kMsgSuccess);
  const bool written = WriteWholeBufferAt(writer.file, encoded.data(), encoded.size(), row * length + 4);
  if (!written) GTEST_SKIP() << "no sparse file of 5 GB here";
  Select().sortRecordLength = length;
  ASSERT_EQ(InstallResultFile(tree_, select_, writer, 0), kMsgSuccess);
  Select().currentRow = row;
  ValueCell cell = Typed(kValueDouble, SQL_DOUBLE);
  ASSERT_EQ(ReadSpooledColumnValue(tree_, select_, cell, 5, 8), kMsgSuccess);
  EXPECT_EQ(cell.value.number, 6.25);
}

// A pass that fails leaves no file, and the SELECT keeps reading its
// previous result; a pass that succeeds replaces it and deletes the old one.
TEST_F(SpoolFilesTest, OnlyAFinishedFileReplacesTheResult) {
  ASSERT_EQ(InstallRows("old ", 4), kMsgSuccess);
  auto expectOldResult = [&](const char* what) {
    Select().currentRow = 0;
    ValueCell cell = Text(SQL_CHAR, 3, "");
    EXPECT_EQ(ReadSpooledColumnValue(tree_, select_, cell, 1, 3), kMsgSuccess) << what;
    EXPECT_EQ(cell.bytes, "old") << what;
    EXPECT_EQ(FilesHeld(), 1u) << what;
  };
  {
    SpoolWriter writer;
    ASSERT_EQ(OpenSpoolWriter(writer), kMsgSuccess);
    const std::string rows(100000, 'r');
    ScopedFileSizeLimit limit(40000);
    EXPECT_EQ(WriteSpoolBytes(writer, rows.data(), 100000), -1);
  }
  expectOldResult("a short write");
  {
    SpoolWriter writer;
    ASSERT_EQ(OpenSpoolWriter(writer), kMsgSuccess);
    ASSERT_EQ(WriteSpoolBytes(writer, "new ", 4), 4);
    ScopedFileSizeLimit limit(2);
    EXPECT_EQ(InstallResultFile(tree_, select_, writer, 1), kMsgUnableToOrderBy);
    EXPECT_EQ(Select().distinctRows, 0);
  }
  expectOldResult("a close whose write fails");
  setenv("TMPDIR", (base_ / "missing").c_str(), 1);
  {
    SpoolWriter writer;
    EXPECT_EQ(OpenSpoolWriter(writer), kMsgNoTemporaryFile);
  }
  setenv("TMPDIR", base_.c_str(), 1);
  expectOldResult("no temporary folder");

  ASSERT_EQ(InstallRows("new ", 4), kMsgSuccess);
  EXPECT_EQ(FilesHeld(), 1u);
  EXPECT_EQ(NamesInTmpDir(), 0u);
  EXPECT_EQ(Select().currentRow, kRowBeforeFirst);
  Select().currentRow = 0;
  ValueCell cell = Text(SQL_CHAR, 3, "");
  EXPECT_EQ(ReadSpooledColumnValue(tree_, select_, cell, 1, 3), kMsgSuccess);
  EXPECT_EQ(cell.bytes, "new");
}

}  // namespace
