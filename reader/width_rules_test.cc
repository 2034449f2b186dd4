// The rules that choose the suggested width, on faces described glyph by glyph.
#include "reader/width_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A face whose glyph 1 is the space, 2 to 27 are a-z and 28 to 95 the rest of U+0021..U+007E,
// all of advance ascii; CJK code points from U+4E00 on map to glyphs of advance full.
struct Face {
  std::uint16_t os2Version = 4;
  std::int16_t stored = 0;
  std::uint16_t ascii = 500;
  std::int32_t asciiMapped = 95;  // the first this many of U+0020..U+007E are mapped
  std::int32_t asciiOther = 0;    // of those, how many at the end have advance other instead
  std::uint16_t other = 300;
  std::int32_t cjk = 0;  // how many CJK code points are mapped
  std::uint16_t full = 1000;
};

FaceFacts Facts(const Face& face) {
  FaceFacts facts;
  facts.os2Version = face.os2Version;
  facts.xAvgCharWidth = face.stored;
  facts.advances = {0};  // .notdef has no width and is not averaged
  facts.glyphs = NoGlyphs();
  const auto map = [&](std::uint32_t codePoint, std::uint16_t advance) {
    MapIndex(CodePointIndex(codePoint), static_cast<std::uint16_t>(facts.advances.size()),
             &facts.glyphs);
    facts.advances.push_back(advance);
  };
  // The space and a-z first, so that a short mapping keeps them.
  std::string order = " abcdefghijklmnopqrstuvwxyz";
  for (char c = '!'; c <= '~'; ++c) {
    if (c < 'a' || c > 'z') order += c;
  }
  for (std::int32_t i = 0; i < face.asciiMapped; ++i) {
    map(static_cast<unsigned char>(order[static_cast<std::size_t>(i)]),
        i >= face.asciiMapped - face.asciiOther ? face.other : face.ascii);
  }
  for (std::int32_t i = 0; i < face.cjk; ++i)
    map(0x4E00 + static_cast<std::uint32_t>(i), face.full);
  return facts;
}

struct RuleCase {
  const char* name;
  Face face;
  WidthKind kind;
  std::int32_t suggested;
  bool ok;
};

void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }

class WidthRulesTest : public testing::TestWithParam<RuleCase> {};

TEST_P(WidthRulesTest, ChoosesKindAndSuggestedWidth) {
  const RuleCase& c = GetParam();
  const WidthVerdict verdict = ApplyWidthRules(Facts(c.face));
  EXPECT_EQ(verdict.kind, c.kind);
  EXPECT_EQ(verdict.suggested, c.suggested);
  EXPECT_EQ(verdict.ok, c.ok);
}

Face With(Face face, void (*change)(Face&)) {
  change(face);
  return face;
}

// The mean of sum over count, rounded half up.
constexpr std::int32_t Rounded(std::int32_t sum, std::int32_t count) {
  return (2 * sum + count) / (2 * count);
}

const Face kMono{};
const Face kCjk = With(kMono, [](Face& f) {
  f.cjk = 1000;
  f.full = 1000;
});

const Face kCjkProportional = With(kCjk, [](Face& f) {
  f.asciiOther = 60;
  f.full = 1003;
});
const Face kThreeToFive = With(kCjk, [](Face& f) {
  f.ascii = 618;
  f.full = 1030;
});

