// The report's pieces that a reader of the output relies on: JSON strings and face names.
#include "check/report.h"

#include <gtest/gtest.h>

#include <string>

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
                    JsonCase{"\xFC.ttf", "\"\\u00fc.ttf\""},
                    JsonCase{"\xE5\xAD", "\"\\u00e5\\u00ad\""},
                    JsonCase{"\xC0\xAF", "\"\\u00c0\\u00af\""},
                    JsonCase{"\xED\xA0\x80", "\"\\u00ed\\u00a0\\u0080\""},
                    JsonCase{"\xF4\x90\x80\x80", "\"\\u00f4\\u0090\\u0080\\u0080\""}));

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

}  // namespace
