// Fixed copies on Windows: a temporary beside the output, removed by Ctrl-C, and moved over the
// output with write-through once flushed.
#include <windows.h>

#include <string>

#include "common/output_file.h"
#include "windows/file_windows.h"

namespace {

std::string Reason(DWORD error) { return "Windows error " + std::to_string(error); }

// The temporary that Ctrl-C, a closed console or a log-off removes, in the form the system takes.
std::wstring temporary;

BOOL WINAPI RemoveTemporary(DWORD) {
  if (!temporary.empty()) DeleteFileW(temporary.c_str());
  return FALSE;  // and then the system ends the program as it would have
}

void Remember(const std::string& path) { temporary = WidePath(path); }

void Forget(const std::string& path) {
  if (WidePath(path) == temporary) temporary.clear();
}

bool SameFile(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION x;
  BY_HANDLE_FILE_INFORMATION y;
  return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
         x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
         x.nFileIndexLow == y.nFileIndexLow;
}

}  // namespace

PathFacts LookAtPath(const std::string& path) {
  const std::wstring wide = WidePath(path);
  const DWORD attributes =
      wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return {};
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return {PathKind::kLink, false};
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return {PathKind::kFolder, false};
  if (attributes & FILE_ATTRIBUTE_DEVICE) return {PathKind::kOther, false};
  return {PathKind::kFile, (attributes & FILE_ATTRIBUTE_READONLY) == 0};
}

std::string FileIdentity(const std::string& path) {
  const HANDLE named =
      CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (named == INVALID_HANDLE_VALUE) return "";
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(named, &info) != 0;
  CloseHandle(named);
  if (!known) return "";
  return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) +
         ":" + std::to_string(info.nFileIndexLow);
}

// Windows keeps who may write a file in its access control list, which a new file inherits from
// its folder as any other new file does.
std::uint32_t FilePermissions(FileHandle) { return kNewFilePermissions; }

// A font is never made sparse on Windows without a program asking for it; all of it is copied.
void FileDataAfter(FileHandle, std::uint64_t from, std::uint64_t size, std::uint64_t* first,
                   std::uint64_t* end) {
  *first = from;
  *end = size;
}

bool FileCreateBeside(const std::string& path, std::uint32_t, FileHandle* file,
                      std::string* created, std::string* why) {
  SetConsoleCtrlHandler(RemoveTemporary, TRUE);
  const std::size_t separator = path.find_last_of("\\/:");
  const std::string folder = separator == std::string::npos ? "" : path.substr(0, separator + 1);
  const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    *created = folder + NameInTemporary(name) + ".quenlo-" + std::to_string(GetCurrentProcessId()) +
               "-" + std::to_string(attempt) + ".tmp";
    // Deletion is shared so that Ctrl-C can remove it while it is open.
    const HANDLE handle =
        CreateFileW(WidePath(*created).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE,
                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      Remember(*created);
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
  const bool moved = MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!moved) *why = Reason(GetLastError());
  Forget(from);
  return moved;
}

void FileRemove(const std::string& path) {
  DeleteFileW(WidePath(path).c_str());
  Forget(path);
}

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
