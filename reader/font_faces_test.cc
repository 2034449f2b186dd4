// The width check's reader on font files built in the tests: each cmap format, the metrics'
// corner cases, collections, and every way a face can fail to hold together.
#include "reader/font_faces.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/files.h"
#include "tests/metrics_fonts.h"

namespace {

constexpr char kGroupsOutOfOrder[] =
    "the character map's groups are not in order, each after the last and ending by U+10FFFF";

// Glyph 0 is .notdef; glyphs 1 to 95 are U+0020..U+007E at 600; glyphs 96 on are CJK at 1200.
constexpr std::uint16_t kCjkGlyphs = 1000;
std::vector<std::uint16_t> Advances() {
  std::vector<std::uint16_t> advances(1 + 95, 600);
  advances[0] = 0;
  advances.resize(advances.size() + kCjkGlyphs, 1200);
  return advances;
}

const std::vector<CmapGroup> kGroups = {{0x20, 0x7E, 1}, {0x4E00, 0x4E00 + kCjkGlyphs - 1, 96}};

class FontFacesTest : public testing::Test {
 protected:
  FontFaces Read(const Bytes& font) {
    const std::string path = dir_.Path("font.ttf");
    WriteFileBytes(path, font);
    return ReadFontFaces(path.c_str());
  }
  // The one face of a font, which must be readable.
  FaceSummary ReadFace(const Bytes& font) {
    const FontFaces faces = Read(font);
    EXPECT_EQ(faces.error, "");
    EXPECT_EQ(faces.faces.size(), 1u);
    if (faces.faces.empty()) return {};
    EXPECT_EQ(faces.faces[0].error, "");
    return faces.faces[0];
  }
  TempDir dir_;
};

Bytes FontWithCmap(const Bytes& cmap) {
  MetricsFont font;
  font.advances = Advances();
  font.cmap = cmap;
  return BuildMetricsFont(font);
}

struct FormatCase {
  const char* name;
  Bytes cmap;
  std::int32_t halfWidthCount;
  std::int32_t cjkCount;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class CmapFormatTest : public FontFacesTest, public testing::WithParamInterface<FormatCase> {};

TEST_P(CmapFormatTest, MapsTheRulesCodePoints) {
  const FormatCase& c = GetParam();
  const WidthVerdict verdict = ReadFace(FontWithCmap(c.cmap)).verdict;
  EXPECT_EQ(verdict.halfWidthCount, c.halfWidthCount);
  EXPECT_EQ(verdict.cjkCount, c.cjkCount);
  EXPECT_EQ(verdict.halfWidth,
            c.halfWidthCount > 0 ? std::optional<std::int32_t>(600) : std::nullopt);
  EXPECT_EQ(verdict.fullWidth, c.cjkCount > 0 ? std::optional<std::int32_t>(1200) : std::nullopt);
}

std::vector<std::uint8_t> Format0Glyphs() {
  std::vector<std::uint8_t> glyphs(256, 0);
  for (int c = 0x20; c <= 0x7E; ++c)
    glyphs[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c - 0x1F);
  return glyphs;
}

std::vector<std::uint16_t> Format6Glyphs() {
  std::vector<std::uint16_t> glyphs;
  for (std::uint16_t g = 1; g <= 95; ++g) glyphs.push_back(g);
  return glyphs;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, CmapFormatTest,
    testing::Values(
        FormatCase{"Format0", CmapTable({{3, 1, CmapFormat0(Format0Glyphs())}}), 95, 0},
        FormatCase{"Format4Delta", CmapTable({{3, 1, CmapFormat4(kGroups)}}), 95, kCjkGlyphs},
        FormatCase{"Format4GlyphArray", CmapTable({{3, 1, CmapFormat4(kGroups, true)}}), 95,
                   kCjkGlyphs},
        FormatCase{"Format6", CmapTable({{0, 3, CmapFormat6(0x20, Format6Glyphs())}}), 95, 0},
        FormatCase{"Format12", CmapTable({{3, 10, CmapFormat12(kGroups)}}), 95, kCjkGlyphs},
        // Format 13 maps a whole group to one glyph: every CJK code point to glyph 96.
        FormatCase{"Format13", CmapTable({{0, 6, CmapFormat12(kGroups, 13)}}), 95, kCjkGlyphs},
        FormatCase{"OtherFormatMapsNothing", CmapTable({{3, 1, Bytes{0, 2, 0, 6, 0, 0}}}), 0, 0},
        FormatCase{"NoUnicodeSubtable", CmapTable({{1, 0, CmapFormat0(Format0Glyphs())}}), 0, 0},
        FormatCase{"NoCmap", {}, 0, 0}),
    [](const testing::TestParamInfo<FormatCase>& test) { return std::string(test.param.name); });

TEST_F(FontFacesTest, ReadsWhatTellsProgramsTheFaceIsFixedPitch) {
  MetricsFont metrics = CjkMetrics(980);
  Bytes post(32, 0);
  post[15] = 1;  // isFixedPitch, a 32-bit field at byte 12
  metrics.more = {{"post", post}};
  Bytes font = BuildMetricsFont(metrics);
  font[TableOffset(font, "OS/2") + 35] = 9;  // the PANOSE proportion: monospaced
  const FaceSummary face = ReadFace(font);
  EXPECT_EQ(face.isFixedPitch, 1u);
  EXPECT_EQ(face.bProportion, 9);
  // A 'post' table too short to hold the flag says nothing, and is no error.
  metrics.more = {{"post", Bytes(12, 0)}};
  EXPECT_EQ(ReadFace(BuildMetricsFont(metrics)).isFixedPitch, 0u);
}

TEST_F(FontFacesTest, PrefersFullRepertoireAndFirstOfAPair) {
  // (3,10) wins over an earlier (3,1); of two (3,10) subtables the first wins.
  const Bytes cmap = CmapTable({{3, 1, CmapFormat4({{0x20, 0x7E, 1}})},
                                {3, 10, CmapFormat12({{0x20, 0x29, 1}})},
                                {3, 10, CmapFormat12({{0x20, 0x7E, 1}})}});
  EXPECT_EQ(ReadFace(FontWithCmap(cmap)).verdict.halfWidthCount, 10);
}

TEST_F(FontFacesTest, IgnoresMappingsToGlyphZeroOrPastNumGlyphs) {
  const std::uint32_t numGlyphs = 96 + kCjkGlyphs;
  // Format 13 maps each group to one glyph: ten code points to glyph 0, ten past the last glyph;
  // 75 of the 95 stay.
  const Bytes cmap = CmapTable(
      {{3, 10, CmapFormat12({{0x20, 0x29, 0}, {0x2A, 0x33, numGlyphs}, {0x34, 0x7E, 1}}, 13)}});
  EXPECT_EQ(ReadFace(FontWithCmap(cmap)).verdict.halfWidthCount, 75);
}

TEST_F(FontFacesTest, GroupsPastTheRulesCodePointsAreNotRead) {
  // Past U+2FFFF a group is neither checked nor mapped: this one would be out of order.
  const Bytes cmap =
      CmapTable({{3, 10, CmapFormat12({{0x20, 0x7E, 1}, {0x30000, 0x30000, 1}, {0x10, 0x10, 1}})}});
  EXPECT_EQ(ReadFace(FontWithCmap(cmap)).verdict.halfWidthCount, 95);
}

TEST_F(FontFacesTest, SkipsTheLastFormat4Segment) {
  Bytes subtable = CmapFormat4({{0x41, 0x41, 1}});
  // Stretch the final segment to start at U+0020 with a delta that maps it to real glyphs.
  const std::size_t segCount = 2;
  PutBigEndian16(subtable, 14 + 2 * segCount + 2 + 2, 0x20);
  PutBigEndian16(subtable, 14 + 4 * segCount + 2 + 2, 1);
  EXPECT_EQ(ReadFace(FontWithCmap(CmapTable({{3, 1, subtable}}))).verdict.halfWidthCount, 1);
}

TEST_F(FontFacesTest, GlyphsPastTheLongMetricsRepeatTheLastAdvance) {
  MetricsFont font;
  font.advances = {0, 600, 700};
  font.numGlyphs = 10;  // seven more glyphs at 700
  font.cmap = CmapTable({{3, 1, CmapFormat4({{0x20, 0x7E, 1}})}});
  const WidthVerdict verdict = ReadFace(BuildMetricsFont(font)).verdict;
  EXPECT_EQ(verdict.average, (2 * (600 + 8 * 700) + 9) / 18);
  EXPECT_EQ(verdict.halfWidth, 700);  // glyphs 2 to 9 are at 700, glyph 1 at 600
  EXPECT_EQ(verdict.halfWidthCount, 8);
}

TEST_F(FontFacesTest, LongMetricsPastNumGlyphsAreNotGlyphs) {
  MetricsFont font;
  font.advances = {0, 600, 600, 900, 900, 900};
  font.numGlyphs = 3;
  EXPECT_EQ(ReadFace(BuildMetricsFont(font)).verdict.average, 600);
}

TEST_F(FontFacesTest, ReadsHeaderFieldsWithTheirSigns) {
  MetricsFont font;
  font.advances = {0, 600};
  font.xAvgCharWidth = -5;
  font.os2Version = 2;
  font.unitsPerEm = 2048;
  font.sfntVersion = 0x4F54544F;
  const FaceSummary face = ReadFace(BuildMetricsFont(font));
  EXPECT_EQ(face.xAvgCharWidth, -5);
  EXPECT_EQ(face.os2Version, 2);
  EXPECT_EQ(face.unitsPerEm, 2048);
  EXPECT_EQ(face.sfntVersion, 0x4F54544Fu);
  EXPECT_FALSE(face.index);
}

TEST_F(FontFacesTest, ReadsEachMemberOfACollection) {
  MetricsFont first;
  first.advances = {0, 500};
  MetricsFont second = first;
  second.xAvgCharWidth = 77;
  for (const bool shared : {false, true}) {
    const FontFaces faces =
        Read(BuildCollection({BuildMetricsFont(first), BuildMetricsFont(second)}, shared));
    ASSERT_EQ(faces.faces.size(), 2u);
    EXPECT_EQ(faces.faces[0].index, 0u);
    EXPECT_EQ(faces.faces[1].index, 1u);
    EXPECT_EQ(faces.faces[1].error, "");
    EXPECT_EQ(faces.faces[1].xAvgCharWidth, shared ? 500 : 77);
    EXPECT_EQ(faces.faces[0].os2.offset == faces.faces[1].os2.offset, shared);
  }
}

struct ErrorCase {
  const char* name;
  Bytes font;
  const char* fileError;  // about the whole file, or "" when the face gives the error
  const char* faceError;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }

class UnreadableTest : public FontFacesTest, public testing::WithParamInterface<ErrorCase> {};

TEST_P(UnreadableTest, SaysWhyAndGuessesNothing) {
  const ErrorCase& c = GetParam();
  const FontFaces faces = Read(c.font);
  EXPECT_EQ(faces.error, c.fileError);
  if (*c.faceError != '\0') {
    ASSERT_EQ(faces.faces.size(), 1u);
    EXPECT_EQ(faces.faces[0].error, c.faceError);
  }
}

MetricsFont Plain() {
  MetricsFont font;
  font.advances = {0, 600};
  return font;
}

// The plain font with the record of tag renamed, so that no record carries the tag.
Bytes Without(const char* tag) {
  Bytes font = BuildMetricsFont(Plain());
  const std::vector<TableRecord> records = ReadTableDirectory(font);
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (records[i].tag == tag) font[12 + 16 * i] = 'X';
  }
  return font;
}

Bytes WithTableField(const char* tag, std::size_t inRecord, std::uint32_t value) {
  Bytes font = BuildMetricsFont(Plain());
  const std::vector<TableRecord> records = ReadTableDirectory(font);
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (records[i].tag == tag) PutBigEndian32(font, 12 + 16 * i + inRecord, value);
  }
  return font;
}

