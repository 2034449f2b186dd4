// The fixed copy of a font that is installed for the user: the faces that need another width,
// each fixed as --fix fixes it, under a family name of their own, as a new font file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "reader/font_faces.h"

using FileBytes = std::vector<unsigned char>;

// One face of the copy.
struct CopiedFace {
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

// The copy of the font whose file holds bytes and whose faces the reader found: only the faces
// that need another width (a collection's others are left out), each with that width in its
// OS/2 table and renamed (see RenamedForCopy), with family, when not empty, as its whole family;
// a single font when one face is copied, else a collection of them. Tables that the faces share
// are stored once; a digital signature (DSIG), which no longer matches, is left out. Every table
// record gets its checksum, and a single font its checkSumAdjustment. A CFF font keeps the names
// inside its CFF table, which programs do not select it by. Refuses family for more than one face.
FixedCopy MakeFixedCopy(const FileBytes& bytes, const FontFaces& font, const std::string& family);
