// The user of an Explorer window has no command line to type the printed fix into, so the
// window offers it, and stays open until a key is pressed.
#include "check/own_console.h"

#include "check/run_check.h"
#include "common/output.h"

namespace {

constexpr char kDropFonts[] =
    "quenlo-check tells which average character width (xAvgCharWidth) each face of a font\n"
    "needs for Windows to size its text cells, and can write it into the font.\n"
    "Drop font files (.ttf, .otf, .ttc) on quenlo-check.exe to check them.\n"
    "A font installed in Windows is in use while it is installed: fix a copy, then install the\n"
    "copy.\n";
constexpr char kClose[] = "Press any key to close.";

}  // namespace

int RunCheckInOwnConsole(const std::vector<std::string>& arguments, const FixPrograms& programs) {
  if (arguments.empty()) {
    PrintOutput(kDropFonts);
    WaitForKey(kClose);
    return kCheckTrouble;
  }
  Fixable fixable;
  int status = RunCheckCounting(arguments, programs, &fixable);
  if (fixable.faces > 0) {
    const std::string question = "\nFix " + std::to_string(fixable.faces) + " face(s) in " +
                                 std::to_string(fixable.files.size()) + " file(s) now? [y/N] ";
    if (AskYesNo(question)) {
      std::vector<std::string> fix = {"--fix", "--"};
      fix.insert(fix.end(), fixable.files.begin(), fixable.files.end());
      status = RunCheck(fix, programs);
    }
  }
  PrintOutput("\n");
  WaitForKey(kClose);
  return status;
}
