// How many bytes a font needs, from the bytes of it that have arrived: what a font that comes as
// a stream must be taken in up to, and no further.
#pragma once

#include <cstdint>

#include "common/file.h"

// Offsets reach no further than 4 GiB.
constexpr std::uint64_t kMaxFontBytes = std::uint64_t{1} << 32;

struct FontExtent {
  bool font = true;  // false when its first bytes are no font's: no more of it need be read
  // The bytes the font needs for what the first ones tell: more than those there when more must
  // come before it can tell the rest, else the end of the last byte that its headers, table
  // directories and tables take.
  std::uint64_t needed = 0;
};

// The extent of the font whose first have bytes the file holds. Reads the collection's header,
// the offset tables and the table directories, each only once it has arrived; a directory that
// overlaps another is not read, since the reader refuses it. A web font reaches as far as its
// header's length. A table that the reader does not need whole counts only where it ends within
// kMaxFontBytes, so that the stream is taken in as far as the file that gives the same verdict.
FontExtent MeasureFontExtent(FileHandle file, std::uint64_t have);
