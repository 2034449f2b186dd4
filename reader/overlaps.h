// Which of a collection's spans of bytes overlap each other: members' table directories never
// do, and their tables are either one table (the same bytes) or apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "reader/font_faces.h"

// A span of bytes that belongs to one owner (a table directory, by its number).
struct OwnedSpan {
  ByteSpan span;
  std::size_t owner;
};

// For each owner below owners, true when one of its spans shares a byte with a span of another
// owner that is not the very same span (the same first and end). Spans of one owner may overlap
// each other. Empty spans overlap nothing. Takes n log n steps for n spans.
std::vector<bool> OwnersOverlapping(std::vector<OwnedSpan> spans, std::size_t owners);
