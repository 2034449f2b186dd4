// What the Windows file functions add to the shared file interface: no sharing, disk files only.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/file.h"
#include "font/avg_char_width.h"
#include "tests/files.h"
#include "tests/font_builder.h"
#include "tests/recording_reporter.h"

namespace {

class WindowsFileTest : public testing::Test {
 protected:
  void SetUp() override { ShownErrors().clear(); }
  TempDir dir_;
};

TEST_F(WindowsFileTest, OpensWithNoSharing) {
  const std::string path = dir_.Path("held.ttf");
  WriteFileBytes(path, SampleFont());
  FileHandle file = 0;
  std::uint64_t size = 0;
  ASSERT_TRUE(FileOpen(path.c_str(), &file, &size));
  FileHandle second = 0;
  EXPECT_FALSE(FileOpen(path.c_str(), &second, &size));
  const HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(reader, INVALID_HANDLE_VALUE);
  FileClose(file);
  ASSERT_TRUE(FileOpen(path.c_str(), &second, &size));
  FileClose(second);
}

TEST_F(WindowsFileTest, RefusesFileHeldOpenElsewhere) {
  const std::string path = dir_.Path("busy.ttf");
  WriteFileBytes(path, SampleFont());
  const HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  FileHandle file = 0;
  std::uint64_t size = 0;
  EXPECT_FALSE(FileOpen(path.c_str(), &file, &size));
  CloseHandle(holder);
}

TEST_F(WindowsFileTest, RefusesWhatIsNotAnExistingFileOnDisk) {
  const char* pipeName = "\\\\.\\pipe\\quenlo-file-test";
  const HANDLE pipe =
      CreateNamedPipeA(pipeName, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 64, 64, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  for (const std::string& path :
       {dir_.Path("missing.ttf"), dir_.Path(""), std::string("NUL"), std::string(pipeName)}) {
    FileHandle file = 0;
    std::uint64_t size = 0;
    EXPECT_FALSE(FileOpen(path.c_str(), &file, &size)) << path;
  }
  CloseHandle(pipe);
}

TEST_F(WindowsFileTest, RefusesReadOnlyFile) {
  const std::string path = dir_.Path("readonly.ttf");
  WriteFileBytes(path, SampleFont());
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  // Windows refuses to open a read-only file for writing. Wine keeps the attribute as the file's
  // Unix permissions, which do not bind root, so under Wine as root the open would succeed.
  const HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    GTEST_SKIP() << "this system lets the file be opened for writing despite its attribute";
  }
  FileHandle file = 0;
  std::uint64_t size = 0;
  EXPECT_FALSE(FileOpen(path.c_str(), &file, &size));
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

struct RefusalCase {
  const char* name;
  std::string (*make)(const TempDir& dir);  // makes what is opened and returns its path
  std::string why;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class WindowsFixOpenTest : public WindowsFileTest,
                           public testing::WithParamInterface<RefusalCase> {};

TEST_P(WindowsFixOpenTest, SaysWhyItCannotOpenTheFileToFix) {
  const std::string path = GetParam().make(dir_);
  // The file is held the way the patcher holds it, by another open with no sharing.
  FileHandle holder = 0;
  std::uint64_t size = 0;
  const bool held = GetParam().why.rfind("it is in use", 0) == 0;
  if (held) {
    ASSERT_TRUE(FileOpen(path.c_str(), &holder, &size));
  }
  FileHandle file = 0;
  std::string why;
  EXPECT_FALSE(FileOpenToFix(path.c_str(), &file, &size, &why));
  EXPECT_EQ(why, GetParam().why);
  if (held) FileClose(holder);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

std::string Font(const TempDir& dir) {
  WriteFileBytes(dir.Path("font.ttf"), SampleFont());
  return dir.Path("font.ttf");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsFixOpenTest,
    testing::Values(
        RefusalCase{"InUse", Font,
                    "it is in use by another program. A font installed in Windows is in use "
                    "while it is installed: fix a copy, then install the copy"},
        RefusalCase{"ReadOnly",
                    [](const TempDir& dir) {
                      const std::string path = Font(dir);
                      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
                      return path;
                    },
                    "it is read-only"},
        RefusalCase{"Missing", [](const TempDir& dir) { return dir.Path("missing.ttf"); },
                    "there is no such file"},
        RefusalCase{"Device", [](const TempDir&) { return std::string("NUL"); },
                    "it is not a regular file"}),
    [](const testing::TestParamInfo<RefusalCase>& test) { return std::string(test.param.name); });

}  // namespace