INSTANTIATE_TEST_SUITE_P(
    Cases, WidthRulesTest,
    testing::Values(
        RuleCase{"AllAsciiOneWidth", kMono, WidthKind::kMonospaced, 500, false},
        RuleCase{"StoredWithinOne", With(kMono, [](Face& f) { f.stored = 501; }),
                 WidthKind::kMonospaced, 500, true},
        RuleCase{"StoredTwoAway", With(kMono, [](Face& f) { f.stored = 498; }),
                 WidthKind::kMonospaced, 500, false},
        RuleCase{"NinetyAsciiAtTheWidth", With(kMono, [](Face& f) { f.asciiOther = 5; }),
                 WidthKind::kMonospaced, 500, false},
        // 89 at 500: proportional, so version 4 takes the average of all glyphs.
        RuleCase{"EightyNineAsciiAtTheWidth", With(kMono, [](Face& f) { f.asciiOther = 6; }),
                 WidthKind::kProportional, Rounded(89 * 500 + 6 * 300, 95), false},
        RuleCase{"NinetyMappedOfNinetyFive", With(kMono, [](Face& f) { f.asciiMapped = 90; }),
                 WidthKind::kMonospaced, 500, false},
        RuleCase{"EightyNineMapped", With(kMono, [](Face& f) { f.asciiMapped = 89; }),
                 WidthKind::kProportional, 500, false},
        RuleCase{"CjkOneToTwo", kCjk, WidthKind::kDuospaced, 500, false},
        RuleCase{"NineHundredNinetyNineCjkIsMonospaced", With(kCjk, [](Face& f) { f.cjk = 999; }),
                 WidthKind::kMonospaced, 500, false},
        RuleCase{"FullWidthTwoOver", With(kCjk, [](Face& f) { f.full = 1002; }),
                 WidthKind::kDuospaced, 500, false},
        RuleCase{"FullWidthTwoUnder", With(kCjk, [](Face& f) { f.full = 998; }),
                 WidthKind::kDuospaced, 500, false},
        // Past 2 units from twice the half width, monospaced ASCII with 1000 CJK characters is
        // dual-width: ok at either width, else the half width.
        RuleCase{"FullWidthThreeOver", With(kCjk, [](Face& f) { f.full = 1003; }),
                 WidthKind::kDualWidth, 500, false},
        RuleCase{"FullWidthThreeUnderVersionTwo",
                 With(kCjk,
                      [](Face& f) {
                        f.full = 997;
                        f.os2Version = 2;
                        f.stored = 500;
                      }),
                 WidthKind::kDualWidth, 500, true},
        RuleCase{"ThreeToFiveSiblingLeftByTheMerger",
                 With(kThreeToFive, [](Face& f) { f.stored = 976; }), WidthKind::kDualWidth, 618,
                 false},
        RuleCase{"ThreeToFiveAtItsFullWidth", With(kThreeToFive, [](Face& f) { f.stored = 1031; }),
                 WidthKind::kDualWidth, 1030, true},
        RuleCase{"ThreeToFiveAtItsHalfWidth", With(kThreeToFive, [](Face& f) { f.stored = 617; }),
                 WidthKind::kDualWidth, 618, true},
        RuleCase{"NarrowBuildWithAStaleValue",
                 With(kCjk,
                      [](Face& f) {
                        f.ascii = 600;
                        f.stored = 1023;
                      }),
                 WidthKind::kDualWidth, 600, false},
        // Version 2 and below weigh a-z and the space; 3 and above average every glyph.
        RuleCase{"ProportionalVersionTwoWeighted",
                 With(kMono,
                      [](Face& f) {
                        f.asciiOther = 60;
                        f.os2Version = 2;
                      }),
                 WidthKind::kProportional, 500, false},
        RuleCase{"ProportionalVersionThreeAverages",
                 With(kMono,
                      [](Face& f) {
                        f.asciiOther = 60;
                        f.os2Version = 3;
                      }),
                 WidthKind::kProportional, Rounded(35 * 500 + 60 * 300, 95), false},
        // Without 'a' (only the space is mapped) there is no weighted average.
        RuleCase{"MissingLetterFallsBackToAverage",
                 With(kMono,
                      [](Face& f) {
                        f.asciiMapped = 1;
                        f.os2Version = 1;
                        f.ascii = 777;
                      }),
                 WidthKind::kProportional, 777, false},
        // A proportional face with 1000 CJK characters keeps a stored value from its lower
        // average (here the weighted one, 500) to the highest of its averages and its full width
        // (1003), each end within 1; outside that, and with 999, its version's rule holds.
        RuleCase{"CjkProportionalKeepsTheLowerAverage",
                 With(kCjkProportional, [](Face& f) { f.stored = 499; }), WidthKind::kProportional,
                 499, true},
        RuleCase{"CjkProportionalKeepsAValueBetweenTheAverages",
                 With(kCjkProportional,
                      [](Face& f) {
                        f.os2Version = 3;
                        f.stored = 512;
                      }),
                 WidthKind::kProportional, 512, true},
        RuleCase{"CjkProportionalKeepsTheFullWidth",
                 With(kCjkProportional, [](Face& f) { f.stored = 1004; }), WidthKind::kProportional,
                 1004, true},
        RuleCase{"CjkProportionalBelowTheRangeGetsItsRule",
                 With(kCjkProportional, [](Face& f) { f.stored = 498; }), WidthKind::kProportional,
                 Rounded(35 * 500 + 60 * 300 + 1000 * 1003, 1095), false},
        RuleCase{"CjkProportionalAboveTheRangeGetsItsRule",
                 With(kCjkProportional,
                      [](Face& f) {
                        f.os2Version = 2;
                        f.stored = 1005;
                      }),
                 WidthKind::kProportional, 500, false},
        RuleCase{"NineHundredNinetyNineCjkProportionalKeepsNothing",
                 With(kMono,
                      [](Face& f) {
                        f.asciiOther = 60;
                        f.cjk = 999;
                        f.stored = 500;
                      }),
                 WidthKind::kProportional, Rounded(35 * 500 + 60 * 300 + 999 * 1000, 1094), false},
        RuleCase{"NegativeStoredValue", With(kMono, [](Face& f) { f.stored = -500; }),
                 WidthKind::kMonospaced, 500, false}),
    [](const testing::TestParamInfo<RuleCase>& test) { return std::string(test.param.name); });

