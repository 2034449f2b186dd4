// The two compressions that web fonts use, from the system's zlib and Brotli libraries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Decompresses the zlib stream of length bytes at data into out, which must come to exactly size
// bytes; false when the stream is damaged, ends early, holds more or has bytes after its end.
bool Inflate(const unsigned char* data, std::size_t length, std::size_t size,
             std::vector<unsigned char>* out);

// The bytes compressed as a zlib stream at the highest level, as WOFF encoders store them.
std::vector<unsigned char> Deflate(const std::vector<unsigned char>& bytes);

// A part of a decoded stream that is wanted: from offset, length bytes, into bytes.
struct StreamPart {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  std::vector<unsigned char> bytes;
};

// Decodes the Brotli stream of length bytes at data, which must decode to exactly size bytes,
// keeping only the parts asked for (in order, apart): the memory taken is theirs and a fixed
// window, whatever the stream decodes to. False when the stream is damaged or decodes to
// another length.
bool BrotliDecodeParts(const unsigned char* data, std::size_t length, std::uint64_t size,
                       std::vector<StreamPart>* parts);

// The bytes compressed as a Brotli stream for fonts at the highest quality, as WOFF2 encoders
// store them; empty when the library fails.
std::vector<unsigned char> BrotliEncodeFont(const std::vector<unsigned char>& bytes);
