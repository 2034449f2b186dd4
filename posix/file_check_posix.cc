// File access that only quenlo-check needs on POSIX systems: its opens, which say why they
// failed, and cutting a file back; apart from the patcher's, so that quenlo links none of it.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/file.h"
#include "common/output_file.h"

namespace {

// Why open(2) failed, in the user's terms where they are plain, in the system's otherwise.
std::string WhyNotOpened(int error, bool writing) {
  switch (error) {
    case ENOENT:
      return "there is no such file";
    case ENOTDIR:
      return "a part of its path is not a folder";
    case EISDIR:
      return "it is a directory, not a font file";
    case EROFS:
      return "it lies on a read-only file system";
    case EACCES:
    case EPERM:
      return std::string("permission denied: this user may not ") + (writing ? "write" : "read") +
             " it";
    default:
      return std::strerror(error);
  }
}

// Opens path with access and keeps it when it is a regular file; otherwise says why not. As in
// FileOpen, O_NONBLOCK lets a FIFO open without waiting, so that it can be refused.
bool OpenRegularFile(const char* path, int access, FileHandle* file, struct stat* status,
                     std::string* why) {
  const int fd = open(path, access | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *why = WhyNotOpened(errno, access != O_RDONLY);
    return false;
  }
  const char* refusal = nullptr;
  if (fstat(fd, status) != 0) {
    refusal = "its type and length cannot be read";
  } else if (S_ISDIR(status->st_mode)) {
    refusal = "it is a directory, not a font file";
  } else if (!S_ISREG(status->st_mode)) {
    refusal = "it is not a regular file";
  }
  if (refusal != nullptr) {
    *why = refusal;
    close(fd);
    return false;
  }
  *file = fd;
  return true;
}

}  // namespace

bool FileOpenForReading(const char* path, FileHandle* file, std::uint64_t* size, std::string* why) {
  struct stat status;
  if (!OpenRegularFile(path, O_RDONLY, file, &status, why)) return false;
  *size = static_cast<std::uint64_t>(status.st_size);
  return true;
}

bool FileOpenToFix(const char* path, FileHandle* file, std::uint64_t* size, std::string* why) {
  struct stat status;
  if (!OpenRegularFile(path, O_RDWR, file, &status, why)) return false;
  const char* refusal = nullptr;
  if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    // Root may write any file; a file that nobody may write was marked read-only on purpose.
    refusal = "it is read-only";
  } else if (flock(static_cast<int>(*file), LOCK_EX | LOCK_NB) != 0) {
    refusal = "it is in use: another program holds a lock on it";
  }
  if (refusal != nullptr) {
    *why = refusal;
    close(static_cast<int>(*file));
    return false;
  }
  *size = static_cast<std::uint64_t>(status.st_size);
  return true;
}

bool FileOpenToCopy(const char* path, FileHandle* file, std::uint64_t* size, std::string* why) {
  struct stat status;
  if (!OpenRegularFile(path, O_RDONLY, file, &status, why)) return false;
  // A fix in place holds its file exclusively until its last write; a copy waits for no one.
  if (flock(static_cast<int>(*file), LOCK_SH | LOCK_NB) != 0) {
    close(static_cast<int>(*file));
    *why = "it is in use: another program holds a lock on it to write it";
    return false;
  }
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

std::uint64_t FileStoredBytes(FileHandle file, std::uint64_t size) {
  struct stat status;
  if (fstat(static_cast<int>(file), &status) != 0 || status.st_blocks < 0) return size;
  // st_blocks counts units of 512 bytes, whatever the file system's own block size.
  const auto stored = static_cast<std::uint64_t>(status.st_blocks) * 512;
  return stored < size ? stored : size;
}

bool FileKeepOthersOut(FileHandle file) {
  // The kernel signals the holder when another program opens the file and makes that program
  // wait until the lease ends (at most its lease-break time); main ignores that signal.
  return fcntl(static_cast<int>(file), F_SETLEASE, F_WRLCK) == 0;
}

void FileLetOthersIn(FileHandle file) { fcntl(static_cast<int>(file), F_SETLEASE, F_UNLCK); }
