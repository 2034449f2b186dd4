// The Windows program's entry: a GUI-subsystem WinMain that hands lpCmdLine to the shared entry.
#include <windows.h>

#include "app/run.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int) { return RunCommandTail(lpCmdLine); }
