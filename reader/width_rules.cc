// The rules behind the suggested width. The OpenType definition of xAvgCharWidth is the average
// advance of all non-zero-width glyphs from OS/2 version 3 on, and a weighted average of a-z and
// the space before it. Windows (GDI) sizes a text cell from the field, so a fixed-pitch font, or
// a CJK font whose full-width glyphs are twice its half-width ones, needs the half-width advance.
// A CJK font whose ASCII is monospaced but whose full width is another multiple of it (3:5
// builds) is built either way: at the half width, which cells need, or at the full width, which
// such builds' authors often store; either is kept, and a stale value gets the half width.
// For a proportional font with many CJK characters the two averages differ about twofold and no
// program is known to need one over the other, nor over the full width that fonts with 3:5
// widths store on purpose, so such a font keeps a value anywhere between them.
#include "reader/width_rules.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The OpenType weights of a-z (per thousand of text); the space weighs the rest.
constexpr std::int32_t kLetterWeights[26] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3,  6, 35, 20,
                                             56, 56, 17, 4,  49,  56, 71, 31, 10, 18, 3, 18, 2};
constexpr std::int32_t kSpaceWeight = 166;

constexpr std::int32_t kMinHalfWidthCount = 90;
constexpr std::int32_t kMinCjkCount = 1000;
constexpr std::int32_t kDuospacedTolerance = 2;
constexpr std::int32_t kOkTolerance = 1;
constexpr std::uint16_t kLastWeightedVersion = 2;

struct Mode {
  std::optional<std::int32_t> advance;
  std::int32_t count = 0;  // how many have that advance
  std::int32_t total = 0;  // how many were counted
};

// The most common advance among the mapped code points with indexes first..last; a tie goes to
// the smaller advance. Counting into a table of every 16-bit advance keeps this linear in the
// mapped code points. The table lives for the whole process, as its untouched pages cost
// nothing, and each call leaves it zeroed again; the program has one thread.
Mode MostCommonAdvance(const FaceFacts& facts, std::int32_t first, std::int32_t last) {
  static std::int32_t counts[65536];
  std::vector<std::uint16_t> counted;  // each advance met, once
  Mode mode;
  const auto count = [&](std::int32_t i) {
    const std::uint16_t glyph = facts.glyphs.byIndex[static_cast<std::size_t>(i)];
    if (glyph == 0) return;
    const std::uint16_t advance = facts.advances[glyph];
    if (counts[advance]++ == 0) counted.push_back(advance);
    ++mode.total;
  };
  // Whichever is shorter: the range itself, or the list of what the face maps.
  const std::vector<std::int32_t>& mapped = facts.glyphs.mapped;
  if (static_cast<std::size_t>(last - first) < mapped.size()) {
    for (std::int32_t i = first; i <= last; ++i) count(i);
  } else {
    for (const std::int32_t i : mapped) {
      if (i >= first && i <= last) count(i);
    }
  }
  for (const std::uint16_t advance : counted) {
    const std::int32_t times = counts[advance];
    if (times > mode.count || (times == mode.count && advance < *mode.advance)) {
      mode.advance = advance;
      mode.count = times;
    }
    counts[advance] = 0;
  }
  return mode;
}

std::int32_t Average(const FaceFacts& facts) {
  std::int64_t sum = 0;
  std::int64_t count = 0;
  for (const std::uint16_t advance : facts.advances) {
    if (advance == 0) continue;
    sum += advance;
    ++count;
  }
  // Rounded half up, in integers.
  return count == 0 ? 0 : static_cast<std::int32_t>((2 * sum + count) / (2 * count));
}

std::optional<std::int32_t> WeightedAverage(const FaceFacts& facts) {
  std::int64_t sum = 0;
  for (std::uint32_t c = 0; c <= 26; ++c) {
    const std::uint32_t codePoint = c < 26 ? 'a' + c : ' ';
    const std::uint16_t glyph =
        facts.glyphs.byIndex[static_cast<std::size_t>(CodePointIndex(codePoint))];
    if (glyph == 0) return std::nullopt;
    sum += std::int64_t{facts.advances[glyph]} * (c < 26 ? kLetterWeights[c] : kSpaceWeight);
  }
  return static_cast<std::int32_t>((sum + 500) / 1000);
}

}  // namespace

