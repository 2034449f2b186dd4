// File access on POSIX systems: descriptors, positional I/O and an flock lock.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/file.h"

namespace {

int Descriptor(FileHandle file) { return static_cast<int>(file); }

}  // namespace

bool FileOpen(const char* path, FileHandle* file, std::uint64_t* size) {
  // O_NONBLOCK lets a FIFO or device open without waiting, so the type check can refuse it; for
  // a regular file the flag changes nothing. O_NOCTTY keeps a terminal from becoming ours. The
  // lock stands in for Windows' share mode 0: the open fails while another process holds the
  // lock, and other flock users are kept out until FileClose.
  const int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat status;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  *file = fd;
  *size = static_cast<std::uint64_t>(status.st_size);
  return true;
}

bool FileReadAt(FileHandle file, std::uint64_t position, unsigned char* buffer, std::size_t count) {
  while (count > 0) {
    const ssize_t got = pread(Descriptor(file), buffer, count, static_cast<off_t>(position));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    buffer += got;
    count -= static_cast<std::size_t>(got);
    position += static_cast<std::uint64_t>(got);
  }
  return true;
}

bool FileWriteAt(FileHandle file, std::uint64_t position, const unsigned char* bytes,
                 std::size_t count) {
  while (count > 0) {
    const ssize_t put = pwrite(Descriptor(file), bytes, count, static_cast<off_t>(position));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes += put;
    count -= static_cast<std::size_t>(put);
    position += static_cast<std::uint64_t>(put);
  }
  return true;
}

void FileClose(FileHandle file) { close(Descriptor(file)); }