Bytes WithCmap(const Bytes& cmap) {
  MetricsFont font = Plain();
  font.cmap = cmap;
  return BuildMetricsFont(font);
}

MetricsFont NoMetrics() {
  MetricsFont font;
  font.numGlyphs = 5;
  return font;
}

Bytes Format4Cut() {
  Bytes subtable = CmapFormat4({{0x20, 0x7E, 1}});
  PutBigEndian16(subtable, 2, 20);  // its length no longer covers its segments
  return CmapTable({{3, 1, subtable}});
}

Bytes Format4PastArray() {
  Bytes subtable = CmapFormat4({{0x20, 0x7E, 1}}, true);
  PutBigEndian16(subtable, 2, static_cast<std::uint16_t>(subtable.size() - 2));
  return CmapTable({{3, 1, subtable}});
}

Bytes GroupsCut() {
  Bytes cmap = CmapTable({{3, 10, CmapFormat12(kGroups)}});
  cmap.pop_back();
  return cmap;
}

// Groups or segments that a real character map never has: each must start after the last ends.
Bytes Unordered(std::vector<CmapGroup> groups, std::uint16_t format = 12) {
  return CmapTable({{3, 10, format == 4 ? CmapFormat4(groups) : CmapFormat12(groups, format)}});
}

const Bytes kFont = BuildMetricsFont(Plain());

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreadableTest,
    testing::Values(
        ErrorCase{"Empty", {}, "the file is too short to be a font", ""},
        ErrorCase{"HeaderCut", Bytes(kFont.begin(), kFont.begin() + 8), "",
                  "the file ends inside the font's header"},
        ErrorCase{"NotAFont", Bytes(64, 'x'), "", "not a TrueType or CFF font"},
        ErrorCase{"DirectoryCut", Bytes(kFont.begin(), kFont.begin() + 40), "",
                  "the table directory runs past the end of the file"},
        ErrorCase{"NoOs2", Without("OS/2"), "", "no 'OS/2' table"},
        ErrorCase{"NoHmtx", Without("hmtx"), "", "no 'hmtx' table"},
        ErrorCase{"NoHhea", Without("hhea"), "", "no 'hhea' table"},
        ErrorCase{"NoMaxp", Without("maxp"), "", "no 'maxp' table"},
        ErrorCase{"NoHead", Without("head"), "", "no 'head' table"},
        ErrorCase{"TablePastEnd", WithTableField("hmtx", 12, 0xFFFFFFF0), "",
                  "the 'hmtx' table runs past the end of the file"},
        ErrorCase{"TableOffsetPastEnd", WithTableField("maxp", 8, 0xFFFFFFFF), "",
                  "the 'maxp' table runs past the end of the file"},
        ErrorCase{"HheaShort", WithTableField("hhea", 12, 35), "", "the 'hhea' table is too short"},
        ErrorCase{"HeadShort", WithTableField("head", 12, 19), "", "the 'head' table is too short"},
        ErrorCase{"Os2Short", WithTableField("OS/2", 12, 3), "", "the 'OS/2' table is too short"},
        ErrorCase{"MaxpShort", WithTableField("maxp", 12, 5), "", "the 'maxp' table is too short"},
        ErrorCase{"HmtxShort", WithTableField("hmtx", 12, 7), "",
                  "the 'hmtx' table is shorter than its numberOfHMetrics long metrics"},
        ErrorCase{"NoLongMetrics", BuildMetricsFont(NoMetrics()), "",
                  "'hhea' gives no horizontal metrics"},
        ErrorCase{"CmapShort", WithCmap({0, 0, 0, 5}), "", "the 'cmap' table is too short"},
        ErrorCase{"SubtableOutside", WithCmap({0, 0, 0, 1, 0, 3, 0, 1, 0, 0, 1, 0}), "",
                  "the chosen character map lies outside the 'cmap' table"},
        ErrorCase{"Format4Cut", WithCmap(Format4Cut()), "",
                  "the format 4 character map is too short for its segments"},
        ErrorCase{"Format4PastArray", WithCmap(Format4PastArray()), "",
                  "a format 4 segment points past the glyph index array"},
        ErrorCase{"GroupsPastEnd", WithCmap(GroupsCut()), "",
                  "the character map's groups run past the end of the 'cmap' table"},
        ErrorCase{"GroupsRepeated", WithCmap(Unordered({{0x20, 0x7E, 1}, {0x20, 0x7E, 1}})), "",
                  kGroupsOutOfOrder},
        ErrorCase{"GroupsOverlap", WithCmap(Unordered({{0x20, 0x7E, 1}, {0x7E, 0x80, 1}}, 13)), "",
                  kGroupsOutOfOrder},
        ErrorCase{"GroupsBackwards", WithCmap(Unordered({{0x41, 0x41, 1}, {0x20, 0x20, 1}})), "",
                  kGroupsOutOfOrder},
        ErrorCase{"GroupStartsAfterItsEnd", WithCmap(Unordered({{0x7E, 0x20, 1}})), "",
                  kGroupsOutOfOrder},
        ErrorCase{"GroupPastUnicode", WithCmap(Unordered({{0x20, 0x110000, 1}})), "",
                  kGroupsOutOfOrder},
        ErrorCase{"SegmentsOverlap", WithCmap(Unordered({{0x20, 0x7E, 1}, {0x7E, 0x80, 1}}, 4)), "",
                  "the format 4 character map's segments are not in order, each after the last"},
        ErrorCase{"CollectionCut", Bytes{'t', 't', 'c', 'f', 0, 1, 0, 0},
                  "the file ends inside the collection's header", ""},
        ErrorCase{"CollectionEmpty", Bytes{'t', 't', 'c', 'f', 0, 1, 0, 0, 0, 0, 0, 0},
                  "the collection holds no font", ""},
        ErrorCase{"CollectionTooMany",
                  Bytes{'t', 't', 'c', 'f', 0, 1, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0},
                  "the collection's list of fonts runs past the end of the file", ""}),
    [](const testing::TestParamInfo<ErrorCase>& test) { return std::string(test.param.name); });

TEST_F(FontFacesTest, MissingFileCannotBeOpened) {
  EXPECT_EQ(ReadFontFaces(dir_.Path("missing.ttf").c_str()).error,
            "cannot open it: there is no such file");
  EXPECT_EQ(ReadFontFaces(dir_.Path("").c_str()).error,
            "cannot open it: it is a directory, not a font file");
}

}  // namespace
