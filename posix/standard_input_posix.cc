// Standard input on POSIX systems: a regular file is read in place; a stream goes to an unnamed
// file in TMPDIR, made with O_TMPFILE where the file system has it.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/standard_input.h"

namespace {

constexpr std::size_t kPiece = 65536;

// The folder for temporary files: TMPDIR when it names one by its full path, else /tmp.
std::string TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && folder[0] == '/' ? folder : "/tmp";
}

}  // namespace

bool StandardInputAsFile(FileHandle* file, std::uint64_t* size) {
  struct stat status;
  if (fstat(STDIN_FILENO, &status) != 0 || !S_ISREG(status.st_mode)) return false;
  const int copy = fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
  if (copy < 0) return false;
  *file = copy;
  *size = static_cast<std::uint64_t>(status.st_size);
  return true;
}

bool SpoolCreate(FileHandle* spool, std::string* why) {
  const std::string folder = TemporaryFolder();
  int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0 && errno != ENOENT && errno != EACCES && errno != ENOSPC && errno != EROFS) {
    // A file system without O_TMPFILE: a named file, removed at once.
    std::string name = folder + "/quenlo-XXXXXX";
    fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) unlink(name.c_str());
  }
  if (fd < 0) {
    *why = std::string(
               "cannot make a temporary file for it in the temporary folder ($TMPDIR, "
               "else /tmp): ") +
           std::strerror(errno);
    return false;
  }
  *spool = fd;
  return true;
}

bool SpoolMore(FileHandle spool, std::uint64_t want, std::uint64_t* have, std::string* why) {
  static unsigned char buffer[kPiece];
  while (*have < want) {
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, want - *have));
    const ssize_t got = read(STDIN_FILENO, buffer, count);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // A stream set not to block has nothing yet: wait until it has.
      pollfd input{STDIN_FILENO, POLLIN, 0};
      poll(&input, 1, -1);
      continue;
    }
    if (got < 0) {
      *why = std::string("cannot read standard input: ") + std::strerror(errno);
      return false;
    }
    if (got == 0) return true;
    for (ssize_t put = 0; put < got;) {
      const ssize_t wrote =
          pwrite(static_cast<int>(spool), buffer + put, static_cast<std::size_t>(got - put),
                 static_cast<off_t>(*have + static_cast<std::uint64_t>(put)));
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) {
        *why = std::string(
                   "cannot keep it in a temporary file in the temporary folder ($TMPDIR, "
                   "else /tmp): ") +
               std::strerror(wrote < 0 ? errno : ENOSPC);
        return false;
      }
      put += wrote;
    }
    *have += static_cast<std::uint64_t>(got);
  }
  return true;
}
