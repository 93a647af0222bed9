// The file layer in place of the Windows temporary-file and file calls:
// unnamed temporary files in $TMPDIR (else /tmp), 64-bit offsets, whole
// reads and writes. Only this layer calls the POSIX file functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// An open file descriptor; -1 when closed.
using PlatformFile = int;
inline constexpr PlatformFile kNoFile = -1;

// The directory for temporary files: $TMPDIR when set and not empty, else /tmp.
std::string TemporaryDirectory();

// Every descriptor this layer opens is closed on exec, so a program the
// application starts inherits none of the driver's files or connections.

// Creates a new, empty temporary file without a name, open for reading and
// writing; kNoFile when it can't be made. The file lives only as long as its
// descriptor, so nothing is left behind even when the process is killed,
// exits or aborts: every spool, result and sort file is made this way and
// reached through its descriptor alone.
PlatformFile CreateUnnamedTemporaryFile();
// Why this thread's last temporary file could not be made, for a diagnostic:
// the folder, quoted, and the system's reason.
std::string TemporaryFileFailure();
// What CreateUnnamedTemporaryFile falls back on where the file system can't
// make a file without a name: a file named with the prefix "LEM" (mkstemp,
// mode 0600) whose name is removed as soon as it is open. Callable on its
// own so that tests can take this way on any file system.
PlatformFile CreateUnlinkedTemporaryFile();

// Opens an existing file for reading and writing (or reading only).
PlatformFile OpenFileForUpdate(const std::string& path);
PlatformFile OpenFileForReading(const std::string& path);
// Creates or truncates a file for reading and writing, mode 0600.
PlatformFile CreateOrTruncateFile(const std::string& path);

// Writes every byte, retrying short writes; false on any failure.
bool WriteWholeBuffer(PlatformFile file, const void* data, std::size_t size);
// Reads until size bytes or end of file; returns the bytes read, -1 on error.
std::int64_t ReadFullBuffer(PlatformFile file, void* data, std::size_t size);
// Positional forms that leave the file offset alone.
bool WriteWholeBufferAt(PlatformFile file, const void* data, std::size_t size, std::int64_t offset);
std::int64_t ReadFullBufferAt(PlatformFile file, void* data, std::size_t size, std::int64_t offset);

// Moves the file offset; returns the new offset or -1.
std::int64_t SeekFile(PlatformFile file, std::int64_t offset, int whence);
// The file's size in bytes, -1 on error.
std::int64_t FileSize(PlatformFile file);
bool TruncateFile(PlatformFile file, std::int64_t size);
void CloseFile(PlatformFile& file);
bool DeleteFile(const std::string& path);

// A socket for libcurl's connections, closed on exec like every file.
int OpenSocket(int family, int type, int protocol);

// Owns an unnamed temporary file and closes it when it goes out of scope.
struct TemporaryFileHolder {
  PlatformFile file = kNoFile;

  TemporaryFileHolder() = default;
  TemporaryFileHolder(const TemporaryFileHolder&) = delete;
  TemporaryFileHolder& operator=(const TemporaryFileHolder&) = delete;
  ~TemporaryFileHolder() { CloseFile(file); }

  bool Create() { file = CreateUnnamedTemporaryFile(); return file != kNoFile; }
};
