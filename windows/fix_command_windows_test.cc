#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/fix_command.h"
#include "tests/pasted_lines.h"

namespace {

struct FixCase {
  std::string path;
  std::string command;   // "" when no command passes the name on unchanged
  std::string argument;  // the name as quenlo.exe gets it
};

class FixCommandTest : public testing::TestWithParam<FixCase> {};

TEST_P(FixCommandTest, QuotesOnlyWhatThePromptAndPowerShellReadAsItself) {
  const std::string command =
      FixCommand({"C:\\Q\\quenlo.exe", "C:\\Q\\quenlo-check.exe"}, GetParam().path, 1024);
  EXPECT_EQ(command, GetParam().command);
  if (!command.empty()) {
    EXPECT_EQ(ReadByPromptAndPowerShell(command),
              (std::vector<std::string>{"C:\\Q\\quenlo.exe", "-w", "1024", GetParam().argument}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FixCommandTest,
    testing::Values(
        FixCase{"font.ttf", "C:\\Q\\quenlo.exe -w 1024 font.ttf", "font.ttf"},
        FixCase{"C:\\Fonts\\a.ttf", "C:\\Q\\quenlo.exe -w 1024 C:\\Fonts\\a.ttf",
                "C:\\Fonts\\a.ttf"},
        FixCase{"C:\\Fonts\\My Font.ttf", "C:\\Q\\quenlo.exe -w 1024 \"C:\\Fonts\\My Font.ttf\"",
                "C:\\Fonts\\My Font.ttf"},
        FixCase{"a&b (1).ttf", "C:\\Q\\quenlo.exe -w 1024 \"a&b (1).ttf\"", "a&b (1).ttf"},
        FixCase{"Noto[wdth,wght].ttf", "C:\\Q\\quenlo.exe -w 1024 \"Noto[wdth,wght].ttf\"",
                "Noto[wdth,wght].ttf"},
        FixCase{"it's.ttf", "C:\\Q\\quenlo.exe -w 1024 \"it's.ttf\"", "it's.ttf"},
        FixCase{"\xE5\xAD\x97.ttf", "C:\\Q\\quenlo.exe -w 1024 \"\xE5\xAD\x97.ttf\"",
                "\xE5\xAD\x97.ttf"},
        FixCase{"-x.ttf", "C:\\Q\\quenlo.exe -w 1024 .\\-x.ttf", ".\\-x.ttf"},
        // PowerShell runs $(...) inside double quotes, the prompt expands %...% and !...!.
        FixCase{"$(rm -r ~).ttf", "", ""}, FixCase{"%COMSPEC%.ttf", "", ""},
        FixCase{"a!b!.ttf", "", ""}, FixCase{"a`b.ttf", "", ""},
        // PowerShell takes typographic quotes for quotes.
        FixCase{"a\xE2\x80\x9D & calc.ttf", "", ""}, FixCase{"a\xE2\x80\x99s.ttf", "", ""},
        // Shown escaped: invisible or look-alike.
        FixCase{"a\xE2\x80\x8B.ttf", "", ""}));

struct ProgramsCase {
  std::string check;   // the check's full path
  std::string quenlo;  // the fix command for a.ttf and width 1024
};

class ProgramsBesideTest : public testing::TestWithParam<ProgramsCase> {};

TEST_P(ProgramsBesideTest, CommandsRunTheProgramsBesideTheCheckByAPathBothRun) {
  EXPECT_EQ(FixCommand(ProgramsBeside(GetParam().check), "a.ttf", 1024), GetParam().quenlo);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramsBesideTest,
    testing::Values(ProgramsCase{"C:\\Q\\quenlo-check.exe", "C:\\Q\\quenlo.exe -w 1024 a.ttf"},
                    ProgramsCase{"C:\\PROGRA~1\\Quenlo\\quenlo-check.exe",
                                 "C:\\PROGRA~1\\Quenlo\\quenlo.exe -w 1024 a.ttf"},
                    // No line can name this folder in both: the programs are left to PATH.
                    ProgramsCase{"C:\\Program Files\\Quenlo\\quenlo-check.exe",
                                 "quenlo.exe -w 1024 a.ttf"}));

TEST(CheckFixCommandTest, KeepsANameThatLooksLikeAnOptionAFont) {
  EXPECT_EQ(CheckFixCommand({"quenlo.exe", "quenlo-check.exe"}, "-x.ttc"),
            "quenlo-check.exe --fix .\\-x.ttc");
}

}  // namespace
