// Fonts for the current user on Windows, as Windows 10 1809 and later install them without
// administrator rights: the file in %LOCALAPPDATA%\Microsoft\Windows\Fonts, a value naming it
// under HKCU's Fonts key, AddFontResourceW for the running session, and WM_FONTCHANGE. Wine reads
// only HKLM's Fonts key when it starts, so under Wine, where that key is the user's own, the
// value is written there too; on Windows itself no HKLM key is touched.
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "common/font_install.h"
#include "windows/file_windows.h"

namespace {

constexpr wchar_t kFontsKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
constexpr DWORD kBroadcastTimeoutMs = 1000;

std::wstring EnvironmentFolder(const wchar_t* name) {
  wchar_t value[MAX_PATH + 1];
  const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH + 1);
  return length > 0 && length <= MAX_PATH ? std::wstring(value, length) : L"";
}

// Each value of the Fonts key under root: its name and its data, a file's name or path.
std::vector<std::pair<std::wstring, std::wstring>> FontValues(HKEY root) {
  std::vector<std::pair<std::wstring, std::wstring>> values;
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, kFontsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    wchar_t data[MAX_PATH * 4];
    DWORD nameLength = 16384;
    DWORD dataSize = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    const LONG result = RegEnumValueW(key, i, name, &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataSize);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) continue;
    std::wstring file(data, dataSize / sizeof(wchar_t));
    while (!file.empty() && file.back() == L'\0') file.pop_back();
    values.emplace_back(std::wstring(name, nameLength), file);
  }
  RegCloseKey(key);
  return values;
}

// Whether the program runs under Wine, whose ntdll says its version.
bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The Fonts keys that hold the user's fonts: HKCU's, and under Wine HKLM's as well.
std::vector<HKEY> UserFontRoots() {
  if (UnderWine()) return {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
  return {HKEY_CURRENT_USER};
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Removes the values under the user's Fonts keys that name path and whose names hold mark: the
// ones Quenlo wrote, never a value that another program or the user made.
void ForgetValues(const std::wstring& path, const std::wstring& mark) {
  for (const HKEY root : UserFontRoots()) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, kFontsKey, 0, KEY_READ | KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
      continue;
    }
    for (const auto& [name, file] : FontValues(root)) {
      if (SamePath(file, path) && name.find(mark) != std::wstring::npos) {
        RegDeleteValueW(key, name.c_str());
      }
    }
    RegCloseKey(key);
  }
}

// Whether one of the user's Fonts keys holds a value of that name naming another file than path.
bool NamesAnother(const std::wstring& name, const std::wstring& path) {
  for (const HKEY root : UserFontRoots()) {
    for (const auto& [value, file] : FontValues(root)) {
      if (CompareStringOrdinal(value.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL &&
          !SamePath(file, path)) {
        return true;
      }
    }
  }
  return false;
}

// Writes the value name naming path under root's Fonts key; the Windows error, or 0.
LONG WriteValue(HKEY root, const std::wstring& name, const std::wstring& path) {
  HKEY key = nullptr;
  LONG result =
      RegCreateKeyExW(root, kFontsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  if (result == ERROR_SUCCESS) {
    result =
        RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  return result;
}

// Whether path lies in the Windows fonts folder, which the system owns.
bool InWindowsFonts(const std::wstring& path) {
  const std::wstring windows = EnvironmentFolder(L"WINDIR");
  if (windows.empty()) return false;
  const std::wstring folder = windows + L"\\Fonts\\";
  wchar_t full[32768];
  const DWORD length = GetFullPathNameW(path.c_str(), 32768, full, nullptr);
  if (length == 0 || length >= 32768) return true;  // not known to be the user's: left alone
  std::wstring whole(full, length);
  for (wchar_t& c : whole) c = c == L'/' ? L'\\' : c;
  return whole.size() > folder.size() &&
         CompareStringOrdinal(whole.c_str(), static_cast<int>(folder.size()), folder.c_str(), -1,
                              TRUE) == CSTR_EQUAL;
}

}  // namespace

std::string UserFontFolder(std::string* why) {
  const std::wstring local = EnvironmentFolder(L"LOCALAPPDATA");
  if (local.empty()) {
    *why = "LOCALAPPDATA is not set";
    return "";
  }
  std::wstring folder = local;
  for (const wchar_t* part : {L"\\Microsoft", L"\\Windows", L"\\Fonts"}) {
    folder += part;
    const DWORD error = CreateDirectoryW(folder.c_str(), nullptr) ? 0 : GetLastError();
    if (error != 0 && error != ERROR_ALREADY_EXISTS) {
      *why = "cannot make " + Utf8FromWide(folder) + ": Windows error " + std::to_string(error);
      return "";
    }
  }
  return Utf8FromWide(folder);
}

std::vector<std::string> InstalledFontFiles() {
  // A value without a folder names a file in the Windows fonts folder.
  const std::wstring windowsFonts = EnvironmentFolder(L"WINDIR") + L"\\Fonts\\";
  std::set<std::string> found;
  for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const auto& [name, file] : FontValues(root)) {
      if (file.empty()) continue;
      const bool inFolder = file.find_first_of(L"\\/:") != std::wstring::npos;
      found.insert(Utf8FromWide(inFolder ? file : windowsFonts + file));
    }
  }
  return std::vector<std::string>(found.begin(), found.end());
}

