// Reads back, through the system's own functions, the manifest and the version information built
// into the Windows programs, which sit in the folder above this test's.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::wstring ProgramPath(const wchar_t* name) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, length);
  path.erase(path.find_last_of(L'\\') + 1);
  return path + L"..\\" + name;
}

std::string Manifest(const std::wstring& program) {
  const HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return "";
  std::string text;
  if (const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    text.assign(bytes, SizeofResource(module, found));
  }
  FreeLibrary(module);
  return text;
}

std::wstring VersionString(const std::vector<char>& info, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueW(info.data(), key.c_str(), &value, &length) || length == 0) return L"";
  return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

class ProgramResourcesTest : public testing::TestWithParam<const wchar_t*> {};

TEST_P(ProgramResourcesTest, ManifestAsksForUtf8LongPathsAndNoElevation) {
  const std::string manifest = Manifest(ProgramPath(GetParam()));
  ASSERT_FALSE(manifest.empty()) << "no RT_MANIFEST resource 1";
  for (const char* setting :
       {">UTF-8</activeCodePage>", ">true</longPathAware>",
        ">PerMonitorV2, PerMonitor</dpiAwareness>", ">true/pm</dpiAware>",
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "level=\"asInvoker\"",
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"}) {
    EXPECT_NE(manifest.find(setting), std::string::npos) << setting;
  }
}

TEST_P(ProgramResourcesTest, VersionInformationNamesTheProgram) {
  const std::wstring program = ProgramPath(GetParam());
  const DWORD size = GetFileVersionInfoSizeW(program.c_str(), nullptr);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, info.data()));
  const std::wstring name = GetParam();
  EXPECT_EQ(VersionString(info, L"ProductName"), L"Quenlo");
  EXPECT_EQ(VersionString(info, L"OriginalFilename"), name);
  EXPECT_EQ(VersionString(info, L"InternalName"), name.substr(0, name.size() - 4));
  EXPECT_EQ(VersionString(info, L"FileVersion"), QUENLO_VERSION);
  EXPECT_EQ(VersionString(info, L"ProductVersion"), QUENLO_VERSION);
  EXPECT_NE(VersionString(info, L"LegalCopyright").find(L"MIT License"), std::wstring::npos);
  EXPECT_FALSE(VersionString(info, L"FileDescription").empty());

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, QUENLO_VERSION_MS);
  EXPECT_EQ(fixed->dwFileVersionLS, QUENLO_VERSION_LS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramResourcesTest,
                         testing::Values(L"quenlo.exe", L"quenlo-check.exe"));

}  // namespace
