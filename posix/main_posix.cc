// The command-line program's entry: argv becomes the command tail that the shared entry reads.
#include <string>

#include "app/run.h"
#include "common/show_error.h"
#include "posix/command_tail.h"
#include "posix/standard_streams.h"

int main(int argc, char** argv) {
  if (FillStandardStreams() < 0) return kExitFailure;
  std::string tail;
  if (!BuildCommandTail(argc, argv, &tail)) {
    ShowError("Unsupported quote character in argument.");
    return kExitFailure;
  }
  return RunCommandTail(tail.c_str());
}
