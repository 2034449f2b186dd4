// File access that only the fixer needs on Windows: its exclusive open, which says why it failed,
// and cutting a file back; apart from the patcher's, so that quenlo.exe links none of it.
#include <windows.h>

#include <string>

#include "common/file.h"
#include "windows/file_windows.h"

namespace {

// Why CreateFileW could not open the file for writing, in the user's terms.
std::string WhyNotOpened(const wchar_t* path, DWORD error) {
  const DWORD attributes = GetFileAttributesW(path);
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "there is no such file";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "it is in use by another program. A font installed in Windows is in use while it "
             "is installed: fix a copy, then install the copy";
    case ERROR_ACCESS_DENIED:
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return "it is a directory, not a font file";
      }
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return "it is read-only";
      }
      return "access is denied: this user may not write it";
    case ERROR_WRITE_PROTECT:
      return "it lies on a write-protected disk";
    default:
      return "Windows error " + std::to_string(error);
  }
}

}  // namespace

bool FileOpenToFix(const char* path, FileHandle* file, std::uint64_t* size, std::string* why) {
  const wchar_t* widePath = WidePath(path);
  if (widePath == nullptr) {
    *why = "its name is not valid UTF-8";
    return false;
  }
  // Share mode 0, as for the patcher: no other program reads or writes it while it is fixed.
  const HANDLE handle = CreateFileW(widePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *why = WhyNotOpened(widePath, GetLastError());
    return false;
  }
  if (!KeepDiskFile(handle, file, size)) {
    *why = "it is not a regular file";
    return false;
  }
  // An administrator, or Wine's root, may open a file marked read-only for writing; it was marked
  // so on purpose.
  const DWORD attributes = GetFileAttributesW(widePath);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    FileClose(*file);
    *why = "it is read-only";
    return false;
  }
  return true;
}

bool FileSetLength(FileHandle file, std::uint64_t length) {
  return MoveTo(file, length) && SetEndOfFile(Handle(file)) != 0;
}
