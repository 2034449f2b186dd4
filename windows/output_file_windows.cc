// Fixed copies and standard input on Windows: a temporary beside the output, moved over it with
// write-through once flushed, and standard input copied to a temporary file that deletes itself.
#include <windows.h>

#include <string>

#include "common/output_file.h"
#include "windows/file_windows.h"

namespace {

constexpr std::uint64_t kMaxStandardInput = std::uint64_t{1} << 32;  // offsets reach 4 GiB

std::string Reason(DWORD error) { return "Windows error " + std::to_string(error); }

bool SameFile(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION x;
  BY_HANDLE_FILE_INFORMATION y;
  return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
         x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
         x.nFileIndexLow == y.nFileIndexLow;
}

}  // namespace

bool FileOpenStandardInput(FileHandle* file, std::uint64_t* size, std::string* why) {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  HANDLE copy = INVALID_HANDLE_VALUE;
  if (input != nullptr && input != INVALID_HANDLE_VALUE && GetFileType(input) == FILE_TYPE_DISK &&
      DuplicateHandle(GetCurrentProcess(), input, GetCurrentProcess(), &copy, 0, FALSE,
                      DUPLICATE_SAME_ACCESS)) {
    if (KeepDiskFile(copy, file, size)) return true;
    *why = "it cannot be read as a file";
    return false;
  }
  // A pipe cannot be read at a position: its bytes go to a temporary file first.
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"qnl", 0, name) == 0) {
    *why = "no temporary file could be made for it";
    return false;
  }
  const HANDLE temporary =
      CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (temporary == INVALID_HANDLE_VALUE) {
    *why = "no temporary file could be made for it";
    return false;
  }
  static unsigned char buffer[65536];
  std::uint64_t copied = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(input, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
    DWORD put = 0;
    copied += got;
    if (copied > kMaxStandardInput || !WriteFile(temporary, buffer, got, &put, nullptr) ||
        put != got) {
      CloseHandle(temporary);
      *why = "it could not be copied whole, or holds more than the 4 GiB a font can";
      return false;
    }
  }
  *file = reinterpret_cast<FileHandle>(temporary);
  *size = copied;
  return true;
}

bool FileCreateBeside(const std::string& path, FileHandle* file, std::string* created,
                      std::string* why) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    *created = path + ".quenlo-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(attempt) + ".tmp";
    const HANDLE handle = CreateFileW(WidePath(*created).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      *file = reinterpret_cast<FileHandle>(handle);
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) {
      *why = Reason(GetLastError());
      return false;
    }
  }
  *why = "no temporary name was free beside it";
  return false;
}

bool FileIsOpenAs(FileHandle file, const std::string& path) {
  const HANDLE named =
      CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (named == INVALID_HANDLE_VALUE) return false;
  const bool same = SameFile(Handle(file), named);
  CloseHandle(named);
  return same;
}

bool FileFlush(FileHandle file) { return FlushFileBuffers(Handle(file)) != 0; }

bool FileRename(const std::string& from, const std::string& to, std::string* why) {
  if (MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  *why = Reason(GetLastError());
  return false;
}

void FileRemove(const std::string& path) { DeleteFileW(WidePath(path).c_str()); }

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string PathInFolder(const std::string& folder, const std::string& file) {
  const std::size_t separator = file.find_last_of("\\/:");
  const std::string name = separator == std::string::npos ? file : file.substr(separator + 1);
  const bool ends = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
  return folder + (ends ? "" : "\\") + name;
}