TEST(WidthRulesTest, DualWidthFullSuggestsTheFullWidthWhereNeitherIsHeld) {
  const WidthRules full{DualWidth::kFull};
  Face narrow = With(kCjk, [](Face& f) { f.ascii = 600; });
  narrow.stored = 1023;
  EXPECT_EQ(ApplyWidthRules(Facts(narrow), full).suggested, 1000);
  narrow.stored = 600;  // the half width is ok either way
  const WidthVerdict half = ApplyWidthRules(Facts(narrow), full);
  EXPECT_TRUE(half.ok);
  EXPECT_EQ(half.suggested, 600);
  // Other kinds keep their rules.
  EXPECT_EQ(ApplyWidthRules(Facts(kCjk), full).suggested, 500);
}

TEST(WidthRulesTest, AveragesNonZeroAdvancesRoundingHalfUp) {
  FaceFacts facts;
  facts.glyphs = NoGlyphs();
  facts.advances = {0, 1, 2};  // 1.5 rounds to 2
  EXPECT_EQ(ApplyWidthRules(facts).average, 2);
  facts.advances = {0, 1, 2, 2};  // 1.67 rounds to 2
  EXPECT_EQ(ApplyWidthRules(facts).average, 2);
  facts.advances = {0, 0};
  EXPECT_EQ(ApplyWidthRules(facts).average, 0);
  facts.advances = {65535, 65535};
  EXPECT_EQ(ApplyWidthRules(facts).average, 65535);
}

TEST(WidthRulesTest, WeighsLettersAndSpaceByTheirShareOfText) {
  FaceFacts facts;
  facts.glyphs = NoGlyphs();
  facts.advances = {0, 1000, 0};
  // Only 'e' (weight 100) is 1000 wide, the space and the other letters 0: 100000 / 1000 = 100.
  for (const char c : std::string(" abcdefghijklmnopqrstuvwxyz")) {
    MapIndex(CodePointIndex(static_cast<unsigned char>(c)), c == 'e' ? 1 : 2, &facts.glyphs);
  }
  EXPECT_EQ(ApplyWidthRules(facts).weightedAverage, 100);
}

TEST(WidthRulesTest, TieGoesToTheSmallerAdvance) {
  Face face;
  face.asciiOther = 47;  // 48 at 500, 47 at 300: no tie
  EXPECT_EQ(ApplyWidthRules(Facts(face)).halfWidth, 500);
  face.asciiMapped = 94;  // 47 at 500, 47 at 300: a tie
  const WidthVerdict verdict = ApplyWidthRules(Facts(face));
  EXPECT_EQ(verdict.halfWidth, 300);
  EXPECT_EQ(verdict.halfWidthCount, 47);
}

TEST(WidthRulesTest, IndexesOnlyTheRulesCodePoints) {
  EXPECT_EQ(CodePointIndex(0x1F), -1);
  EXPECT_EQ(CodePointIndex(0x20), 0);
  EXPECT_EQ(CodePointIndex(0x7E), 94);
  EXPECT_EQ(CodePointIndex(0x7F), -1);
  EXPECT_EQ(CodePointIndex(0x3040), 95);
  EXPECT_EQ(CodePointIndex(0x2FFFF), CodePointIndexCount() - 1);
  EXPECT_EQ(CodePointIndex(0x30000), -1);
  EXPECT_EQ(CodePointIndex(0xD7A4), -1);
}

}  // namespace
