// Which xAvgCharWidth a face needs: the OpenType averages, and the half-width cell that Windows
// sizes text from for fixed-pitch fonts and CJK fonts whose full-width glyphs are twice as wide.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

struct CodePointRange {
  std::uint32_t first;
  std::uint32_t last;
};

// The code points whose glyphs the rules look at, in this order: U+0020..U+007E, then the CJK
// blocks (kana, CJK ideographs with their extensions and compatibility forms, Hangul syllables).
constexpr std::uint32_t kAsciiFirst = 0x20;
constexpr std::uint32_t kAsciiCount = 95;
inline constexpr CodePointRange kRuleRanges[] = {
    {kAsciiFirst, kAsciiFirst + kAsciiCount - 1},
    {0x3040, 0x30FF},    // Hiragana and Katakana
    {0x3400, 0x4DBF},    // CJK Unified Ideographs Extension A
    {0x4E00, 0x9FFF},    // CJK Unified Ideographs
    {0xAC00, 0xD7A3},    // Hangul Syllables
    {0xF900, 0xFAFF},    // CJK Compatibility Ideographs
    {0x20000, 0x2FFFF},  // the Supplementary Ideographic Plane
};
// The index of codePoint among the code points above, or -1 when the rules ignore it.
std::int32_t CodePointIndex(std::uint32_t codePoint);
// How many code points the rules look at.
std::int32_t CodePointIndexCount();

// The glyph of each code point that the rules look at.
struct CodePointGlyphs {
  std::vector<std::uint16_t> byIndex;  // one per CodePointIndex; 0 where nothing is mapped
  // Each index whose glyph is not 0, once, so that counting visits only those.
  std::vector<std::int32_t> mapped;
};

// A map of no code point; FaceFacts needs one, or one filled with MapIndex.
CodePointGlyphs NoGlyphs();

// Maps the code point of CodePointIndex index to glyph, which is not 0. Inline, as a large
// character map calls it once for each of its code points.
inline void MapIndex(std::int32_t index, std::uint16_t glyph, CodePointGlyphs* glyphs) {
  std::uint16_t& slot = glyphs->byIndex[static_cast<std::size_t>(index)];
  if (slot == 0) glyphs->mapped.push_back(index);
  slot = glyph;
}

// What the rules need to know of one face.
struct FaceFacts {
  std::uint16_t os2Version = 0;
  std::int16_t xAvgCharWidth = 0;
  std::vector<std::uint16_t> advances;  // one per glyph, numGlyphs in all
  CodePointGlyphs glyphs;               // sized by NoGlyphs
};

// Duospaced: full width twice the half width; dual-width: another full width (3:5, 5:8).
enum class WidthKind { kProportional, kMonospaced, kDuospaced, kDualWidth };

// Which of its two widths a dual-width face that needs another value gets: the half width,
// which cell programs need, or the full width, which some builds store on purpose.
enum class DualWidth { kHalf, kFull };

// What a caller chooses of the rules.
struct WidthRules {
  DualWidth dualWidth = DualWidth::kHalf;
};

struct WidthVerdict {
  std::int32_t average = 0;  // mean advance of the glyphs whose advance is not 0, rounded
  std::optional<std::int32_t> weightedAverage;  // a-z and space, weighted; none when one lacks
  std::optional<std::int32_t> halfWidth;        // most common advance of U+0020..U+007E
  std::int32_t halfWidthCount = 0;              // how many of those 95 have it
  std::optional<std::int32_t> fullWidth;        // most common advance of the CJK code points
  std::int32_t cjkCount = 0;                    // how many CJK code points are mapped
  WidthKind kind = WidthKind::kProportional;
  std::int32_t suggested = 0;
  bool keptStored = false;  // a proportional CJK face keeps a value within its KeptRange
  bool ok = false;          // the stored value lies within 1 of the suggested one
};

struct WidthRange {
  std::int32_t lowest;
  std::int32_t highest;
};

// The values a proportional face with 1000 or more CJK characters keeps (each end within 1):
// from the lower of its averages to the highest of its averages and its full width.
WidthRange KeptRange(const WidthVerdict& measured);

// Applies the rules to one face.
WidthVerdict ApplyWidthRules(const FaceFacts& facts, const WidthRules& rules = {});

// The part of the rules that looks at the glyphs only: the averages, the widths, their counts and
// the kind, whatever the OS/2 table holds; faces with one set of metrics share it.
WidthVerdict MeasureWidths(const FaceFacts& facts);

// The rest of the rules, from what MeasureWidths found and what the OS/2 table holds: the
// suggested value, and whether the stored one is ok. A dual-width face is ok at its half width
// and at its full width, and is suggested the one that it is ok at, else the one rules choose.
WidthVerdict JudgeWidth(WidthVerdict measured, std::uint16_t os2Version, std::int16_t xAvgCharWidth,
                        const WidthRules& rules = {});
