// The installed fonts where fontconfig's fc-list cannot be run: the font folders are walked,
// and links that lead back up the walk list no font twice.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/font_install.h"
#include "tests/files.h"

namespace {

TEST(FontInstallPosixTest, WalkWithoutFontconfigListsAFontOnceThroughLinksThatLeadBack) {
  TempDir dir;
  std::filesystem::create_directories(dir.Path("bin"));
  std::filesystem::create_directories(dir.Path("home/.fonts"));
  WriteFileBytes(dir.Path("home/.fonts/x.ttf"), Bytes(12));
  std::filesystem::create_directory_symlink(".", dir.Path("home/.fonts/here"));
  std::filesystem::create_directory_symlink("../.fonts", dir.Path("home/.fonts/again"));
  const std::string path = std::getenv("PATH");
  const char* home = std::getenv("HOME");
  const std::string oldHome = home != nullptr ? home : "";
  setenv("PATH", dir.Path("bin").c_str(), 1);  // no fc-list there
  setenv("HOME", dir.Path("home").c_str(), 1);
  const std::vector<std::string> files = InstalledFontFiles();
  setenv("PATH", path.c_str(), 1);
  setenv("HOME", oldHome.c_str(), 1);
  const auto ours = std::count_if(files.begin(), files.end(), [&](const std::string& file) {
    return file.rfind(dir.Path("home"), 0) == 0;
  });
  EXPECT_EQ(ours, 1);
}

}  // namespace
