// The fixed copy of a font that is installed for the user: the faces that need another width,
// each fixed as --fix fixes it, under a family name of their own, as a new font file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/file.h"
#include "reader/font_faces.h"

using FileBytes = std::vector<unsigned char>;

// One face of the copy.
struct CopiedFace {
  std::size_t face = 0;                // its place among the faces the reader found
  std::optional<std::uint32_t> index;  // its member's number in the font it was copied from
  std::int32_t written = 0;            // the width it holds
  std::string family;                  // its new family, as programs show it
  std::string style;
};

struct FixedCopy {
  std::string error;      // why no copy can be made; empty when it was, or when none is needed
  FileBytes bytes;        // the new font file; empty when no face needs another width
  std::string extension;  // ".ttf", ".otf" or ".ttc"
  std::vector<CopiedFace> faces;
};

// Why a face that needs another width is left out of its font's copy, "" when it is not: a copy
// holds only the faces whose text cells come out wrong (see WrongCellsOf), as a copy is for the
// programs that lay text out in cells.
std::string NotCopied(const FaceSummary& face);

// The copy of the font in the open file of size bytes, from font, the reader's one reading of
// it: only the faces that need another width (a collection's others are left out, and so is a
// face for which NotCopied says why), each with that width in its OS/2 table and renamed (see
// RenamedForCopy, with tag), with family, when not empty, as its whole family; a single font
// when one face is copied, else a collection of them. The tables are read from the records that
// reading found, only those the copied faces list, and the copy is refused once they would come
// to more than twice the bytes the file holds on its disk, so that its work and memory grow with
// those bytes. Tables that the faces share are stored once; a digital signature (DSIG), which no
// longer matches, is left out. Every table record gets its checksum, and a single font its
// checkSumAdjustment. A CFF font keeps its PostScript name, which its CFF table holds too.
// Refuses family for more than one face, and a font that changed since it was read.
FixedCopy MakeFixedCopy(FileHandle file, std::uint64_t size, const FontFaces& font,
                        const std::string& family, const std::string& tag);
