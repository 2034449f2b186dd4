// Fixed copies and standard input on POSIX systems: a temporary beside the output, renamed over
// it once flushed, and standard input copied to an unnamed temporary file when it is a pipe.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/output_file.h"

namespace {

constexpr std::uint64_t kMaxStandardInput = std::uint64_t{1} << 32;  // offsets reach 4 GiB

int Descriptor(FileHandle file) { return static_cast<int>(file); }

// Copies all of standard input to the descriptor; the count of bytes, or -1.
std::int64_t CopyStandardInput(int to) {
  static unsigned char buffer[65536];
  std::uint64_t copied = 0;
  for (;;) {
    const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) return static_cast<std::int64_t>(copied);
    copied += static_cast<std::uint64_t>(got);
    if (copied > kMaxStandardInput) return -1;
    if (!FileWriteAt(to, copied - static_cast<std::uint64_t>(got), buffer,
                     static_cast<std::size_t>(got))) {
      return -1;
    }
  }
}

}  // namespace

bool FileOpenStandardInput(FileHandle* file, std::uint64_t* size, std::string* why) {
  struct stat status;
  if (fstat(STDIN_FILENO, &status) == 0 && S_ISREG(status.st_mode)) {
    const int copy = fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    if (copy < 0) {
      *why = std::strerror(errno);
      return false;
    }
    *file = copy;
    *size = static_cast<std::uint64_t>(status.st_size);
    return true;
  }
  // A pipe cannot be read at a position: its bytes go to a file without a name first.
  std::FILE* temporary = std::tmpfile();
  const int copy = temporary == nullptr ? -1 : fcntl(fileno(temporary), F_DUPFD_CLOEXEC, 3);
  if (temporary != nullptr) std::fclose(temporary);
  if (copy < 0) {
    *why = "no temporary file could be made for it";
    return false;
  }
  const std::int64_t copied = CopyStandardInput(copy);
  if (copied < 0) {
    close(copy);
    *why = "it could not be read whole, or holds more than the 4 GiB a font can";
    return false;
  }
  *file = copy;
  *size = static_cast<std::uint64_t>(copied);
  return true;
}

bool FileCreateBeside(const std::string& path, FileHandle* file, std::string* created,
                      std::string* why) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    *created =
        folder + "." + name + ".quenlo-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
    const int fd = open(created->c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd >= 0) {
      *file = fd;
      return true;
    }
    if (errno != EEXIST) {
      *why = std::strerror(errno);
      return false;
    }
  }
  *why = "no temporary name was free beside it";
  return false;
}

bool FileIsOpenAs(FileHandle file, const std::string& path) {
  struct stat open;
  struct stat named;
  return fstat(Descriptor(file), &open) == 0 && stat(path.c_str(), &named) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

bool FileFlush(FileHandle file) { return fsync(Descriptor(file)) == 0; }

bool FileRename(const std::string& from, const std::string& to, std::string* why) {
  if (rename(from.c_str(), to.c_str()) == 0) return true;
  *why = std::strerror(errno);
  return false;
}

void FileRemove(const std::string& path) { unlink(path.c_str()); }

bool IsFolder(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string PathInFolder(const std::string& folder, const std::string& file) {
  const std::size_t slash = file.rfind('/');
  const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
  return folder + (!folder.empty() && folder.back() == '/' ? "" : "/") + name;
}
