// The console build of the Windows program, for the Python package: the same program, with its
// errors on standard error, so that no window can wait for a click on a build machine.
#include "windows/entry_windows.h"

int main() { return RunProcessCommandLine(); }
