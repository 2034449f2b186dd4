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
  EXPECT_EQ(FixCommand(GetParam().path, 1024), GetParam().command);
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

}  // namespace
