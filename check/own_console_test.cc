// The own-console run's decisions, with the console's questions and the output recorded: which
// fonts lead to the offer, what a yes and a no do, and that the window always waits.
#include "check/own_console.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/output.h"
#include "tests/files.h"
#include "tests/metrics_fonts.h"

namespace {

std::vector<std::string> console;  // what was shown and asked, in order
bool answer = false;
std::string output;

}  // namespace

bool AskYesNo(const std::string& question) {
  console.push_back("ask: " + question);
  return answer;
}

void WaitForKey(const std::string& text) { console.push_back("wait: " + text); }

bool PrintOutput(const std::string& text) {
  output += text;
  return true;
}

void PrintError(const std::string& text) { output += "error: " + text + "\n"; }

namespace {

const FixPrograms kPrograms = {"quenlo.exe", "quenlo-check.exe"};
const std::string kWait = "wait: Press any key to close.";

class OwnConsoleTest : public testing::Test {
 protected:
  void SetUp() override {
    console.clear();
    output.clear();
    answer = false;
    WriteFileBytes(dir_.Path("wrong.ttf"), CjkFont(980));
    WriteFileBytes(dir_.Path("ok.ttf"), CjkFont(500));
    WriteFileBytes(dir_.Path("shared.ttc"), BuildCollection({CjkFont(980), CjkFont(980)}, true));
  }
  TempDir dir_;
};

TEST_F(OwnConsoleTest, WithoutFontsSaysToDropSomeAndWaits) {
  EXPECT_EQ(RunCheckInOwnConsole({}, kPrograms), 2);
  EXPECT_NE(output.find("Drop font files (.ttf, .otf, .ttc) on quenlo-check.exe"),
            std::string::npos);
  EXPECT_EQ(console, std::vector<std::string>{kWait});
}

TEST_F(OwnConsoleTest, AllOkAsksNothingAndWaits) {
  EXPECT_EQ(RunCheckInOwnConsole({dir_.Path("ok.ttf")}, kPrograms), 0);
  EXPECT_EQ(console, std::vector<std::string>{kWait});
}

TEST_F(OwnConsoleTest, NoLeavesTheFontsAsTheyWere) {
  const Bytes before = ReadFileBytes(dir_.Path("wrong.ttf"));
  EXPECT_EQ(RunCheckInOwnConsole({dir_.Path("wrong.ttf"), dir_.Path("ok.ttf")}, kPrograms), 1);
  EXPECT_EQ(console,
            (std::vector<std::string>{"ask: \nFix 1 face(s) in 1 file(s) now? [y/N] ", kWait}));
  EXPECT_EQ(ReadFileBytes(dir_.Path("wrong.ttf")), before);
}

TEST_F(OwnConsoleTest, YesFixesEveryFaceOfferedAndShowsWhatWasWritten) {
  answer = true;
  const std::vector<std::string> fonts = {dir_.Path("wrong.ttf"), dir_.Path("ok.ttf"),
                                          dir_.Path("shared.ttc")};
  EXPECT_EQ(RunCheckInOwnConsole(fonts, kPrograms), 0);
  EXPECT_EQ(console,
            (std::vector<std::string>{"ask: \nFix 3 face(s) in 2 file(s) now? [y/N] ", kWait}));
  EXPECT_NE(output.find("\n  fixed: 980 -> 500\n"), std::string::npos) << output;
  output.clear();
  console.clear();
  EXPECT_EQ(RunCheckInOwnConsole(fonts, kPrograms), 0);
  EXPECT_EQ(console, std::vector<std::string>{kWait});
}

}  // namespace
