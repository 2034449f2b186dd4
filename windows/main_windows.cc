// The Windows program's entry: a GUI-subsystem WinMain that hands the command tail to the shared
// entry.
#include <windows.h>

#include "windows/entry_windows.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunProcessCommandLine(); }
