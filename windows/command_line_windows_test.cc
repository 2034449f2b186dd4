// The command line's conversion to an 8-bit code page: never a look-alike of another character.
#include "windows/command_line_windows.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

struct ConversionCase {
  const char* name;
  std::wstring commandLine;
  unsigned codePage;
  std::string narrow;
};

void PrintTo(const ConversionCase& c, std::ostream* os) { *os << c.name; }

class NarrowCommandLineTest : public testing::TestWithParam<ConversionCase> {};

TEST_P(NarrowCommandLineTest, KeepsWhatTheCodePageHoldsAndMarksTheRest) {
  const ConversionCase& c = GetParam();
  std::vector<char> narrow(kNarrowCommandLineSize, 'x');
  ASSERT_TRUE(
      NarrowCommandLine(c.commandLine.c_str(), c.codePage, narrow.data(), kNarrowCommandLineSize));
  EXPECT_EQ(std::string(narrow.data()), c.narrow);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NarrowCommandLineTest,
    testing::Values(
        ConversionCase{"Empty", L"", 1252, ""},
        ConversionCase{"Ascii", L"quenlo.exe -w 500 \"My Font.ttf\"", 1252,
                       "quenlo.exe -w 500 \"My Font.ttf\""},
        ConversionCase{"LatinInCodePage", L"q \u00DCber.ttf", 1252,
                       "q \xDC"
                       "ber.ttf"},
        ConversionCase{"MacronNotBestFit", L"q \u0100rial.ttf", 1252, "q ?rial.ttf"},
        ConversionCase{"StrokeNotBestFit", L"q \u0142atka.ttf", 1252, "q ?atka.ttf"},
        ConversionCase{"FullWidthNotBestFit", L"q \uFF46\uFF4F\uFF4E\uFF54.ttf", 1252,
                       "q ????.ttf"},
        ConversionCase{"HanOutsideCodePage", L"q \u5B57\u4F53.ttf", 1252, "q ??.ttf"},
        ConversionCase{"HanInUtf8", L"q \u5B57\u4F53.ttf", CP_UTF8,
                       "q \xE5\xAD\x97\xE4\xBD\x93.ttf"},
        ConversionCase{"MacronInUtf8", L"q \u0100rial.ttf", CP_UTF8, "q \xC4\x80rial.ttf"},
        ConversionCase{"SurrogatePairInUtf8", L"q \xD840\xDC0B.ttf", CP_UTF8,
                       "q \xF0\xA0\x80\x8B.ttf"},
        ConversionCase{"LoneHighSurrogateInUtf8", L"q a\xD840.ttf", CP_UTF8, "q a?.ttf"},
        ConversionCase{"LoneLowSurrogateInUtf8", L"q \xDC0B\u00FC.ttf", CP_UTF8, "q ?\xC3\xBC.ttf"},
        ConversionCase{"HighSurrogateLast", L"q a\xD840", CP_UTF8, "q a?"},
        ConversionCase{"TwoHighSurrogates", L"\xD840\xD840\xDC0B", CP_UTF8, "?\xF0\xA0\x80\x8B"}));

TEST(NarrowCommandLineTest, RefusesALineLongerThanTheBuffer) {
  char narrow[4];
  EXPECT_FALSE(NarrowCommandLine(L"abcd", 1252, narrow, sizeof narrow));
  EXPECT_FALSE(NarrowCommandLine(L"ab\xD840", CP_UTF8, narrow, 3));
  EXPECT_TRUE(NarrowCommandLine(L"abc", 1252, narrow, sizeof narrow));
  EXPECT_STREQ(narrow, "abc");
}

}  // namespace
