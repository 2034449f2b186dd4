// Word sums wrap at 32 bits by definition, so unsigned arithmetic gives them exactly.
#include "sfnt/checksum.h"

namespace {

// What one byte adds to the sum at this position: its place within its word.
std::uint32_t ByteInWord(std::uint64_t position, unsigned char byte) {
  return std::uint32_t{byte} << (8 * (3 - position % 4));
}

}  // namespace

std::uint32_t TableChecksum(const unsigned char* bytes, std::size_t length) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < length; ++i) sum += ByteInWord(i, bytes[i]);
  return sum;
}

std::uint32_t FileSumChange(std::uint64_t position, const unsigned char* before,
                            const unsigned char* after, std::size_t count) {
  std::uint32_t change = 0;
  for (std::size_t i = 0; i < count; ++i) {
    change += ByteInWord(position + i, after[i]) - ByteInWord(position + i, before[i]);
  }
  return change;
}
