// Reports errors on standard error, as the Linux program does: the text and one line feed.
#include <windows.h>

#include <cstring>

#include "common/show_error.h"

void ShowError(const char* text) {
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  WriteFile(error, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
  WriteFile(error, "\n", 1, &written, nullptr);
}
