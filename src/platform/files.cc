// POSIX implementation of the file layer used for spool, keyset, sort and
// attachment files.
#include "platform/files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

std::string TemporaryDirectory() {
  const char* dir = std::getenv("TMPDIR");
  if (dir != nullptr && dir[0] != '\0') return dir;
  return "/tmp";
}

namespace {

// The error of this thread's last failed temporary file, read right after
// the failure by whoever reports it.
thread_local int lastTemporaryFileError = 0;

// mkostemp creates the file with mode 0600 and O_EXCL, so no other user can
// read the rows spooled into it.
PlatformFile CreateNamedTemporaryFile(std::string& path) {
  path = TemporaryDirectory();
  if (path.back() != '/') path += '/';
  path += "LEMXXXXXX";
  return mkostemp(path.data(), O_CLOEXEC);
}

}  // namespace

PlatformFile CreateUnnamedTemporaryFile() {
  int fd = open(TemporaryDirectory().c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  return fd >= 0 ? fd : CreateUnlinkedTemporaryFile();
}

PlatformFile CreateUnlinkedTemporaryFile() {
  std::string path;
  const int fd = CreateNamedTemporaryFile(path);
  if (fd < 0) {
    lastTemporaryFileError = errno;
    return kNoFile;
  }
  unlink(path.c_str());
  return fd;
}

std::string TemporaryFileFailure() {
  char buffer[256];
  // The GNU strerror_r, which answers a pointer to the text.
  const char* reason = strerror_r(lastTemporaryFileError, buffer, sizeof buffer);
  return "'" + TemporaryDirectory() + "': " + reason;
}

PlatformFile OpenFileForUpdate(const std::string& path) {
  return open(path.c_str(), O_RDWR | O_CLOEXEC);
}

PlatformFile OpenFileForReading(const std::string& path) {
  return open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

PlatformFile CreateOrTruncateFile(const std::string& path) {
  return open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
}

bool WriteWholeBuffer(PlatformFile file, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(file, bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::int64_t ReadFullBuffer(PlatformFile file, void* data, std::size_t size) {
  char* bytes = static_cast<char*>(data);
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = read(file, bytes + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(done);
}

bool WriteWholeBufferAt(PlatformFile file, const void* data, std::size_t size, std::int64_t offset) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = pwrite(file, bytes, size, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    bytes += n;
    offset += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::int64_t ReadFullBufferAt(PlatformFile file, void* data, std::size_t size, std::int64_t offset) {
  char* bytes = static_cast<char*>(data);
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = pread(file, bytes + done, size - done, offset + static_cast<std::int64_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(done);
}

std::int64_t SeekFile(PlatformFile file, std::int64_t offset, int whence) {
  return lseek(file, offset, whence);
}

std::int64_t FileSize(PlatformFile file) {
  struct stat info {};
  if (fstat(file, &info) != 0) return -1;
  return info.st_size;
}

bool TruncateFile(PlatformFile file, std::int64_t size) {
  return ftruncate(file, size) == 0;
}

void CloseFile(PlatformFile& file) {
  if (file != kNoFile) close(file);
  file = kNoFile;
}

bool DeleteFile(const std::string& path) {
  return !path.empty() && unlink(path.c_str()) == 0;
}

int OpenSocket(int family, int type, int protocol) { return socket(family, type | SOCK_CLOEXEC, protocol); }
