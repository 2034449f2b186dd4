// Each step reads only what has arrived and says what it needs next: the collection's header,
// then every offset table, then every directory, then the ends of the tables they list.
#include "reader/font_extent.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "reader/font_faces.h"
#include "reader/overlaps.h"
#include "reader/read_within.h"
#include "reader/web_reading.h"
#include "sfnt/big_endian.h"
#include "sfnt/sfnt.h"

FontExtent MeasureFontExtent(FileHandle file, std::uint64_t have) {
  std::vector<unsigned char> bytes;
  const auto read = [&](std::uint64_t position, std::uint64_t count) {
    return ReadWithin(file, 0, have, position, count, &bytes);
  };
  if (!read(0, 4)) return {true, 4};
  const std::uint32_t tag = LoadBigEndian32(bytes.data());
  if (WebFlavourOf(tag) != WebFlavour::kNone) {
    // A web font's header gives its whole length.
    constexpr std::uint64_t kWebLengthEnd = 12;
    if (!read(0, kWebLengthEnd)) return {true, kWebLengthEnd};
    return {true, std::max(kWebLengthEnd, std::uint64_t{LoadBigEndian32(bytes.data() + 8)})};
  }
  if (tag != kCollectionTag && !IsFontVersion(tag)) return {false, 0};

  // The offsets of the table directories, and the end of the collection's header.
  std::vector<std::uint64_t> offsets = {0};
  std::uint64_t end = 0;
  if (tag == kCollectionTag) {
    if (!read(0, kCollectionHeaderSize)) return {true, kCollectionHeaderSize};
    const std::uint32_t version = LoadBigEndian32(bytes.data() + 4);
    const std::uint64_t numFonts = LoadBigEndian32(bytes.data() + 8);
    // The reader refuses a collection of more members before it reads any.
    if (numFonts > kMaxCollectionMembers) return {true, kCollectionHeaderSize};
    const std::uint64_t list = kCollectionHeaderSize + 4 * numFonts;
    end = version >= kCollectionVersion2 ? list + 12 : list;
    if (!read(0, end)) return {true, end};
    offsets.clear();
    for (std::uint64_t i = 0; i < numFonts; ++i) {
      offsets.push_back(LoadBigEndian32(bytes.data() + kCollectionHeaderSize + 4 * i));
    }
    if (version >= kCollectionVersion2 && LoadBigEndian32(bytes.data() + list) == kDsigTag) {
      end = std::max(end, std::uint64_t{LoadBigEndian32(bytes.data() + list + 8)} +
                              LoadBigEndian32(bytes.data() + list + 4));
    }
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
  }

  // Every offset table, then the span of every directory.
  std::uint64_t needed = end;
  for (const std::uint64_t offset : offsets) needed = std::max(needed, offset + kOffsetTableSize);
  if (needed > have) return {true, needed};
  std::vector<OwnedSpan> directories;
  for (std::size_t d = 0; d < offsets.size(); ++d) {
    read(offsets[d], kOffsetTableSize);
    const std::uint64_t records = LoadBigEndian16(bytes.data() + 4);
    directories.push_back(
        {{offsets[d], offsets[d] + kOffsetTableSize + records * kTableRecordSize}, d});
    needed = std::max(needed, directories.back().span.end);
  }
  if (needed > have) return {true, needed};

  // The tables that the directories which do not overlap list.
  const std::vector<bool> overlapping = OwnersOverlapping(directories, offsets.size());
  for (std::size_t d = 0; d < offsets.size(); ++d) {
    if (overlapping[d]) continue;
    const ByteSpan& span = directories[d].span;
    read(span.first, span.end - span.first);
    for (std::uint64_t at = kOffsetTableSize; at < bytes.size(); at += kTableRecordSize) {
      const unsigned char* record = bytes.data() + at;
      const std::uint64_t tableEnd = std::uint64_t{LoadBigEndian32(record + kOffsetInRecord)} +
                                     LoadBigEndian32(record + kOffsetInRecord + 4);
      // A table that the reader needs whole must arrive. Of any other, which the reader reads
      // at most a field of, an end that no file the reader takes can reach is a damaged record:
      // it must not make the stream be read further than from a file the reader would read.
      const std::string tableTag(reinterpret_cast<const char*>(record), kTagSize);
      if (TableReadWhole(tableTag) || tableEnd <= kMaxFontBytes)
        needed = std::max(needed, tableEnd);
    }
  }
  return {true, needed};
}
