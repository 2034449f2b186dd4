// The tests' own TrueType writer and reader, written from the file format and not from the
// program's constants, so that a wrong constant in the program shows as a failing test.
#include "tests/font_builder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::uint32_t TableChecksum(const Bytes& data) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < data.size(); i += 4) {
    std::uint32_t word = 0;
    for (std::size_t j = 0; j < 4; ++j) {
      word = word << 8 | (i + j < data.size() ? data[i + j] : 0u);
    }
    sum += word;
  }
  return sum;
}

Bytes Filler(std::size_t size, unsigned char seed) {
  Bytes data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<unsigned char>(seed + 7 * i);
  return data;
}

}  // namespace

void PutBigEndian16(Bytes& bytes, std::size_t position, std::uint16_t value) {
  bytes.at(position) = static_cast<unsigned char>(value >> 8);
  bytes.at(position + 1) = static_cast<unsigned char>(value);
}

void PutBigEndian32(Bytes& bytes, std::size_t position, std::uint32_t value) {
  PutBigEndian16(bytes, position, static_cast<std::uint16_t>(value >> 16));
  PutBigEndian16(bytes, position + 2, static_cast<std::uint16_t>(value));
}

std::uint32_t GetBigEndian32(const Bytes& bytes, std::size_t position) {
  return std::uint32_t{bytes.at(position)} << 24 | std::uint32_t{bytes.at(position + 1)} << 16 |
         std::uint32_t{bytes.at(position + 2)} << 8 | bytes.at(position + 3);
}

Bytes BuildFont(const std::vector<TableSpec>& tables, std::uint32_t sfntVersion) {
  const std::size_t count = tables.size();
  Bytes font(12 + 16 * count);
  PutBigEndian32(font, 0, sfntVersion);
  PutBigEndian16(font, 4, static_cast<std::uint16_t>(count));
  std::uint16_t entrySelector = 0;
  while (count >> (entrySelector + 1) != 0) ++entrySelector;
  const auto searchRange = static_cast<std::uint16_t>(16u << entrySelector);
  PutBigEndian16(font, 6, searchRange);
  PutBigEndian16(font, 8, entrySelector);
  PutBigEndian16(font, 10, static_cast<std::uint16_t>(16 * count - searchRange));
  for (std::size_t i = 0; i < count; ++i) {
    const TableSpec& table = tables[i];
    const std::size_t record = 12 + 16 * i;
    std::copy_n(table.tag.begin(), 4, font.begin() + static_cast<std::ptrdiff_t>(record));
    PutBigEndian32(font, record + 4, TableChecksum(table.data));
    PutBigEndian32(font, record + 8, static_cast<std::uint32_t>(font.size()));
    PutBigEndian32(font, record + 12, static_cast<std::uint32_t>(table.data.size()));
    font.insert(font.end(), table.data.begin(), table.data.end());
    font.resize((font.size() + 3) / 4 * 4);
  }
  return font;
}

Bytes Os2Table(std::int16_t xAvgCharWidth) {
  Bytes os2 = Filler(96, 0x31);
  PutBigEndian16(os2, 0, 4);
  PutBigEndian16(os2, 2, static_cast<std::uint16_t>(xAvgCharWidth));
  return os2;
}

Bytes SampleFont(std::int16_t xAvgCharWidth) {
  return BuildFont({{"head", Filler(54, 0x11)},
                    {"hhea", Filler(36, 0x21)},
                    {"OS/2", Os2Table(xAvgCharWidth)},
                    {"name", Filler(27, 0x41)}});
}

Bytes SampleFontWithOs2At(std::uint32_t offset) {
  Bytes font = SampleFont();
  // OS/2 is the third record; its offset field is 8 bytes into the record.
  PutBigEndian32(font, 12 + 16 * 2 + 8, offset);
  return font;
}

Bytes WithNumTables(Bytes font, std::uint16_t numTables) {
  PutBigEndian16(font, 4, numTables);
  return font;
}

std::vector<TableRecord> ReadTableDirectory(const Bytes& font) {
  std::vector<TableRecord> records;
  if (font.size() < 12) return records;
  const std::size_t count = std::size_t{font[4]} << 8 | font[5];
  for (std::size_t i = 0; i < count && 12 + 16 * (i + 1) <= font.size(); ++i) {
    const std::size_t record = 12 + 16 * i;
    records.push_back({std::string(font.begin() + static_cast<std::ptrdiff_t>(record),
                                   font.begin() + static_cast<std::ptrdiff_t>(record + 4)),
                       GetBigEndian32(font, record + 4), GetBigEndian32(font, record + 8),
                       GetBigEndian32(font, record + 12)});
  }
  return records;
}

std::uint32_t TableOffset(const Bytes& font, const std::string& tag) {
  for (const TableRecord& record : ReadTableDirectory(font)) {
    if (record.tag == tag) return record.offset;
  }
  ADD_FAILURE() << "no " << tag << " table";
  return 0;
}

std::vector<std::size_t> DifferingPositions(const Bytes& before, const Bytes& after) {
  std::vector<std::size_t> positions;
  const std::size_t longest = std::max(before.size(), after.size());
  for (std::size_t i = 0; i < longest; ++i) {
    if (i >= before.size() || i >= after.size() || before[i] != after[i]) positions.push_back(i);
  }
  return positions;
}
