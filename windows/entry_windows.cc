// lpCmdLine is not used: the start-up code that computes it drops leading bytes of 0x80 and
// above, and it comes, like GetCommandLineA(), with best-fit look-alikes in place of the
// characters that the ANSI code page lacks. The program's manifest makes that code page UTF-8
// where Windows honours it, so every name arrives whole.
#include "windows/entry_windows.h"

#include <windows.h>

#include "app/run.h"
#include "common/show_error.h"
#include "windows/command_line_windows.h"
#include "windows/command_tail_windows.h"

namespace {

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

}  // namespace

int RunProcessCommandLine() {
  static char commandLine[kNarrowCommandLineSize];
  if (!NarrowCommandLine(GetCommandLineW(), GetACP(), commandLine, kNarrowCommandLineSize)) {
    ShowError("Cant't open TTF file");
    return kExitFailure;
  }
  return RunCommandTail(CommandTailOf(commandLine, IsLeadByte));
}
