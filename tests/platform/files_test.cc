// Temporary files: where they are made, who may read them, that they leave
// no name behind and no descriptor outlives an exec, and that large offsets
// and whole reads and writes behave.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"

namespace {

// Points $TMPDIR at a private folder, made afresh for one test (or at a
// folder that doesn't exist, inside it), and restores $TMPDIR and removes the
// folder after.
struct ScopedTmpDir {
  std::string previous;
  bool hadPrevious = false;
  std::string folder;
  std::string dir;
  explicit ScopedTmpDir(const char* missing = nullptr) {
    if (const char* old = std::getenv("TMPDIR")) { previous = old; hadPrevious = true; }
    std::string pattern = std::filesystem::temp_directory_path().string() + "/helvane-files-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) folder = pattern;
    dir = missing != nullptr ? folder + "/" + missing : folder;
    setenv("TMPDIR", dir.c_str(), 1);
  }
  ~ScopedTmpDir() {
    if (hadPrevious) setenv("TMPDIR", previous.c_str(), 1); else unsetenv("TMPDIR");
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
  }
};

bool ClosedOnExec(PlatformFile file) { return (fcntl(file, F_GETFD) & FD_CLOEXEC) != 0; }

std::ptrdiff_t EntriesIn(const std::string& folder) {
  return std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
}

}  // namespace

// Both ways of making a temporary file: without a name where the file
// system can, and the named file unlinked at once where it can't. Either is
// made in $TMPDIR, readable and writable by its owner alone, closed on exec,
// and leaves no name behind while it is open.
TEST(TemporaryFiles, AreMadeInTmpDirForTheOwnerAloneAndLeaveNoName) {
  ScopedTmpDir tmp;
  ASSERT_FALSE(tmp.folder.empty());
  const std::string& dir = tmp.dir;
  const struct {
    const char* what;
    PlatformFile (*create)();
    std::string madeAs;  // the start of the name the descriptor shows
  } cases[] = {
      {"unnamed", CreateUnnamedTemporaryFile, dir + "/"},
      {"named, then unlinked", CreateUnlinkedTemporaryFile, dir + "/LEM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PlatformFile file = c.create();
    ASSERT_NE(file, kNoFile);
    std::error_code ignored;
    const std::string shown = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(file), ignored);
    EXPECT_EQ(shown.rfind(c.madeAs, 0), 0u) << shown;
    struct stat info {};
    ASSERT_EQ(fstat(file, &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_nlink, 0u);
    EXPECT_TRUE(ClosedOnExec(file));
    ASSERT_TRUE(WriteWholeBufferAt(file, "rows", 4, 0));
    char back[4] = {};
    EXPECT_EQ(ReadFullBufferAt(file, back, 4, 0), 4);
    EXPECT_EQ(std::string(back, 4), "rows");
    EXPECT_EQ(EntriesIn(tmp.dir), 0);
    CloseFile(file);
  }
  PlatformFile reopened = OpenFileForReading(dir);
  EXPECT_TRUE(ClosedOnExec(reopened));
  CloseFile(reopened);
}

TEST(TemporaryFiles, FailInAMissingDirectory) {
  ScopedTmpDir tmp("missing");
  EXPECT_EQ(CreateUnnamedTemporaryFile(), kNoFile);
  EXPECT_EQ(TemporaryFileFailure(), "'" + tmp.dir + "': No such file or directory");
  EXPECT_EQ(CreateUnlinkedTemporaryFile(), kNoFile);
}

TEST(TemporaryFiles, ReadAndWriteBeyondFourGigabytesAndTruncate) {
  TemporaryFileHolder holder;
  ASSERT_TRUE(holder.Create());
  const std::int64_t far = (std::int64_t{5} << 30) + 7;  // past any 32-bit offset
  const std::string payload = "record";
  ASSERT_TRUE(WriteWholeBufferAt(holder.file, payload.data(), payload.size(), far));
  EXPECT_EQ(FileSize(holder.file), far + static_cast<std::int64_t>(payload.size()));

  std::string back(payload.size(), '\0');
  EXPECT_EQ(ReadFullBufferAt(holder.file, back.data(), back.size(), far), 6);
  EXPECT_EQ(back, payload);
  // A read that runs into the end of the file reports only what was there.
  std::vector<char> tail(100);
  EXPECT_EQ(ReadFullBufferAt(holder.file, tail.data(), tail.size(), far + 2), 4);

  ASSERT_TRUE(TruncateFile(holder.file, 3));
  EXPECT_EQ(FileSize(holder.file), 3);
}

TEST(TemporaryFiles, SequentialWritesAndReadsMoveTheOffset) {
  TemporaryFileHolder holder;
  ASSERT_TRUE(holder.Create());
  std::string big(1 << 20, 'x');
  big[12345] = 'y';
  ASSERT_TRUE(WriteWholeBuffer(holder.file, big.data(), big.size()));
  ASSERT_TRUE(WriteWholeBuffer(holder.file, "end", 3));
  EXPECT_EQ(SeekFile(holder.file, 0, SEEK_SET), 0);
  std::string back(big.size() + 3, '\0');
  EXPECT_EQ(ReadFullBuffer(holder.file, back.data(), back.size()), static_cast<std::int64_t>(back.size()));
  EXPECT_EQ(back, big + "end");
  EXPECT_EQ(ReadFullBuffer(holder.file, back.data(), 10), 0);
}
