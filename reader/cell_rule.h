// Whether a face gives text cells of the wrong width in the programs that lay text out in cells.
// GDI sizes a cell from xAvgCharWidth scaled to the pixel size and rounded to whole pixels, so a
// value a few units off often draws the same cells as the right one; only a face whose cells
// differ by a pixel or more at a size people read text in is worth a fixed copy.
#pragma once

#include <cstdint>
#include <optional>

#include "reader/font_faces.h"

// The pixel sizes (of the em) looked at: those terminals and editors are used at.
constexpr std::int32_t kFirstCellPixels = 12;
constexpr std::int32_t kLastCellPixels = 32;

// Where a face's cells come out wrong: at a pixel size, the cell and its characters, in pixels.
struct WrongCells {
  std::int32_t pixels = 0;
  std::int32_t cell = 0;
  std::int32_t characters = 0;
};

// A length in font units at a pixel size, rounded to whole pixels as GDI rounds it.
std::int32_t PixelsOf(std::int32_t units, std::int32_t pixels, std::uint16_t unitsPerEm);

// For a readable face that programs lay out in cells (a fixed-pitch font, or a CJK font whose
// full width is twice its half width) and whose stored value is not the half width: the first
// pixel size from kFirstCellPixels to kLastCellPixels at which its cell and its half width come
// out at different whole pixels. None for any other face, and where they agree at every size.
std::optional<WrongCells> WrongCellsOf(const FaceSummary& face);

// Whether GDI tells programs that the face is fixed pitch, so that their fixed-pitch font lists
// offer it: its PANOSE proportion says monospaced, or its 'post' table's isFixedPitch is set.
bool SeenAsFixedPitch(const FaceSummary& face);
