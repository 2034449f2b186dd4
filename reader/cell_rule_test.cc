// The cell rule against the cases that real fonts show: a value a few units off that rounds to
// the same pixels, a few units that do not, the wide CJK value, and faces not laid out in cells.
#include "reader/cell_rule.h"

#include <gtest/gtest.h>

namespace {

FaceSummary Face(WidthKind kind, std::int16_t stored, std::int32_t half, std::uint16_t em) {
  FaceSummary face;
  face.unitsPerEm = em;
  face.xAvgCharWidth = stored;
  face.verdict.kind = kind;
  face.verdict.halfWidth = half;
  face.verdict.suggested = half;
  face.verdict.ok = stored >= half - 1 && stored <= half + 1;
  return face;
}

TEST(CellRuleTest, CellsAreWrongWhereTheyDifferByAPixelAtSomeSize) {
  struct Case {
    WidthKind kind;
    std::int16_t stored;
    std::int32_t half;
    std::uint16_t em;
    std::int32_t pixels;  // the first size that shows it; 0 for none
    std::int32_t cell;
    std::int32_t characters;
  };
  const Case cases[] = {
      {WidthKind::kMonospaced, 645, 600, 1000, 12, 8, 7},    // Noto Sans Mono
      {WidthKind::kDuospaced, 1962, 1024, 2048, 12, 11, 6},  // BIZ UD Gothic
      {WidthKind::kMonospaced, 1231, 1228, 2048, 0, 0, 0},   // Courier Prime: same pixels
      {WidthKind::kMonospaced, 1234, 1228, 2048, 0, 0, 0},
      {WidthKind::kMonospaced, 1236, 1233, 2048, 29, 18, 17},  // rounds across a half at 29
      {WidthKind::kMonospaced, 300, 600, 1000, 12, 4, 7},      // too narrow
      {WidthKind::kMonospaced, -600, 600, 1000, 12, -7, 7},
      {WidthKind::kProportional, 1124, 1115, 2048, 0, 0, 0},  // Liberation Serif
      {WidthKind::kProportional, 2000, 500, 1000, 0, 0, 0},   // no cells, however far off
      {WidthKind::kMonospaced, 601, 600, 1000, 0, 0, 0},      // ok
      {WidthKind::kMonospaced, 1000, 500, 0, 0, 0, 0},        // no em to scale by
  };
  for (const Case& c : cases) {
    const auto cells = WrongCellsOf(Face(c.kind, c.stored, c.half, c.em));
    SCOPED_TRACE(c.stored);
    ASSERT_EQ(cells.has_value(), c.pixels != 0);
    if (!cells) continue;
    EXPECT_EQ(cells->pixels, c.pixels);
    EXPECT_EQ(cells->cell, c.cell);
    EXPECT_EQ(cells->characters, c.characters);
  }
  FaceSummary unreadable = Face(WidthKind::kMonospaced, 1000, 500, 1000);
  unreadable.error = "damaged";
  EXPECT_FALSE(WrongCellsOf(unreadable));
}

TEST(CellRuleTest, FixedPitchIsWhatThePanoseOrThePostTableSays) {
  FaceSummary face;
  EXPECT_FALSE(SeenAsFixedPitch(face));
  face.bProportion = 9;
  EXPECT_TRUE(SeenAsFixedPitch(face));
  face.bProportion = 3;
  face.isFixedPitch = 1;
  EXPECT_TRUE(SeenAsFixedPitch(face));
}

}  // namespace
