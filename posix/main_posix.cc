// The command-line program's entry: argv becomes the command tail that the shared entry reads.
#include <cstring>
#include <string>

#include "app/run.h"
#include "common/output.h"
#include "common/show_error.h"
#include "common/version.h"
#include "posix/command_tail.h"
#include "posix/standard_streams.h"

namespace {

constexpr char kHelp[] =
    "Usage: quenlo [-w <Width>] <Full TTF file name>\n"
    "Sets the average character width (xAvgCharWidth, OS/2 table) of a TrueType font in place,\n"
    "changing only the field's two bytes.\n"
    "  -w <Width>  the width, 1 to 32767; 8 without it\n"
    "  --help      show this help and exit (as the only argument)\n"
    "  --version   show the version and exit (as the only argument)\n"
    "Exit status: 0 once the width is written; 1 after any failure, told in one message on\n"
    "standard error, with the file left as it was: a bad width or a missing or too long name,\n"
    "a file that cannot be opened, is cut short, is not TrueType, has no OS/2 table or one past\n"
    "its end, or cannot be written. quenlo-check tells which width a font needs.\n";

}  // namespace

int main(int argc, char** argv) {
  if (FillStandardStreams() < 0) return kExitFailure;
  // Only as the only argument, so that every other command line keeps its meaning; a file of
  // that name is reached as ./--help.
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    return PrintOutput(kHelp) ? kExitSuccess : kExitFailure;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    return PrintOutput(std::string("quenlo ") + kVersion + "\n") ? kExitSuccess : kExitFailure;
  }
  std::string tail;
  if (!BuildCommandTail(argc, argv, &tail)) {
    ShowError("Unsupported quote character in argument.");
    return kExitFailure;
  }
  return RunCommandTail(tail.c_str());
}
