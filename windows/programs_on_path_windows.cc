// Files are compared by volume and file index, as one file can have many names (short names,
// other cases, links).
#include "windows/programs_on_path_windows.h"

#include <windows.h>

#include "windows/file_windows.h"

namespace {

struct FileId {
  DWORD volume = 0, high = 0, low = 0;
  bool operator==(const FileId& other) const {
    return volume == other.volume && high == other.high && low == other.low;
  }
};

// The file's identity; false when it is no file that can be opened.
bool IdOf(const std::wstring& path, FileId* id) {
  const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION information;
  const bool known = GetFileInformationByHandle(file, &information) != 0 &&
                     (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  CloseHandle(file);
  *id = {information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow};
  return known;
}

// name when PATH finds the program at path under it first, else path.
std::string NameOnPath(const std::string& path, const std::string& name) {
  FileId wanted, found;
  const std::wstring wideName = WidePath(name);
  if (path == name || !IdOf(WidePath(path), &wanted)) return path;
  // The command prompt looks in the current folder first: another program there would run.
  if (IdOf(L".\\" + wideName, &found)) return found == wanted ? name : path;
  static wchar_t search[32768];
  const DWORD length = GetEnvironmentVariableW(L"PATH", search, 32768);
  if (length == 0 || length >= 32768) return path;
  const std::wstring folders(search, length);
  for (std::size_t start = 0; start <= folders.size();) {
    std::size_t end = folders.find(L';', start);
    if (end == std::wstring::npos) end = folders.size();
    std::wstring folder = folders.substr(start, end - start);
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"') {
      folder = folder.substr(1, folder.size() - 2);
    }
    if (!folder.empty() && IdOf(folder + L"\\" + wideName, &found)) {
      return found == wanted ? name : path;
    }
    start = end + 1;
  }
  return path;
}

}  // namespace

FixPrograms ProgramsAsRun(const std::string& check) {
  FixPrograms programs = ProgramsBeside(check);
  programs.check = NameOnPath(programs.check, "quenlo-check.exe");
  programs.quenlo = NameOnPath(programs.quenlo, "quenlo.exe");
  return programs;
}
