// Standard input on Windows: a file on disk is read in place; a pipe goes to a temporary file in
// the folder that TMP or TEMP names, which deletes itself once closed.
#include <windows.h>

#include <algorithm>
#include <string>

#include "common/standard_input.h"
#include "windows/file_windows.h"

namespace {

constexpr DWORD kPiece = 65536;

std::string Reason(DWORD error) { return "Windows error " + std::to_string(error); }

}  // namespace

bool StandardInputAsFile(FileHandle* file, std::uint64_t* size) {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  HANDLE copy = INVALID_HANDLE_VALUE;
  return input != nullptr && input != INVALID_HANDLE_VALUE &&
         GetFileType(input) == FILE_TYPE_DISK &&
         DuplicateHandle(GetCurrentProcess(), input, GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS) &&
         KeepDiskFile(copy, file, size);
}

bool SpoolCreate(FileHandle* spool, std::string* why) {
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  HANDLE temporary = INVALID_HANDLE_VALUE;
  if (GetTempPathW(MAX_PATH + 1, folder) != 0 && GetTempFileNameW(folder, L"qnl", 0, name) != 0) {
    temporary = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  }
  if (temporary == INVALID_HANDLE_VALUE) {
    *why = "cannot make a temporary file for it in the temporary folder (%TMP%): " +
           Reason(GetLastError());
    return false;
  }
  *spool = reinterpret_cast<FileHandle>(temporary);
  return true;
}

bool SpoolMore(FileHandle spool, std::uint64_t want, std::uint64_t* have, std::string* why) {
  static unsigned char buffer[kPiece];
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  while (*have < want) {
    const auto count = static_cast<DWORD>(std::min<std::uint64_t>(kPiece, want - *have));
    DWORD got = 0;
    if (!ReadFile(input, buffer, count, &got, nullptr)) {
      // The writer closing its end of a pipe is its end, not a failure.
      if (GetLastError() == ERROR_BROKEN_PIPE) return true;
      *why = "cannot read standard input: " + Reason(GetLastError());
      return false;
    }
    if (got == 0) return true;
    if (!FileWriteAt(spool, *have, buffer, got)) {
      *why = "cannot keep it in a temporary file in the temporary folder (%TMP%): " +
             Reason(GetLastError());
      return false;
    }
    *have += got;
  }
  return true;
}
