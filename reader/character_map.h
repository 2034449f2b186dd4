// Reads from a face's cmap table the glyph of each code point that the width rules look at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/file.h"
#include "reader/width_rules.h"
#include "reader/work_budget.h"

// Where the cmap table lies in an open file; the table was checked to fit the file.
struct CharacterMapSource {
  FileHandle file;
  std::uint64_t offset;
  std::uint64_t length;
};

// Chooses the Unicode subtable by (platformID, encodingID) in the order (3,10), (0,6), (0,4),
// (3,1), (0,3), (0,2), (0,1), (0,0), the first subtable of the first pair present, and stores the
// glyph of every code point it maps into glyphs with MapIndex. Mappings to glyph 0 or past
// numGlyphs, and a format 4 subtable's last segment, are ignored; a subtable of another format
// than 0, 4, 6, 12 or 13 maps nothing. Segments and groups must come in order, each after the
// last, and groups end by U+10FFFF; none past the rules' last code point is read. Each segment,
// group and code point visited costs a step of the budget. Returns why the table cannot be read,
// or "" when it could.
std::string ReadCharacterMap(const CharacterMapSource& cmap, std::uint16_t numGlyphs,
                             CodePointGlyphs* glyphs, WorkBudget* budget);
