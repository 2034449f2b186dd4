// The report's pieces that a reader of the output relies on: JSON strings and face names.
#include "check/report.h"

#include <gtest/gtest.h>

#include <string>

#include "check/shown_name.h"
#include "check/wrapped.h"

namespace {

struct JsonCase {
  std::string text;
  std::string json;
};

class JsonStringTest : public testing::TestWithParam<JsonCase> {};

TEST_P(JsonStringTest, EscapesWhatJsonNeedsAndKeepsValidUtf8) {
  EXPECT_EQ(JsonString(GetParam().text), GetParam().json);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonStringTest,
    testing::Values(JsonCase{"", "\"\""}, JsonCase{"a.ttf", "\"a.ttf\""},
                    JsonCase{"a\"b\\c", "\"a\\\"b\\\\c\""},
                    JsonCase{"\n\t\x01\x1f\x7f", "\"\\n\\t\\u0001\\u001f\\u007f\""},
                    JsonCase{"\xE5\xAD\x97.ttf", "\"\xE5\xAD\x97.ttf\""},
                    JsonCase{"\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},
                    // Bytes that are not UTF-8: a Latin-1 name, a cut sequence, an overlong
                    // form, a surrogate, a code point past U+10FFFF.
                    JsonCase{"\xFC.ttf", "\"\\udcfc.ttf\""},
                    JsonCase{"\xE5\xAD", "\"\\udce5\\udcad\""},
                    JsonCase{"\xC0\xAF", "\"\\udcc0\\udcaf\""},
                    JsonCase{"\xED\xA0\x80", "\"\\udced\\udca0\\udc80\""},
                    JsonCase{"\xF4\x90\x80\x80", "\"\\udcf4\\udc90\\udc80\\udc80\""}));

TEST(ReportTest, NamesCollectionMembersByNumberAndPatchesOnlyWholeTrueTypeFiles) {
  FaceSummary face;
  face.sfntVersion = 0x00010000;
  EXPECT_EQ(FaceName("a.ttc", face), "a.ttc");
  EXPECT_TRUE(Patchable(face));
  face.index = 3;
  EXPECT_EQ(FaceName("a.ttc", face), "a.ttc#3");
  EXPECT_FALSE(Patchable(face));
  face.index.reset();
  face.sfntVersion = 0x4F54544F;
  EXPECT_FALSE(Patchable(face));
}

struct ShownCase {
  std::string name;
  std::string shown;
};

class ShownNameTest : public testing::TestWithParam<ShownCase> {};

// The name that an escaped form stands for: each \xHH read back as its byte.
std::string Unescaped(const std::string& shown) {
  std::string name;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (shown.compare(i, 2, "\\x") == 0 && i + 3 < shown.size()) {
      name += static_cast<char>(std::stoi(shown.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      name += shown[i];
    }
  }
  return name;
}

TEST_P(ShownNameTest, ShowsNoControlCharacterOrStrayByteRawAndReadsBack) {
  const std::string& name = GetParam().name;
  const std::string shown = ShownName(name);
  EXPECT_EQ(shown, GetParam().shown);
  EXPECT_EQ(NeedsEscaping(name), shown != name);
  // What is shown escaped stands for that one name, and holds only what every terminal shows.
  if (shown != name) {
    EXPECT_EQ(Unescaped(shown), name);
    for (const char c : shown) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << int{c};
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShownNameTest,
    testing::Values(ShownCase{"a b.ttf", "a b.ttf"},
                    ShownCase{"caf\xC3\xA9.ttf", "caf\xC3\xA9.ttf"},
                    ShownCase{"C:\\Fonts\\a.ttf", "C:\\Fonts\\a.ttf"},
                    // A carriage return and an escape sequence that would forge a fix line.
                    ShownCase{"cr\r  fix: touch PWNED\x1b[K #.ttf",
                              "cr\\x0d  fix: touch PWNED\\x1b[K #.ttf"},
                    ShownCase{"a\nb\x7f", "a\\x0ab\\x7f"},
                    // C1 controls, as UTF-8 and as a raw byte, and a right-to-left override.
                    ShownCase{"\xC2\x9B"
                              "2J",
                              "\\xc2\\x9b"
                              "2J"},
                    ShownCase{"\x9B", "\\x9b"},
                    ShownCase{"a\xE2\x80\xAE"
                              "ftt.exe",
                              "a\\xe2\\x80\\xaeftt.exe"},
                    // Once escaping, backslashes are escaped too, so that the form reads back.
                    ShownCase{"x\\x01\x01", "x\\x5cx01\\x01"},
                    // A name that reads as an escape is escaped, so it is not shown as another.
                    ShownCase{"b\\x01.ttf", "b\\x5cx01.ttf"},
                    ShownCase{"C:\\x86\\a.ttf", "C:\\x5cx86\\x5ca.ttf"},
                    // Characters that show as nothing, or as a space.
                    ShownCase{"a\xE2\x80\x8B.ttf", "a\\xe2\\x80\\x8b.ttf"},
                    ShownCase{"a\xC2\xA0"
                              "b",
                              "a\\xc2\\xa0b"},
                    ShownCase{"\xEF\xBB\xBF"
                              "a",
                              "\\xef\\xbb\\xbfa"},
                    ShownCase{"a\xD8\x9C", "a\\xd8\\x9c"},
                    ShownCase{"a\xF3\xA0\x80\x81", "a\\xf3\\xa0\\x80\\x81"},
                    ShownCase{"\xE3\x80\x80.ttf", "\\xe3\\x80\\x80.ttf"}));

FaceSummary OkMember(std::uint32_t index) {
  FaceSummary face;
  face.index = index;
  face.verdict.ok = true;
  return face;
}

TEST(ReportTest, SharedTableIsNamedOnceUnderItsFirstMember) {
  const std::vector<std::uint32_t> sharing = {0, 1, 2, 3, 5, 7, 8};
  const std::string first = FaceLines("a.ttc", OkMember(0), sharing, {});
  EXPECT_NE(first.find("\n  its OS/2 table is shared with #1-#3, #5, #7, #8: one write changes "
                       "them all\n"),
            std::string::npos)
      << first;
  const std::string later = FaceLines("a.ttc", OkMember(7), sharing, {});
  EXPECT_NE(later.find("\n  its OS/2 table is shared with #0 and the members named under it: one "
                       "write changes them all\n"),
            std::string::npos)
      << later;
  EXPECT_EQ(FaceLines("a.ttc", OkMember(0), {0}, {}).find("shared"), std::string::npos);
}

// The window's text within 80 columns: wide characters count two, a word longer than a line
// stands alone, and the lines after the first hang by their indent.
TEST(WrappedTest, LinesFitEightyColumnsAsAConsoleShowsThem) {
  const std::string han = "\xE5\x9B\xBA";  // one character, two columns
  EXPECT_EQ(Columns(han + "a"), 3u);
  std::string forty;
  for (int i = 0; i < 40; ++i) forty += han;
  EXPECT_EQ(Wrapped(forty + " x"), forty + "\nx\n");
  EXPECT_EQ(Wrapped(std::string(79, 'a') + " b", 0, 4), std::string(79, 'a') + "\n    b\n");
  const std::string path(100, 'p');
  EXPECT_EQ(Wrapped("in " + path + " now", 2, 4), "  in\n    " + path + "\n    now\n");
  EXPECT_EQ(Wrapped("  two  spaces "), "two spaces\n");
}

}  // namespace
