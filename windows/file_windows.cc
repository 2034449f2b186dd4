// File access on Windows: the patcher's handle opened with no sharing, 64-bit positioning.
#include "windows/file_windows.h"

#include <windows.h>

#include "common/file.h"

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

bool FileOpen(const char* path, FileHandle* file, std::uint64_t* size) {
  // Share mode 0: the open fails while another process holds the file, and keeps others out
  // until FileClose.
  return KeepDiskFile(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_NORMAL, nullptr),
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

void FileClose(FileHandle file) { CloseHandle(Handle(file)); }
