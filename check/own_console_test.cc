// The own-console run's decisions, with the console's questions and the output recorded: which
// fonts lead to the offer, what a yes and a no do, and that the window always waits.
#include "check/own_console.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/files.h"
#include "tests/metrics_fonts.h"
#include "tests/recording_console.h"

namespace {

const FixPrograms kPrograms = {"quenlo.exe", "quenlo-check.exe"};
const std::string kWait = "wait: Press any key to close.";

class OwnConsoleTest : public testing::Test {
 protected:
  void SetUp() override {
    TheConsole() = RecordingConsole{};
    WriteFileBytes(dir_.Path("wrong.ttf"), CjkFont(980));
    WriteFileBytes(dir_.Path("ok.ttf"), CjkFont(500));
    WriteFileBytes(dir_.Path("shared.ttc"), BuildCollection({CjkFont(980), CjkFont(980)}, true));
  }
  TempDir dir_;
};

TEST_F(OwnConsoleTest, AllOkAsksNothingAndWaits) {
  EXPECT_EQ(RunCheckInOwnConsole({dir_.Path("ok.ttf")}, kPrograms), 0);
  EXPECT_EQ(TheConsole().console, std::vector<std::string>{kWait});
}

TEST_F(OwnConsoleTest, NoLeavesTheFontsAsTheyWere) {
  const Bytes before = ReadFileBytes(dir_.Path("wrong.ttf"));
  EXPECT_EQ(RunCheckInOwnConsole({dir_.Path("wrong.ttf"), dir_.Path("ok.ttf")}, kPrograms), 1);
  EXPECT_EQ(TheConsole().console,
            (std::vector<std::string>{"ask: \nFix 1 face(s) in 1 file(s) now? [y/N] ", kWait}));
  EXPECT_EQ(ReadFileBytes(dir_.Path("wrong.ttf")), before);
}

TEST_F(OwnConsoleTest, YesFixesEveryFaceOfferedAndShowsWhatWasWritten) {
  TheConsole().answer = true;
  const std::vector<std::string> fonts = {dir_.Path("wrong.ttf"), dir_.Path("ok.ttf"),
                                          dir_.Path("shared.ttc")};
  EXPECT_EQ(RunCheckInOwnConsole(fonts, kPrograms), 0);
  EXPECT_EQ(TheConsole().console,
            (std::vector<std::string>{"ask: \nFix 3 face(s) in 2 file(s) now? [y/N] ", kWait}));
  EXPECT_NE(TheConsole().output.find("\n  fixed: 980 -> 500\n"), std::string::npos)
      << TheConsole().output;
  TheConsole().output.clear();
  TheConsole().console.clear();
  EXPECT_EQ(RunCheckInOwnConsole(fonts, kPrograms), 0);
  EXPECT_EQ(TheConsole().console, std::vector<std::string>{kWait});
}

}  // namespace
