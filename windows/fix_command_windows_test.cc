#include <gtest/gtest.h>

#include <string>

#include "check/fix_command.h"

namespace {

struct FixCase {
  std::string path;
  std::string command;
};

class FixCommandTest : public testing::TestWithParam<FixCase> {};

TEST_P(FixCommandTest, QuotesForTheCommandPrompt) {
  EXPECT_EQ(FixCommand({"quenlo.exe", "quenlo-check.exe"}, GetParam().path, 1024),
            GetParam().command);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FixCommandTest,
    testing::Values(FixCase{"font.ttf", "quenlo.exe -w 1024 font.ttf"},
                    FixCase{"C:\\Fonts\\a.ttf", "quenlo.exe -w 1024 C:\\Fonts\\a.ttf"},
                    FixCase{"C:\\Fonts\\My Font.ttf",
                            "quenlo.exe -w 1024 \"C:\\Fonts\\My Font.ttf\""},
                    FixCase{"a&b.ttf", "quenlo.exe -w 1024 \"a&b.ttf\""},
                    FixCase{"\xE5\xAD\x97.ttf", "quenlo.exe -w 1024 \"\xE5\xAD\x97.ttf\""}));

TEST(ProgramsBesideTest, CommandsRunTheProgramsBesideTheCheckByTheirFullPath) {
  const FixPrograms programs = ProgramsBeside("C:\\Program Files\\Quenlo\\quenlo-check.exe");
  EXPECT_EQ(FixCommand(programs, "a.ttf", 1024),
            "\"C:\\Program Files\\Quenlo\\quenlo.exe\" -w 1024 a.ttf");
  EXPECT_EQ(CheckFixCommand(programs, "-a.ttc"),
            "\"C:\\Program Files\\Quenlo\\quenlo-check.exe\" --fix -- -a.ttc");
  EXPECT_EQ(ProgramsBeside("C:\\Q\\quenlo-check.exe").quenlo, "C:\\Q\\quenlo.exe");
}

}  // namespace
