// File access that only the fixer needs on POSIX systems: its exclusive open, which says why it
// failed, and cutting a file back; apart from the patcher's, so that quenlo links none of it.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/file.h"

bool FileOpenToFix(const char* path, FileHandle* file, std::uint64_t* size, std::string* why) {
  const int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    switch (errno) {
      case ENOENT:
        *why = "there is no such file";
        break;
      case EISDIR:
        *why = "it is a directory, not a font file";
        break;
      case EROFS:
        *why = "it lies on a read-only file system";
        break;
      case EACCES:
      case EPERM:
        *why = "permission denied: this user may not write it";
        break;
      default:
        *why = std::strerror(errno);
    }
    return false;
  }
  struct stat status;
  const char* refusal = nullptr;
  if (fstat(fd, &status) != 0) {
    refusal = "its type and length cannot be read";
  } else if (!S_ISREG(status.st_mode)) {
    refusal = "it is not a regular file";
  } else if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    // Root may write any file; a file that nobody may write was marked read-only on purpose.
    refusal = "it is read-only";
  } else if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    refusal = "it is in use: another program holds a lock on it";
  }
  if (refusal != nullptr) {
    *why = refusal;
    close(fd);
    return false;
  }
  *file = fd;
  *size = static_cast<std::uint64_t>(status.st_size);
  return true;
}

bool FileSetLength(FileHandle file, std::uint64_t length) {
  int result = 0;
  do {
    result = ftruncate(static_cast<int>(file), static_cast<off_t>(length));
  } while (result != 0 && errno == EINTR);
  return result == 0;
}
