// The own console's offer of fixed copies, on a POSIX system whose installed fonts are those a
// stand-in for fc-list names, and whose copies go into the test's own data folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "check/own_console.h"
#include "tests/files.h"
#include "tests/metrics_fonts.h"
#include "tests/recording_console.h"

namespace {

const FixPrograms kPrograms = {"quenlo", "quenlo-check"};
const std::string kWait = "wait: Press any key to close.";

class OwnConsoleInstalledTest : public testing::Test {
 protected:
  void SetUp() override {
    TheConsole() = RecordingConsole{};
    path_ = std::getenv("PATH");
    std::filesystem::create_directories(dir_.Path("bin"));
    std::filesystem::create_directories(dir_.Path("system"));
    WriteFileBytes(dir_.Path("system/gothic.ttf"), NamedCjkFont(980, "Test Gothic"));
    WriteFileBytes(dir_.Path("system/mono.ttf"), NamedCjkFont(500, "Test Mono"));
    // As fc-list prints paths through its shescape filter.
    const std::string list = "#!/bin/sh\necho \"'" + dir_.Path("system/gothic.ttf") +
                             "'\"\necho \"'" + dir_.Path("system/mono.ttf") + "'\"\n";
    WriteFileBytes(dir_.Path("bin/fc-list"), Bytes(list.begin(), list.end()));
    std::filesystem::permissions(dir_.Path("bin/fc-list"), std::filesystem::perms::owner_all);
    setenv("PATH", dir_.Path("bin").c_str(), 1);
    setenv("XDG_DATA_HOME", dir_.Path("data").c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", path_.c_str(), 1);
    unsetenv("XDG_DATA_HOME");
  }
  // Whether the user's font folder holds a copy of the font whose file name starts with stem.
  bool HasCopy(const std::string& stem) {
    if (!std::filesystem::exists(dir_.Path("data/fonts"))) return false;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path("data/fonts"))) {
      if (entry.path().filename().string().rfind(stem + "-Fixed-", 0) == 0) return true;
    }
    return false;
  }
  std::string path_;
  TempDir dir_;
};

// Whether every line of text fits the 80 columns of Wine's console.
bool FitsTheConsole(const std::string& text) {
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string::npos;
       start = end + 1, end = text.find('\n', start)) {
    if (end - start > 80) return false;
  }
  return true;
}

TEST_F(OwnConsoleInstalledTest, AloneOffersCopiesOfTheInstalledFontsWhoseCellsAreWrong) {
  EXPECT_EQ(RunCheckInOwnConsole({}, kPrograms), 1);
  const std::string& output = TheConsole().output;
  EXPECT_NE(output.find("\n1 font family draws text cells of the wrong width:\n  Test Gothic: "
                        "cells too wide, 12 pixels for letters of 6 at 12 pixels\n    (" +
                        dir_.Path("system/gothic.ttf") + ")\n"),
            std::string::npos)
      << output;
  EXPECT_EQ(output.find("Test Mono"), std::string::npos) << output;
  EXPECT_NE(output.find("The installed fonts stay as they are.\n"), std::string::npos) << output;
  EXPECT_NE(output.find("\nNothing was changed.\n"), std::string::npos) << output;
  EXPECT_EQ(
      TheConsole().console,
      (std::vector<std::string>{"ask: Install fixed copies of 1 font family? [y/N] ", kWait}));
  EXPECT_FALSE(HasCopy("gothic"));

  TheConsole() = RecordingConsole{};
  TheConsole().answer = true;
  RunCheckInOwnConsole({}, kPrograms);
  EXPECT_NE(TheConsole().output.find("Installed \"Test Gothic Fixed\" (*).\n(*) Windows does not "
                                     "report it as fixed pitch"),
            std::string::npos)
      << TheConsole().output;
  EXPECT_NE(TheConsole().output.find("run quenlo-check.exe --uninstall"), std::string::npos);
  EXPECT_TRUE(FitsTheConsole(TheConsole().output)) << TheConsole().output;
  EXPECT_TRUE(HasCopy("gothic"));
  EXPECT_EQ(ReadFileBytes(dir_.Path("system/gothic.ttf")), NamedCjkFont(980, "Test Gothic"));
  // Once its copy is installed, a font is not offered again: the window names the copy instead.
  TheConsole() = RecordingConsole{};
  EXPECT_EQ(RunCheckInOwnConsole({}, kPrograms), 0);
  EXPECT_NE(TheConsole().output.find("installed for you already; choose these names in your\n"
                                     "programs:\n  \"Test Gothic Fixed\"\n\nNo other installed "
                                     "font draws text cells of the wrong width.\n"),
            std::string::npos)
      << TheConsole().output;
  EXPECT_EQ(TheConsole().console, std::vector<std::string>{kWait});
}

TEST_F(OwnConsoleInstalledTest, DroppedFontThatCannotBeChangedInPlaceIsOfferedACopy) {
  // An installed font, a file that nobody may write, one that can be fixed in place, and a copy
  // of the installed font, which fixed in place would clash with it by name.
  WriteFileBytes(dir_.Path("locked.ttf"), NamedCjkFont(980, "Locked Sans"));
  std::filesystem::permissions(dir_.Path("locked.ttf"), std::filesystem::perms::owner_read);
  WriteFileBytes(dir_.Path("wrong.ttf"), CjkFont(980));
  WriteFileBytes(dir_.Path("mine.ttf"), NamedCjkFont(980, "Test Gothic"));
  TheConsole().answer = true;
  EXPECT_EQ(RunCheckInOwnConsole({dir_.Path("system/gothic.ttf"), dir_.Path("locked.ttf"),
                                  dir_.Path("wrong.ttf"), dir_.Path("mine.ttf")},
                                 kPrograms),
            0);
  EXPECT_EQ(
      TheConsole().console,
      (std::vector<std::string>{"ask: \nFix 1 face(s) in 1 file(s) now? [y/N] ",
                                "ask: Install fixed copies of 2 font families? [y/N] ", kWait}));
  const std::string& output = TheConsole().output;
  EXPECT_EQ(output.find("fix: "), std::string::npos) << output;  // no command to type
  EXPECT_NE(output.find("holds \"Test Gothic\", a family that is"), std::string::npos) << output;
  EXPECT_EQ(ReadFileBytes(dir_.Path("system/gothic.ttf")), NamedCjkFont(980, "Test Gothic"));
  EXPECT_EQ(ReadFileBytes(dir_.Path("locked.ttf")), NamedCjkFont(980, "Locked Sans"));
  EXPECT_EQ(ReadFileBytes(dir_.Path("mine.ttf")), NamedCjkFont(980, "Test Gothic"));
  EXPECT_NE(output.find("Installed \"Locked Sans Fixed\""), std::string::npos) << output;
  EXPECT_TRUE(HasCopy("locked"));
  EXPECT_TRUE(HasCopy("mine"));
}

}  // namespace
