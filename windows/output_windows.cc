// The width check's output on Windows. A console gets the text as UTF-16, so that every name
// shows whatever the console's code page; a file or a pipe gets the UTF-8 bytes.
#include <windows.h>

#include <string>

#include "common/output.h"

namespace {

bool WriteText(DWORD which, const std::string& text) {
  const HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  if (text.empty()) return true;
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    DWORD written = 0;
    return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(length), &written, nullptr) &&
           written == static_cast<DWORD>(length);
  }
  DWORD written = 0;
  return WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

}  // namespace

bool PrintOutput(const std::string& text) { return WriteText(STD_OUTPUT_HANDLE, text); }

void PrintError(const std::string& text) { WriteText(STD_ERROR_HANDLE, text + "\n"); }
