// The Windows program's entry: a GUI-subsystem WinMain that hands the command tail to the shared
// entry.
#include <windows.h>

#include "app/run.h"
#include "windows/command_tail_windows.h"

namespace {

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

}  // namespace

// lpCmdLine is not used: the start-up code that computes it drops leading bytes of 0x80 and
// above, so the tail is taken from the full command line instead.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return RunCommandTail(CommandTailOf(GetCommandLineA(), IsLeadByte));
}
