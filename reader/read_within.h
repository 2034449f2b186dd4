// Reads of untrusted fonts: every read bounded by the span that must hold it.
#pragma once

#include <cstdint>
#include <vector>

#include "common/file.h"

// Reads into bytes the count bytes at position of the span of length bytes that starts at start
// in the file. False when they do not lie wholly inside the span (compared by subtraction, never
// by a sum that could wrap), or when the read fails.
bool ReadWithin(FileHandle file, std::uint64_t start, std::uint64_t length, std::uint64_t position,
                std::uint64_t count, std::vector<unsigned char>* bytes);
