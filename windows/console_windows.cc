// Questions and waits in a console window of the program's own. Keys are read from the console
// itself (CONIN$) one key press at a time, so that no Enter is needed and nothing that was typed
// before the question answers it.
#include "windows/console_windows.h"

#include <windows.h>

#include <string>

#include "check/own_console.h"
#include "common/output.h"

namespace {

// The character of the next key pressed, or 0 when the console cannot be read.
wchar_t NextKey() {
  const HANDLE input =
      CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (input == INVALID_HANDLE_VALUE) return 0;
  FlushConsoleInputBuffer(input);
  wchar_t key = 0;
  for (;;) {
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputW(input, &record, 1, &read) || read == 0) break;
    if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) {
      key = record.Event.KeyEvent.uChar.UnicodeChar;
      // Shift, Ctrl and the like alone are not an answer.
      if (key != 0) break;
    }
  }
  CloseHandle(input);
  return key;
}

}  // namespace

bool OwnConsole() {
  // A program that reads the output (a pipe or a file) wants no question and no wait, also
  // when it started the check without a console, as pythonw does, which gives it one alone.
  DWORD processes[2];
  DWORD mode = 0;
  return GetConsoleProcessList(processes, 2) == 1 &&
         GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

bool AskYesNo(const std::string& question) {
  PrintOutput(question);
  const wchar_t key = NextKey();
  const bool yes = key == L'y' || key == L'Y';
  PrintOutput(yes ? "y\n" : "n\n");
  return yes;
}

void WaitForKey(const std::string& text) {
  PrintOutput(text);
  NextKey();
}
