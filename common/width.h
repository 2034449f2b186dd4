// The width that goes into a font's xAvgCharWidth field, and the range the command line accepts.
#pragma once

#include <cstdint>

// A signed 32-bit width; the file stores it as a 16-bit big-endian value.
using Width = std::int32_t;

// Used when the command line has no width option.
constexpr Width kDefaultWidth = 8;
// The largest width a signed 16-bit field can hold; the smallest accepted is 1.
constexpr Width kMaxWidth = 32767;
