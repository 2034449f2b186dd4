// The one bounds check that every read of the width check's reader goes through.
#include "reader/read_within.h"

bool ReadWithin(FileHandle file, std::uint64_t start, std::uint64_t length, std::uint64_t position,
                std::uint64_t count, std::vector<unsigned char>* bytes) {
  if (position > length || count > length - position) return false;
  bytes->resize(static_cast<std::size_t>(count));
  return count == 0 || FileReadAt(file, start + position, bytes->data(), bytes->size());
}
