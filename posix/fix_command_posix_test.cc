#include <gtest/gtest.h>

#include <string>

#include "check/fix_command.h"

namespace {

struct FixCase {
  std::string path;
  std::string command;  // "" when quenlo cannot take the name
};

class FixCommandTest : public testing::TestWithParam<FixCase> {};

TEST_P(FixCommandTest, QuotesForTheShellAndForQuenlo) {
  EXPECT_EQ(FixCommand({"quenlo", "quenlo-check"}, GetParam().path, 1024), GetParam().command);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FixCommandTest,
    testing::Values(FixCase{"font.ttf", "quenlo -w 1024 font.ttf"},
                    FixCase{"/usr/share/fonts/a-b_c+1.ttf",
                            "quenlo -w 1024 /usr/share/fonts/a-b_c+1.ttf"},
                    FixCase{"My Font.ttf", "quenlo -w 1024 'My Font.ttf'"},
                    FixCase{"it's.ttf", "quenlo -w 1024 'it'\\''s.ttf'"},
                    FixCase{"$HOME*.ttf", "quenlo -w 1024 '$HOME*.ttf'"},
                    FixCase{"\xE5\xAD\x97.ttf", "quenlo -w 1024 '\xE5\xAD\x97.ttf'"},
                    FixCase{"-w", "quenlo -w 1024 -w"},
                    FixCase{"a\"b.ttf", "quenlo -w 1024 'a\"b.ttf'"},
                    // quenlo refuses an argument that starts with a quote: "./" mends that.
                    FixCase{"\"q.ttf", "quenlo -w 1024 './\"q.ttf'"},
                    // A quote beside a space cannot reach quenlo at all.
                    FixCase{"a \"b.ttf", ""}));

struct ProgramsCase {
  std::string started;  // how the check was started: argv[0]
  std::string quenlo;   // the fix command for a.ttf and width 1024
  std::string check;    // the check's own fix command for a.ttc
};

class ProgramsBesideTest : public testing::TestWithParam<ProgramsCase> {};

TEST_P(ProgramsBesideTest, CommandsReachTheProgramsAsTheCheckWasReached) {
  const FixPrograms programs = ProgramsBeside(GetParam().started);
  EXPECT_EQ(FixCommand(programs, "a.ttf", 1024), GetParam().quenlo);
  EXPECT_EQ(CheckFixCommand(programs, "a.ttc"), GetParam().check);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgramsBesideTest,
                         testing::Values(ProgramsCase{"quenlo-check", "quenlo -w 1024 a.ttf",
                                                      "quenlo-check --fix a.ttc"},
                                         ProgramsCase{"build/quenlo-check",
                                                      "build/quenlo -w 1024 a.ttf",
                                                      "build/quenlo-check --fix a.ttc"},
                                         ProgramsCase{"/opt/My Tools/quenlo-check",
                                                      "'/opt/My Tools/quenlo' -w 1024 a.ttf",
                                                      "'/opt/My Tools/quenlo-check' --fix a.ttc"}));

TEST(CheckFixCommandTest, KeepsANameThatLooksLikeAnOptionAFont) {
  EXPECT_EQ(CheckFixCommand({"quenlo", "quenlo-check"}, "-x.ttc"), "quenlo-check --fix -- -x.ttc");
}

}  // namespace
