// The cmap formats that map Unicode code points to glyphs, each read by a function of its own.
// Only the code points of the rules' ranges are visited. A real subtable lists its segments and
// groups in order, each after the last, so that a code point is visited at most once and no group
// past the rules' last code point needs reading: a subtable that does otherwise is refused, which
// bounds the work by the rules' code points whatever lengths and counts the subtable declares.
#include "reader/character_map.h"

#include <algorithm>
#include <iterator>

#include "reader/read_within.h"
#include "reader/width_rules.h"
#include "sfnt/big_endian.h"

namespace {

constexpr std::uint64_t kHeaderSize = 4;  // version, numTables
constexpr std::uint64_t kEncodingRecordSize = 8;
constexpr std::uint64_t kFormat0Size = 6 + 256;
constexpr std::uint64_t kFormat4HeaderSize = 14;
constexpr std::uint64_t kFormat6HeaderSize = 10;
constexpr std::uint64_t kFormat12HeaderSize = 16;
constexpr std::uint64_t kGroupSize = 12;
constexpr std::uint64_t kGroupsPerRead = 4096;

struct EncodingPair {
  std::uint16_t platformID;
  std::uint16_t encodingID;
};

constexpr EncodingPair kPreferredPairs[] = {{3, 10}, {0, 6}, {0, 4}, {3, 1},
                                            {0, 3},  {0, 2}, {0, 1}, {0, 0}};

constexpr std::uint32_t kLastRuleCodePoint = std::end(kRuleRanges)[-1].last;
constexpr std::uint32_t kLastCodePoint = 0x10FFFF;

constexpr char kTooShort[] = "the 'cmap' table is too short";
constexpr char kSegmentsOutOfOrder[] =
    "the format 4 character map's segments are not in order, each after the last";
constexpr char kGroupsOutOfOrder[] =
    "the character map's groups are not in order, each after the last and ending by U+10FFFF";

// Where the chosen subtable lies, what it may use, and where its mappings go.
struct Walk {
  const CharacterMapSource& cmap;
  std::uint64_t start;      // of the subtable, within the cmap table
  std::uint64_t available;  // bytes from start to the end of the cmap table
  std::uint16_t numGlyphs;
  CodePointGlyphs* glyphs;
  WorkBudget* budget;
};

bool Read(const Walk& walk, std::uint64_t position, std::uint64_t count,
          std::vector<unsigned char>* bytes) {
  return ReadWithin(walk.cmap.file, walk.cmap.offset + walk.start, walk.available, position, count,
                    bytes);
}

// Calls glyphOf for each code point of first..last that the rules look at, and stores the glyph
// it returns unless that is 0 or past the last glyph; false when the budget runs out or glyphOf
// fails.
template <typename GlyphOf>
bool MapRange(Walk& walk, std::uint32_t first, std::uint32_t last, GlyphOf glyphOf) {
  std::uint32_t base = 0;  // the index of the range's first code point
  for (const CodePointRange& range : kRuleRanges) {
    if (range.first > last) break;  // the ranges ascend
    if (range.last >= first) {
      const std::uint32_t from = std::max(first, range.first);
      const std::uint32_t to = std::min(last, range.last);
      if (!Spend(walk.budget, to - from + 1)) return false;
      auto index = static_cast<std::int32_t>(base + (from - range.first));
      for (std::uint32_t c = from;; ++c, ++index) {
        std::uint64_t glyph = 0;
        if (!glyphOf(c, &glyph)) return false;
        if (glyph != 0 && glyph < walk.numGlyphs) {
          MapIndex(index, static_cast<std::uint16_t>(glyph), walk.glyphs);
        }
        if (c == to) break;
      }
    }
    base += range.last - range.first + 1;
  }
  return true;
}

std::string ReadFormat0(Walk& walk) {
  std::vector<unsigned char> bytes;
  if (!Read(walk, 0, kFormat0Size, &bytes)) return "the format 0 character map is too short";
  const bool mapped = MapRange(walk, 0, 255, [&](std::uint32_t c, std::uint64_t* glyph) {
    *glyph = bytes[6 + c];
    return true;
  });
  return mapped ? "" : kTooMuchWork;
}

std::string ReadFormat4(Walk& walk) {
  std::vector<unsigned char> bytes;
  if (!Read(walk, 0, kFormat4HeaderSize, &bytes)) return "the format 4 character map is too short";
  // The subtable spans its own 16-bit length; the glyph index array ends there.
  const std::uint64_t length = std::min<std::uint64_t>(LoadBigEndian16(&bytes[2]), walk.available);
  const std::uint64_t segCount = LoadBigEndian16(&bytes[6]) / 2;
  const std::uint64_t arrays = kFormat4HeaderSize + 2 + 8 * segCount;
  if (length < arrays || !Read(walk, 0, length, &bytes)) {
    return "the format 4 character map is too short for its segments";
  }
  const auto at = [&](std::uint64_t position) { return LoadBigEndian16(&bytes[position]); };
  const std::uint64_t endCodes = kFormat4HeaderSize;
  const std::uint64_t startCodes = endCodes + 2 * segCount + 2;
  const std::uint64_t idDeltas = startCodes + 2 * segCount;
  const std::uint64_t idRangeOffsets = idDeltas + 2 * segCount;
  const std::int64_t glyphIdCount = static_cast<std::int64_t>((length - arrays) / 2);
  if (!Spend(walk.budget, segCount)) return kTooMuchWork;
  bool indexFits = true;
  std::int64_t lastEnd = -1;
  // The last segment, which the format requires to map 0xFFFF, is not read.
  for (std::uint64_t i = 0; i + 1 < segCount; ++i) {
    const std::uint16_t start = at(startCodes + 2 * i);
    const std::uint16_t end = at(endCodes + 2 * i);
    const std::uint16_t delta = at(idDeltas + 2 * i);
    const std::uint16_t rangeOffset = at(idRangeOffsets + 2 * i);
    if (start > end) continue;
    if (start <= lastEnd) return kSegmentsOutOfOrder;
    lastEnd = end;
    const bool mapped = MapRange(walk, start, end, [&](std::uint32_t c, std::uint64_t* glyph) {
      if (rangeOffset == 0) {
        *glyph = (c + delta) & 0xFFFF;
        return true;
      }
      // The offset counts bytes from this segment's idRangeOffset entry to the glyph's entry.
      const std::int64_t index = rangeOffset / 2 + std::int64_t{c} - start +
                                 static_cast<std::int64_t>(i) - static_cast<std::int64_t>(segCount);
      if (index < 0 || index >= glyphIdCount) return indexFits = false;
      const std::uint16_t entry = at(arrays + 2 * static_cast<std::uint64_t>(index));
      *glyph = entry == 0 ? 0 : (entry + delta) & 0xFFFF;
      return true;
    });
    if (!indexFits) return "a format 4 segment points past the glyph index array";
    if (!mapped) return kTooMuchWork;
  }
  return "";
}

std::string ReadFormat6(Walk& walk) {
  std::vector<unsigned char> bytes;
  if (!Read(walk, 0, kFormat6HeaderSize, &bytes)) return "the format 6 character map is too short";
  const std::uint16_t firstCode = LoadBigEndian16(&bytes[6]);
  const std::uint64_t entryCount = LoadBigEndian16(&bytes[8]);
  if (entryCount == 0) return "";
  if (!Read(walk, kFormat6HeaderSize, 2 * entryCount, &bytes)) {
    return "the format 6 character map is too short for its entries";
  }
  const std::uint32_t last = firstCode + static_cast<std::uint32_t>(entryCount) - 1;
  const bool mapped = MapRange(walk, firstCode, last, [&](std::uint32_t c, std::uint64_t* glyph) {
    *glyph = LoadBigEndian16(&bytes[2 * (c - firstCode)]);
    return true;
  });
  return mapped ? "" : kTooMuchWork;
}

// Format 12 maps each group's code points to consecutive glyphs, format 13 all to one glyph.
std::string ReadGroups(Walk& walk, bool consecutive) {
  std::vector<unsigned char> bytes;
  if (!Read(walk, 0, kFormat12HeaderSize, &bytes)) return "the character map's header is cut";
  const std::uint64_t numGroups = LoadBigEndian32(&bytes[12]);
  if (numGroups > (walk.available - kFormat12HeaderSize) / kGroupSize) {
    return "the character map's groups run past the end of the 'cmap' table";
  }
  std::int64_t lastEnd = -1;
  for (std::uint64_t first = 0; first < numGroups; first += kGroupsPerRead) {
    const std::uint64_t count = std::min(kGroupsPerRead, numGroups - first);
    if (!Spend(walk.budget, count)) return kTooMuchWork;
    if (!Read(walk, kFormat12HeaderSize + first * kGroupSize, count * kGroupSize, &bytes)) {
      return "the character map's groups cannot be read";
    }
    for (std::uint64_t g = 0; g < count; ++g) {
      const unsigned char* group = &bytes[g * kGroupSize];
      const std::uint32_t startCode = LoadBigEndian32(group);
      const std::uint32_t endCode = LoadBigEndian32(group + 4);
      const std::uint64_t startGlyph = LoadBigEndian32(group + 8);
      if (startCode <= lastEnd || startCode > endCode || endCode > kLastCodePoint) {
        return kGroupsOutOfOrder;
      }
      // Every later group lies past the rules' code points too.
      if (startCode > kLastRuleCodePoint) return "";
      lastEnd = endCode;
      const bool mapped =
          MapRange(walk, startCode, endCode, [&](std::uint32_t c, std::uint64_t* glyph) {
            *glyph = consecutive ? startGlyph + (c - startCode) : startGlyph;
            return true;
          });
      if (!mapped) return kTooMuchWork;
    }
  }
  return "";
}

}  // namespace