CodePointGlyphs NoGlyphs() {
  const auto count = static_cast<std::size_t>(CodePointIndexCount());
  CodePointGlyphs glyphs{std::vector<std::uint16_t>(count, 0), {}};
  // Room for every index at once, so that a large map never moves it.
  glyphs.mapped.reserve(count);
  return glyphs;
}

std::int32_t CodePointIndex(std::uint32_t codePoint) {
  std::int32_t base = 0;
  for (const CodePointRange& range : kRuleRanges) {
    if (codePoint >= range.first && codePoint <= range.last) {
      return base + static_cast<std::int32_t>(codePoint - range.first);
    }
    base += static_cast<std::int32_t>(range.last - range.first + 1);
  }
  return -1;
}

std::int32_t CodePointIndexCount() {
  std::int32_t count = 0;
  for (const CodePointRange& range : kRuleRanges) {
    count += static_cast<std::int32_t>(range.last - range.first + 1);
  }
  return count;
}

WidthVerdict MeasureWidths(const FaceFacts& facts) {
  WidthVerdict verdict;
  verdict.average = Average(facts);
  verdict.weightedAverage = WeightedAverage(facts);
  const Mode half = MostCommonAdvance(facts, 0, kAsciiCount - 1);
  verdict.halfWidth = half.advance;
  verdict.halfWidthCount = half.count;
  const Mode full = MostCommonAdvance(facts, kAsciiCount, CodePointIndexCount() - 1);
  verdict.fullWidth = full.advance;
  verdict.cjkCount = full.total;

  if (verdict.halfWidthCount >= kMinHalfWidthCount) {
    if (verdict.cjkCount < kMinCjkCount) {
      verdict.kind = WidthKind::kMonospaced;
    } else if (std::abs(2 * *verdict.halfWidth - *verdict.fullWidth) <= kDuospacedTolerance) {
      verdict.kind = WidthKind::kDuospaced;
    } else {
      verdict.kind = WidthKind::kDualWidth;
    }
  }
  return verdict;
}

WidthVerdict JudgeWidth(WidthVerdict verdict, std::uint16_t os2Version, std::int16_t xAvgCharWidth,
                        const WidthRules& rules) {
  const auto within = [&](std::int32_t value) {
    return std::abs(xAvgCharWidth - value) <= kOkTolerance;
  };
  verdict.keptStored = false;
  if (verdict.kind == WidthKind::kDualWidth) {
    const std::int32_t half = *verdict.halfWidth;
    const std::int32_t full = *verdict.fullWidth;
    verdict.suggested = within(half)                          ? half
                        : within(full)                        ? full
                        : rules.dualWidth == DualWidth::kFull ? full
                                                              : half;
  } else if (verdict.kind != WidthKind::kProportional) {
    verdict.suggested = *verdict.halfWidth;
  } else if (const WidthRange kept = KeptRange(verdict);
             verdict.cjkCount >= kMinCjkCount && xAvgCharWidth >= kept.lowest - kOkTolerance &&
             xAvgCharWidth <= kept.highest + kOkTolerance) {
    verdict.suggested = xAvgCharWidth;
    verdict.keptStored = true;
  } else if (os2Version <= kLastWeightedVersion && verdict.weightedAverage) {
    verdict.suggested = *verdict.weightedAverage;
  } else {
    verdict.suggested = verdict.average;
  }
  verdict.ok = within(verdict.suggested);
  return verdict;
}

WidthRange KeptRange(const WidthVerdict& measured) {
  WidthRange range{measured.average, measured.average};
  if (measured.weightedAverage) {
    range.lowest = std::min(range.lowest, *measured.weightedAverage);
    range.highest = std::max(range.highest, *measured.weightedAverage);
  }
  if (measured.fullWidth) range.highest = std::max(range.highest, *measured.fullWidth);
  return range;
}

WidthVerdict ApplyWidthRules(const FaceFacts& facts, const WidthRules& rules) {
  return JudgeWidth(MeasureWidths(facts), facts.os2Version, facts.xAvgCharWidth, rules);
}