std::vector<std::string> FilesInFolder(const std::string& folder) {
  std::vector<std::string> files;
  WIN32_FIND_DATAW entry;
  const HANDLE search = FindFirstFileW((WidePath(folder) + L"\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      files.push_back(folder + "\\" + Utf8FromWide(entry.cFileName));
    }
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  std::sort(files.begin(), files.end());
  return files;
}

bool IsUserFontFile(const std::string& path) { return !InWindowsFonts(WidePath(path)); }

std::string FullPath(const std::string& path) {
  wchar_t full[32768];
  const DWORD length = GetFullPathNameW(WidePath(path).c_str(), 32768, full, nullptr);
  return length == 0 || length >= 32768 ? path : Utf8FromWide(std::wstring(full, length));
}

bool RegisterUserFont(const std::string& path, const std::string& name, std::string* why) {
  const std::wstring widePath = WidePath(path);
  const std::wstring wideName = WidePath(name);
  if (NamesAnother(wideName, widePath)) {
    *why =
        "a value of its name under the Fonts key, which Quenlo did not write, names "
        "another file; it is left as it is";
    return false;
  }
  const std::vector<HKEY> roots = UserFontRoots();
  const auto forget = [&](std::size_t written) {
    for (std::size_t i = 0; i < written; ++i) {
      RegDeleteKeyValueW(roots[i], kFontsKey, wideName.c_str());
    }
  };
  for (std::size_t i = 0; i < roots.size(); ++i) {
    const LONG result = WriteValue(roots[i], wideName, widePath);
    if (result != ERROR_SUCCESS) {
      forget(i);
      *why = std::string("cannot write its value under ") +
             (roots[i] == HKEY_CURRENT_USER ? "HKCU" : "HKLM") + "'s Fonts key: Windows error " +
             std::to_string(result);
      return false;
    }
  }
  if (AddFontResourceW(widePath.c_str()) == 0) {
    forget(roots.size());
    *why = "Windows did not take the font (AddFontResourceW failed)";
    return false;
  }
  return true;
}

void UnregisterUserFont(const std::string& path, const std::string& mark) {
  const std::wstring widePath = WidePath(path);
  // Wine 8 corrupts the heap of every process started later in its session once a font that it
  // loaded from HKLM when it started is removed so; its fonts are each process's own there, so
  // this process has none to remove.
  if (!UnderWine()) RemoveFontResourceW(widePath.c_str());
  ForgetValues(widePath, WidePath(mark));
}

std::string NewFontsStep() {
  if (UnderWine()) {
    return "Restart Wine first (close its programs, or run wineserver -k): until then its "
           "programs may show the new names blank.";
  }
  return "Programs that are open list the new fonts once they are started again.";
}

void UserFontsChanged(const std::string&) {
  // A window that does not answer cannot hold the program up for longer than the time limit.
  SendMessageTimeoutW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, kBroadcastTimeoutMs,
                      nullptr);
}
