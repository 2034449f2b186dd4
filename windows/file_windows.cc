// File access on Windows: the patcher's and the fixer's handles opened with no sharing, the
// check's shared for reading, 64-bit positioning.
#include <windows.h>

#include <string>

#include "common/file.h"

namespace {

HANDLE Handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

bool MoveTo(FileHandle file, std::uint64_t position) {
  LARGE_INTEGER distance;
  distance.QuadPart = static_cast<LONGLONG>(position);
  return SetFilePointerEx(Handle(file), distance, nullptr, FILE_BEGIN) != 0;
}

// Keeps an opened handle when it is a file on disk: pipes and character devices open with the
// same calls, and only files are read or patched.
bool KeepDiskFile(HANDLE handle, FileHandle* file, std::uint64_t* size) {
  if (handle == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER length;
  if (GetFileType(handle) != FILE_TYPE_DISK || GetFileSizeEx(handle, &length) == 0) {
    CloseHandle(handle);
    return false;
  }
  *file = reinterpret_cast<FileHandle>(handle);
  *size = static_cast<std::uint64_t>(length.QuadPart);
  return true;
}

// The path, given in UTF-8, for the wide calls, which reach every name whatever the ANSI code
// page; nullptr when it is not UTF-8 and so names no file. A fixed buffer holds the longest path
// Windows takes.
const wchar_t* WidePath(const char* path) {
  static wchar_t widePath[32768];
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, widePath, 32768) <= 0) {
    return nullptr;
  }
  return widePath;
}

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

bool FileOpen(const char* path, FileHandle* file, std::uint64_t* size) {
  // Share mode 0: the open fails while another process holds the file, and keeps others out
  // until FileClose.
  return KeepDiskFile(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_NORMAL, nullptr),
                      file, size);
}

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
  return true;
}

bool FileOpenForReading(const char* path, FileHandle* file, std::uint64_t* size) {
  const wchar_t* widePath = WidePath(path);
  if (widePath == nullptr) return false;
  return KeepDiskFile(
      CreateFileW(widePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
      file, size);
}

bool FileReadAt(FileHandle file, std::uint64_t position, unsigned char* buffer, std::size_t count) {
  DWORD got = 0;
  return MoveTo(file, position) &&
         ReadFile(Handle(file), buffer, static_cast<DWORD>(count), &got, nullptr) != 0 &&
         got == count;
}

bool FileWriteAt(FileHandle file, std::uint64_t position, const unsigned char* bytes,
                 std::size_t count) {
  DWORD put = 0;
  return MoveTo(file, position) &&
         WriteFile(Handle(file), bytes, static_cast<DWORD>(count), &put, nullptr) != 0 &&
         put == count;
}

bool FileSetLength(FileHandle file, std::uint64_t length) {
  return MoveTo(file, length) && SetEndOfFile(Handle(file)) != 0;
}

void FileClose(FileHandle file) { CloseHandle(Handle(file)); }
