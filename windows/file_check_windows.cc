// File access that only quenlo-check needs on Windows: its opens, which say why they failed, and
// cutting a file back; apart from the patcher's, so that quenlo.exe links none of it.
#include <windows.h>

#include <cstring>
#include <string>

#include "common/file.h"
#include "common/output_file.h"
#include "windows/file_windows.h"

namespace {

// The system's own words for an error, in UTF-8, without the line end it puts after them.
std::string SystemMessage(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = "Windows error " + std::to_string(error);
  if (length > 0) {
    std::string utf8 = Utf8FromWide(std::wstring(text, length));
    while (!utf8.empty() && (utf8.back() == '\n' || utf8.back() == '\r' || utf8.back() == ' ')) {
      utf8.pop_back();
    }
    if (!utf8.empty()) message += ": " + utf8;
  }
  LocalFree(text);
  return message;
}

// Why CreateFileW could not open the file, in the user's terms where they are plain, in the
// system's otherwise.
std::string WhyNotOpened(const char* path, const wchar_t* widePath, DWORD error, bool writing) {
  // No Windows file name holds a * or a ?: such a name is a pattern that matched nothing.
  if (std::strpbrk(path, "*?") != nullptr) return "no file matches this pattern";
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "there is no such file";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "it is in use by another program. A font installed in Windows is in use while it "
             "is installed: fix a copy, then install the copy";
    case ERROR_ACCESS_DENIED: {
      const DWORD attributes = GetFileAttributesW(widePath);
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return "it is a directory, not a font file";
      }
      if (writing && attributes != INVALID_FILE_ATTRIBUTES &&
          (attributes & FILE_ATTRIBUTE_READONLY)) {
        return "it is read-only";
      }
      return std::string("access is denied: this user may not ") + (writing ? "write" : "read") +
             " it";
    }
    case ERROR_WRITE_PROTECT:
      return "it lies on a write-protected disk";
    default:
      return SystemMessage(error);
  }
}

// Opens the file with access and sharing, and keeps it when it is a file on disk; otherwise says
// why not.
bool OpenDiskFile(const char* path, DWORD access, DWORD sharing, FileHandle* file,
                  std::uint64_t* size, std::string* why) {
  const std::wstring wide = WidePath(path);
  if (wide.empty()) {
    *why = "its name is not valid UTF-8";
    return false;
  }
  const wchar_t* widePath = wide.c_str();
  const HANDLE handle = CreateFileW(widePath, access, sharing, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *why = WhyNotOpened(path, widePath, GetLastError(), (access & GENERIC_WRITE) != 0);
    return false;
  }
  if (!KeepDiskFile(handle, file, size)) {
    const DWORD attributes = GetFileAttributesW(widePath);
    *why = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
               ? "it is a directory, not a font file"
               : "it is not a regular file";
    return false;
  }
  return true;
}

}  // namespace

bool FileOpenForReading(const char* path, FileHandle* file, std::uint64_t* size, std::string* why) {
  return OpenDiskFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      file, size, why);
}

bool FileOpenToCopy(const char* path, FileHandle* file, std::uint64_t* size, std::string* why) {
  // No write sharing: the open fails while a program has the file open to write it, and no
  // program can open it to write while it is copied.
  return OpenDiskFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, file, size, why);
}

bool FileOpenToFix(const char* path, FileHandle* file, std::uint64_t* size, std::string* why) {
  // Share mode 0, as for the patcher: no other program reads or writes it while it is fixed.
  if (!OpenDiskFile(path, GENERIC_READ | GENERIC_WRITE, 0, file, size, why)) return false;
  // An administrator, or Wine's root, may open a file marked read-only for writing; it was marked
  // so on purpose.
  const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    FileClose(*file);
    *why = "it is read-only";
    return false;
  }
  return true;
}

std::wstring WidePath(const std::string& path) {
  const int length =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.c_str(), -1, nullptr, 0);
  if (length <= 0) return L"";
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.c_str(), -1, wide.data(), length);
  wide.resize(wide.size() - 1);
  return wide;
}

std::string Utf8FromWide(const std::wstring& text) {
  const int count = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), count, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), count, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

bool FileSetLength(FileHandle file, std::uint64_t length) {
  return MoveTo(file, length) && SetEndOfFile(Handle(file)) != 0;
}

std::uint64_t FileStoredBytes(FileHandle file, std::uint64_t size) {
  FILE_STANDARD_INFO info;
  if (!GetFileInformationByHandleEx(Handle(file), FileStandardInfo, &info, sizeof info) ||
      info.AllocationSize.QuadPart < 0) {
    return size;
  }
  const auto stored = static_cast<std::uint64_t>(info.AllocationSize.QuadPart);
  return stored < size ? stored : size;
}

// A file opened to be fixed is opened with share mode 0, so that no other program can open it at
// all while it is held: there is nothing more to take.
bool FileKeepOthersOut(FileHandle) { return false; }

void FileLetOthersIn(FileHandle) {}
