#include "posix/command_tail.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TailCase {
  std::vector<std::string> arguments;  // after the program's name
  bool carried;
  std::string tail;
};

void PrintTo(const TailCase& c, std::ostream* os) { *os << testing::PrintToString(c.arguments); }

class BuildCommandTailTest : public testing::TestWithParam<TailCase> {};

TEST_P(BuildCommandTailTest, JoinsArgumentsAsTheScannerExpects) {
  const TailCase& c = GetParam();
  std::vector<const char*> argv = {"quenlo"};
  for (const std::string& argument : c.arguments) argv.push_back(argument.c_str());
  std::string tail = "stale";
  EXPECT_EQ(BuildCommandTail(static_cast<int>(argv.size()), argv.data(), &tail), c.carried);
  if (c.carried) {
    EXPECT_EQ(tail, c.tail);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildCommandTailTest,
    testing::Values(TailCase{{}, true, ""}, TailCase{{"font.ttf"}, true, "font.ttf"},
                    TailCase{{"-w", "500", "font.ttf"}, true, "-w 500 font.ttf"},
                    TailCase{{"-w500", "a b.ttf"}, true, "-w500 \"a b.ttf\""},
                    TailCase{{""}, true, "\"\""}, TailCase{{"", "x"}, true, "\"\" x"},
                    TailCase{{"\tlead.ttf"}, true, "\"\tlead.ttf\""},
                    TailCase{{"  lead.ttf"}, true, "\"  lead.ttf\""},
                    TailCase{{"trail\\"}, true, "trail\\"},
                    TailCase{{"C:\\My Fonts\\a.ttf"}, true, "\"C:\\My Fonts\\a.ttf\""},
                    TailCase{{"a\x01z"}, true, "\"a\x01z\""},
                    TailCase{{"\xFC.ttf"}, true, "\xFC.ttf"}, TailCase{{"x\"y"}, true, "x\"y"},
                    TailCase{{"\"quoted\""}, false, ""}, TailCase{{"\""}, false, ""},
                    TailCase{{"a \"b"}, false, ""}, TailCase{{"font.ttf", "\"junk"}, false, ""}));

}  // namespace
