// The width check's entry on Windows: a console program whose wide arguments go to the shared
// check in UTF-8, so that every file name arrives whole whatever the code pages are.
#include <windows.h>

#include <string>
#include <vector>

#include "check/fix_command.h"
#include "check/own_console.h"
#include "check/run_check.h"
#include "windows/console_windows.h"
#include "windows/file_windows.h"
#include "windows/programs_on_path_windows.h"

// MinGW's start-up code expands * and ? in the arguments, as Windows console programs do, when
// this is set; a pattern that matches nothing stays as it was typed. (MSVC links wsetargv.obj.)
extern "C" {
int _dowildcard = -1;
}

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(Utf8FromWide(argv[i]));
  static wchar_t program[32768];
  static wchar_t shortPath[32768];
  const DWORD length = GetModuleFileNameW(nullptr, program, 32768);
  std::string check = length > 0 && length < 32768 ? Utf8FromWide(program) : "quenlo-check.exe";
  // A folder with a space in its name cannot be written bare, where its short name (8.3, as
  // C:\PROGRA~1) often can.
  const DWORD shortLength = length > 0 ? GetShortPathNameW(program, shortPath, 32768) : 0;
  if (ProgramsBeside(check).quenlo == "quenlo.exe" && shortLength > 0 && shortLength < 32768) {
    check = Utf8FromWide(shortPath);
  }
  const FixPrograms programs = ProgramsAsRun(check);
  return OwnConsole() ? RunCheckInOwnConsole(arguments, programs) : RunCheck(arguments, programs);
}
