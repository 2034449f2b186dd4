// A program started with standard error closed would get descriptor 2 for the font it opens, and
// its error message would then be written into the font.
#include "posix/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

int FillStandardStreams() {
  int closed = 0;
  for (int stream = STDIN_FILENO; stream <= STDERR_FILENO; ++stream) {
    if (fcntl(stream, F_GETFD) != -1 || errno != EBADF) continue;
    // The lower descriptors are taken by now, so open returns the lowest free one: this one.
    const int opened = open("/dev/null", stream == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened != stream) {
      if (opened >= 0) close(opened);
      return -1;
    }
    closed |= 1 << stream;
  }
  return closed;
}
