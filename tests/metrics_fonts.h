// Fonts for the width check's tests, with every table it reads built from a plain description.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/font_builder.h"

struct MetricsFont {
  std::uint32_t sfntVersion = 0x00010000;
  std::uint16_t os2Version = 4;
  std::int16_t xAvgCharWidth = 500;
  std::uint16_t unitsPerEm = 1000;
  std::vector<std::uint16_t> advances;  // the long metrics, numberOfHMetrics of them
  std::uint16_t numGlyphs = 0;          // 0 for as many as there are advances
  Bytes cmap;                           // the whole cmap table, or empty for none
  std::vector<TableSpec> more;          // further tables, after the others
};

// The font: head, hhea, maxp, OS/2, hmtx and, when given, cmap.
Bytes BuildMetricsFont(const MetricsFont& font);

struct CmapSubtable {
  std::uint16_t platformID;
  std::uint16_t encodingID;
  Bytes data;
};

// A cmap table holding the subtables in this order.
Bytes CmapTable(const std::vector<CmapSubtable>& subtables);

// A code point range and the glyph of its first code point.
struct CmapGroup {
  std::uint32_t first;
  std::uint32_t last;
  std::uint32_t glyph;
};

// Format 0: the glyph of each of the 256 codes.
Bytes CmapFormat0(const std::vector<std::uint8_t>& glyphs);
// Format 4 from groups (consecutive glyphs, through idDelta) plus the final 0xFFFF segment.
// With glyphArray set, each segment takes its glyphs from the glyph index array instead.
Bytes CmapFormat4(const std::vector<CmapGroup>& groups, bool glyphArray = false);
// Format 6: glyphs for codes from firstCode on.
Bytes CmapFormat6(std::uint16_t firstCode, const std::vector<std::uint16_t>& glyphs);
// Format 12 (consecutive glyphs per group) or 13 (one glyph per group).
Bytes CmapFormat12(const std::vector<CmapGroup>& groups, std::uint16_t format = 12);

// A collection of the fonts. With os2SharedWithFirst, every member's OS/2 record points at the
// first member's OS/2 table. Member i is fonts[members[i]], so that members can share one
// directory; by default each font is one member.
Bytes BuildCollection(const std::vector<Bytes>& fonts, bool os2SharedWithFirst = false,
                      const std::vector<std::size_t>& members = {});

// The description of CjkFont(stored), to build on.
MetricsFont CjkMetrics(std::int16_t stored);

// A CJK font with 1:2 widths: U+0020..U+007E at 500, 1000 ideographs at 1000.
Bytes CjkFont(std::int16_t stored, std::uint32_t sfntVersion = 0x00010000);

// One record of a name table, of ASCII text: stored as UTF-16BE on platform 3, as bytes on the
// Macintosh platform (1).
struct NameEntry {
  std::uint16_t platformID;
  std::uint16_t languageID;
  std::uint16_t nameID;
  std::string text;
};

// A name table of format 0 with the records in this order.
Bytes NameTable(const std::vector<NameEntry>& entries);

// CjkFont(stored) with a name table for family: its family, style, unique, full, version and
// PostScript names in US English, its family and full names in Japanese and on the Macintosh.
Bytes NamedCjkFont(std::int16_t stored, const std::string& family);

// A proportional font whose every rule gives 980: U+0020..U+007E, 47 at 960 and 48 at 1000.
Bytes ProportionalFont(std::int16_t stored);
