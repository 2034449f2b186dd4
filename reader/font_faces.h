// Reads, without changing anything, what the width rules need from each face of a font file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "reader/width_rules.h"

// One face: a whole font file, or one member of a collection.
struct FaceSummary {
  std::optional<std::uint32_t> index;  // the member's number in a collection
  std::string error;                   // why the face cannot be read; empty when it was
  std::uint32_t sfntVersion = 0;
  std::uint16_t os2Version = 0;
  std::uint16_t unitsPerEm = 0;
  std::int16_t xAvgCharWidth = 0;
  std::uint32_t os2Offset = 0;  // where its OS/2 table starts; members may share one
  WidthVerdict verdict;
};

struct FontFaces {
  std::string error;  // why the file cannot be read at all; empty when faces were found
  std::vector<FaceSummary> faces;
};

// Opens the file for reading only and reads every face of it: a TrueType or CFF font, or each
// member of a collection. Reads only the bytes it needs, each checked against the file's length.
FontFaces ReadFontFaces(const char* path);
