#include "windows/command_tail_windows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool NoLeadBytes(unsigned char) { return false; }

// Shift-JIS (code page 932) lead bytes; 0x22 can follow one as its second byte.
bool ShiftJisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

struct TailCase {
  std::string commandLine;
  std::string tail;
  LeadByteTest isLeadByte = NoLeadBytes;
};

void PrintTo(const TailCase& c, std::ostream* os) { *os << testing::PrintToString(c.commandLine); }

class CommandTailOfTest : public testing::TestWithParam<TailCase> {};

TEST_P(CommandTailOfTest, SkipsProgramNameAndFollowingBlanks) {
  const TailCase& c = GetParam();
  const char* tail = CommandTailOf(c.commandLine.c_str(), c.isLeadByte);
  EXPECT_EQ(std::string(tail), c.tail);
  // The tail is a suffix of the command line, passed on unchanged.
  EXPECT_EQ(tail, c.commandLine.c_str() + (c.commandLine.size() - c.tail.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandTailOfTest,
    testing::Values(
        TailCase{"quenlo.exe -w 500 a.ttf", "-w 500 a.ttf"},
        TailCase{"\"C:\\Program Files\\quenlo.exe\" -w 500 a.ttf", "-w 500 a.ttf"},
        TailCase{"\"C:\\Program Files\\quenlo.exe\"a.ttf", "a.ttf"}, TailCase{"quenlo.exe", ""},
        TailCase{"\"quenlo.exe\"", ""}, TailCase{"", ""}, TailCase{"\"unclosed name a.ttf", ""},
        TailCase{"quenlo.exe \t \x01\"a b.ttf\" x", "\"a b.ttf\" x"},
        TailCase{"quenlo.exe\ta.ttf", "a.ttf"}, TailCase{"quenlo.exe \xFC.ttf", "\xFC.ttf"},
        TailCase{"quenlo.exe \xA0\xFC.ttf", "\xA0\xFC.ttf"},
        TailCase{"quenlo.exe  \\\"x\\\" ", "\\\"x\\\" "},
        TailCase{"\"C:\\\x83\"\\quenlo.exe\" a.ttf", "a.ttf", ShiftJisLeadByte},
        TailCase{"\"C:\\\x83\"\\quenlo.exe\" a.ttf", "\\quenlo.exe\" a.ttf", NoLeadBytes},
        TailCase{"\"C:\\x\x83", "", ShiftJisLeadByte}));

}  // namespace
