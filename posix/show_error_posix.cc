// Reports errors on standard error: the text and one line feed, nothing on standard output.
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/show_error.h"

void ShowError(const char* text) {
  char newline = '\n';
  iovec parts[2] = {{const_cast<char*>(text), std::strlen(text)}, {&newline, 1}};
  iovec* next = parts;
  int remaining = 2;
  // One writev keeps the line whole; the loop only matters when a pipe takes part of it.
  while (remaining > 0) {
    const ssize_t written = writev(STDERR_FILENO, next, remaining);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    std::size_t done = static_cast<std::size_t>(written);
    while (remaining > 0 && done >= next->iov_len) {
      done -= next->iov_len;
      ++next;
      --remaining;
    }
    if (remaining > 0) {
      next->iov_base = static_cast<char*>(next->iov_base) + done;
      next->iov_len -= done;
    }
  }
}
