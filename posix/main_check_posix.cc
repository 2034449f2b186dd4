// The width check's entry on POSIX systems: the arguments go to the shared check as they are.
#include <csignal>
#include <string>
#include <vector>

#include "check/fix_command.h"
#include "check/run_check.h"
#include "common/output.h"
#include "posix/programs_on_path.h"
#include "posix/standard_streams.h"

int main(int argc, char** argv) {
  const int closed = FillStandardStreams();
  if (closed < 0) return kCheckTrouble;
  // A report sent to /dev/null in place of a closed standard output would pass for written.
  if (closed & 1 << 1) {
    PrintError("quenlo-check: cannot write the report: standard output is closed");
    return kCheckTrouble;
  }
  // Past a file size limit (ulimit -f) a write then fails, and --fix puts the file back, where
  // the signal would kill the process halfway through its writes. A report that finds its pipe
  // closed fails the same way and is said on standard error, where the signal would end a run
  // that has just fixed a file without a word.
  signal(SIGXFSZ, SIG_IGN);
  signal(SIGPIPE, SIG_IGN);
  // The signal that says another program wants a file that --fix keeps it out of would end the
  // process by default, halfway through its writes; the other program waits either way.
  signal(SIGIO, SIG_IGN);
  return RunCheck(std::vector<std::string>(argv + 1, argv + argc),
                  ProgramsAsRun(argc > 0 ? argv[0] : "quenlo-check"));
}
