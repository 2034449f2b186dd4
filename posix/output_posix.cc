// Output on POSIX systems, written with write(2) so that a failure shows.
#include <unistd.h>

#include <cerrno>

#include "common/output.h"

namespace {

bool WriteAll(int descriptor, const std::string& text) {
  const char* next = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t written = write(descriptor, next, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    next += written;
    left -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

bool PrintOutput(const std::string& text) { return WriteAll(STDOUT_FILENO, text); }

void PrintError(const std::string& text) { WriteAll(STDERR_FILENO, text + "\n"); }
