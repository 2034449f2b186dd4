#include <gtest/gtest.h>

#include <string>

#include "check/fix_command.h"
#include "tests/pasted_lines.h"

namespace {

struct FixCase {
  std::string path;
  std::string command;  // "" when no command passes the name on unchanged
};

class FixCommandTest : public testing::TestWithParam<FixCase> {};

TEST_P(FixCommandTest, QuotesOnlyWhatEveryShellReadsAsItself) {
  const std::string command = FixCommand({"quenlo", "quenlo-check"}, GetParam().path, 1024);
  EXPECT_EQ(command, GetParam().command);
  if (!command.empty()) {
    EXPECT_EQ(ReadByPosixShells(command).size(), 4u) << command;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FixCommandTest,
    testing::Values(
        FixCase{"font.ttf", "quenlo -w 1024 font.ttf"},
        FixCase{"/usr/share/fonts/a-b_c.ttf", "quenlo -w 1024 /usr/share/fonts/a-b_c.ttf"},
        FixCase{"My Font.ttf", "quenlo -w 1024 'My Font.ttf'"},
        FixCase{"Noto[wdth,wght].ttf", "quenlo -w 1024 'Noto[wdth,wght].ttf'"},
        FixCase{"$HOME*.ttf", "quenlo -w 1024 '$HOME*.ttf'"},
        // zsh expands =ls, fish %self and every shell ~, unquoted only.
        FixCase{"=ls", "quenlo -w 1024 '=ls'"}, FixCase{"%self", "quenlo -w 1024 '%self'"},
        FixCase{"~root", "quenlo -w 1024 '~root'"},
        FixCase{"\xE5\xAD\x97.ttf", "quenlo -w 1024 '\xE5\xAD\x97.ttf'"},
        FixCase{"-w", "quenlo -w 1024 ./-w"}, FixCase{"a\"b.ttf", "quenlo -w 1024 'a\"b.ttf'"},
        // quenlo refuses an argument that starts with a quote: "./" mends that.
        FixCase{"\"q.ttf", "quenlo -w 1024 './\"q.ttf'"},
        // A quote beside a space cannot reach quenlo at all.
        FixCase{"a \"b.ttf", ""},
        // Inside single quotes fish reads \' and \\ as escapes.
        FixCase{"it's.ttf", ""}, FixCase{"a\\'; touch PWNED; #.ttf", ""},
        FixCase{"back\\slash.ttf", ""},
        // Names shown escaped, invisible characters among them.
        FixCase{"b\\x01.ttf", ""}, FixCase{"zero\xE2\x80\x8Bwidth.ttf", ""},
        FixCase{"tab\t.ttf", ""}));

struct ProgramsCase {
  std::string started;  // how the check was started: argv[0]
  std::string quenlo;   // the fix command for a.ttf and width 1024
  std::string check;    // the check's own fix command for -a.ttc
};

class ProgramsBesideTest : public testing::TestWithParam<ProgramsCase> {};

TEST_P(ProgramsBesideTest, CommandsReachTheProgramsAsTheCheckWasReached) {
  const FixPrograms programs = ProgramsBeside(GetParam().started);
  EXPECT_EQ(FixCommand(programs, "a.ttf", 1024), GetParam().quenlo);
  EXPECT_EQ(CheckFixCommand(programs, "-a.ttc"), GetParam().check);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramsBesideTest,
    testing::Values(
        ProgramsCase{"quenlo-check", "quenlo -w 1024 a.ttf", "quenlo-check --fix ./-a.ttc"},
        ProgramsCase{"build/quenlo-check", "build/quenlo -w 1024 a.ttf",
                     "build/quenlo-check --fix ./-a.ttc"},
        ProgramsCase{"/opt/My Tools/quenlo-check", "'/opt/My Tools/quenlo' -w 1024 a.ttf",
                     "'/opt/My Tools/quenlo-check' --fix ./-a.ttc"},
        // A folder that no command can name leaves the programs to PATH.
        ProgramsCase{"/opt/it's/quenlo-check", "quenlo -w 1024 a.ttf",
                     "quenlo-check --fix ./-a.ttc"}));

}  // namespace