std::string ReadCharacterMap(const CharacterMapSource& cmap, std::uint16_t numGlyphs,
                             CodePointGlyphs* glyphs, WorkBudget* budget) {
  Walk walk{cmap, 0, cmap.length, numGlyphs, glyphs, budget};
  std::vector<unsigned char> bytes;
  if (!Read(walk, 0, kHeaderSize, &bytes)) return kTooShort;
  const std::uint64_t numTables = LoadBigEndian16(&bytes[2]);
  if (!Spend(budget, numTables)) return kTooMuchWork;
  if (!Read(walk, kHeaderSize, kEncodingRecordSize * numTables, &bytes)) return kTooShort;
  const unsigned char* chosen = nullptr;
  for (const EncodingPair& pair : kPreferredPairs) {
    for (std::uint64_t i = 0; i < numTables && chosen == nullptr; ++i) {
      const unsigned char* record = &bytes[kEncodingRecordSize * i];
      if (LoadBigEndian16(record) == pair.platformID &&
          LoadBigEndian16(record + 2) == pair.encodingID) {
        chosen = record;
      }
    }
    if (chosen != nullptr) break;
  }
  if (chosen == nullptr) return "";
  walk.start = LoadBigEndian32(chosen + 4);
  if (walk.start >= cmap.length) return "the chosen character map lies outside the 'cmap' table";
  walk.available = cmap.length - walk.start;
  if (!Read(walk, 0, 2, &bytes)) return "the chosen character map is cut";
  switch (LoadBigEndian16(bytes.data())) {
    case 0:
      return ReadFormat0(walk);
    case 4:
      return ReadFormat4(walk);
    case 6:
      return ReadFormat6(walk);
    case 12:
      return ReadGroups(walk, true);
    case 13:
      return ReadGroups(walk, false);
    default:
      return "";
  }
}
