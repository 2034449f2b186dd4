// The OpenType checksums: of a table, and the change that rewritten bytes make to a file's sum.
#pragma once

#include <cstddef>
#include <cstdint>

// The sum of the table's bytes read as 32-bit words, high byte first, its end padded with zeros.
std::uint32_t TableChecksum(const unsigned char* bytes, std::size_t length);

// How much the sum of the whole file's 32-bit words changes when the count bytes at position
// (in the file) change from before to after.
std::uint32_t FileSumChange(std::uint64_t position, const unsigned char* before,
                            const unsigned char* after, std::size_t count);
