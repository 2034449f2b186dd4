#include "cmdline/scanner.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NumberCase {
  std::string text;
  std::int32_t value;
  std::size_t cursorAfter;  // index into text
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << testing::PrintToString(c.text); }

class ParseNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(ParseNumberTest, ReturnsValueAndLeavesCursorOnFirstNonDigit) {
  const NumberCase& c = GetParam();
  const char* cursor = c.text.c_str();
  EXPECT_EQ(ParseNumber(cursor), c.value);
  EXPECT_EQ(cursor - c.text.c_str(), static_cast<std::ptrdiff_t>(c.cursorAfter));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseNumberTest,
    testing::Values(NumberCase{"123", 123, 3}, NumberCase{"123 rest", 123, 3},
                    NumberCase{"12a", -1, 2}, NumberCase{"", 0, 0}, NumberCase{" 5", 0, 0},
                    NumberCase{"+5", -1, 0}, NumberCase{"-5", -1, 0}, NumberCase{"007", 7, 3},
                    NumberCase{"0", 0, 1}, NumberCase{"2147483647", 2147483647, 10},
                    NumberCase{"2147483648", 2147483647, 10},
                    NumberCase{"99999999999999999999", 2147483647, 20},
                    NumberCase{"99999999999999999999x", -1, 20}, NumberCase{"12\t", -1, 2},
                    NumberCase{"12\xB9", -1, 2}, NumberCase{"1\"", -1, 1}));

struct WidthOptionCase {
  std::string text;
  std::int32_t value;
  std::size_t cursorAfter;
};

void PrintTo(const WidthOptionCase& c, std::ostream* os) { *os << testing::PrintToString(c.text); }

class ParseWidthOptionTest : public testing::TestWithParam<WidthOptionCase> {};

TEST_P(ParseWidthOptionTest, ReadsOptionOrLeavesCursor) {
  const WidthOptionCase& c = GetParam();
  const char* cursor = c.text.c_str();
  EXPECT_EQ(ParseWidthOption(cursor), c.value);
  EXPECT_EQ(cursor - c.text.c_str(), static_cast<std::ptrdiff_t>(c.cursorAfter));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseWidthOptionTest,
    testing::Values(WidthOptionCase{"-w 250 f.ttf", 250, 6}, WidthOptionCase{"-w250", 250, 5},
                    WidthOptionCase{"-w", 0, 2}, WidthOptionCase{"-w   ", 0, 5},
                    WidthOptionCase{"-wide", -1, 2}, WidthOptionCase{"-w\t250", -1, 2},
                    WidthOptionCase{"-W 250", 0, 0}, WidthOptionCase{"w 250", 0, 0},
                    WidthOptionCase{"-x 250", 0, 0}, WidthOptionCase{"-", 0, 0},
                    WidthOptionCase{"", 0, 0}, WidthOptionCase{" -w 250", 0, 0}));

TEST(SkipBlanksTest, SkipsSpacesOnly) {
  const std::string cases[] = {"   x", "\tx", "", "x", "  \t"};
  const std::size_t expected[] = {3, 0, 0, 0, 2};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const char* cursor = cases[i].c_str();
    SkipBlanks(cursor);
    EXPECT_EQ(cursor - cases[i].c_str(), static_cast<std::ptrdiff_t>(expected[i])) << i;
  }
}

struct FileNameCase {
  std::string text;
  std::size_t limit;
  std::string name;
  std::size_t cursorAfter;
};

void PrintTo(const FileNameCase& c, std::ostream* os) {
  *os << testing::PrintToString(c.text) << " limit " << c.limit;
}

class ParseFileNameTest : public testing::TestWithParam<FileNameCase> {};

TEST_P(ParseFileNameTest, CopiesNameAndStopsWhereItEnds) {
  const FileNameCase& c = GetParam();
  // Bytes past the limit must stay as they were.
  std::string dest(c.limit + 8, '#');
  const char* cursor = c.text.c_str();
  const char* returned = ParseFileName(cursor, dest.data(), c.limit);
  EXPECT_EQ(returned, cursor);
  EXPECT_EQ(std::string(dest.c_str()), c.name);
  EXPECT_EQ(cursor - c.text.c_str(), static_cast<std::ptrdiff_t>(c.cursorAfter));
  EXPECT_EQ(dest.substr(c.limit), std::string(8, '#'));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseFileNameTest,
    testing::Values(FileNameCase{"C:\\a.ttf rest", 2047, "C:\\a.ttf", 8},
                    FileNameCase{"\"C:\\My Fonts\\a.ttf\" rest", 2047, "C:\\My Fonts\\a.ttf", 19},
                    FileNameCase{"\"C:\\a.ttf", 2047, "C:\\a.ttf", 9},
                    FileNameCase{"\"\"", 2047, "", 2}, FileNameCase{"\"", 2047, "", 1},
                    FileNameCase{"a\"b c", 2047, "a\"b", 3},
                    FileNameCase{"\"a b\"c", 2047, "a b", 5}, FileNameCase{"abcdefg", 5, "abcd", 4},
                    FileNameCase{"\"abcd\"", 5, "abcd", 6},
                    FileNameCase{"\"abcdefg\"", 5, "abcd", 5}, FileNameCase{"abcd", 5, "abcd", 4},
                    FileNameCase{"abc", 1, "", 0}, FileNameCase{"a\tb.ttf x", 2047, "a\tb.ttf", 7},
                    FileNameCase{" a.ttf", 2047, "", 0}, FileNameCase{"", 2047, "", 0},
                    FileNameCase{"\xFC.ttf", 2047, "\xFC.ttf", 5}));

TEST(ParseFileNameTest, CutsLongNameAtLimitMinusOne) {
  const std::string text(3000, 'n');
  char dest[2048];
  const char* cursor = text.c_str();
  ParseFileName(cursor, dest, 2047);
  EXPECT_EQ(std::string(dest), std::string(2046, 'n'));
  EXPECT_EQ(cursor - text.c_str(), 2046);
}

}  // namespace
