// Writes the tables the width check reads from their descriptions in the OpenType format.
#include "tests/metrics_fonts.h"

#include <string>

namespace {

Bytes Zeros(std::size_t size) { return Bytes(size, 0); }

void Append16(Bytes& bytes, std::uint32_t value) {
  bytes.push_back(static_cast<unsigned char>(value >> 8));
  bytes.push_back(static_cast<unsigned char>(value));
}

void Append32(Bytes& bytes, std::uint32_t value) {
  Append16(bytes, value >> 16);
  Append16(bytes, value & 0xFFFF);
}

}  // namespace

Bytes BuildMetricsFont(const MetricsFont& font) {
  const auto numberOfHMetrics = static_cast<std::uint16_t>(font.advances.size());
  const std::uint16_t numGlyphs = font.numGlyphs != 0 ? font.numGlyphs : numberOfHMetrics;
  Bytes head = Zeros(54);
  PutBigEndian16(head, 18, font.unitsPerEm);
  Bytes hhea = Zeros(36);
  PutBigEndian16(hhea, 34, numberOfHMetrics);
  Bytes maxp = Zeros(6);
  PutBigEndian32(maxp, 0, 0x00005000);
  PutBigEndian16(maxp, 4, numGlyphs);
  Bytes os2 = Os2Table(font.xAvgCharWidth);
  PutBigEndian16(os2, 0, font.os2Version);
  Bytes hmtx;
  for (const std::uint16_t advance : font.advances) Append32(hmtx, std::uint32_t{advance} << 16);
  for (std::uint16_t i = numberOfHMetrics; i < numGlyphs; ++i) Append16(hmtx, 0);
  std::vector<TableSpec> tables = {
      {"OS/2", os2}, {"head", head}, {"hhea", hhea}, {"hmtx", hmtx}, {"maxp", maxp}};
  if (!font.cmap.empty()) tables.insert(tables.begin(), {"cmap", font.cmap});
  tables.insert(tables.end(), font.more.begin(), font.more.end());
  return BuildFont(tables, font.sfntVersion);
}

Bytes CmapTable(const std::vector<CmapSubtable>& subtables) {
  Bytes cmap;
  Append16(cmap, 0);
  Append16(cmap, static_cast<std::uint32_t>(subtables.size()));
  std::uint32_t offset = 4 + 8 * static_cast<std::uint32_t>(subtables.size());
  for (const CmapSubtable& subtable : subtables) {
    Append16(cmap, subtable.platformID);
    Append16(cmap, subtable.encodingID);
    Append32(cmap, offset);
    offset += static_cast<std::uint32_t>(subtable.data.size());
  }
  for (const CmapSubtable& subtable : subtables) {
    cmap.insert(cmap.end(), subtable.data.begin(), subtable.data.end());
  }
  return cmap;
}

Bytes CmapFormat0(const std::vector<std::uint8_t>& glyphs) {
  Bytes data;
  Append16(data, 0);
  Append16(data, 262);
  Append16(data, 0);
  for (std::size_t c = 0; c < 256; ++c) data.push_back(c < glyphs.size() ? glyphs[c] : 0);
  return data;
}

Bytes CmapFormat4(const std::vector<CmapGroup>& groups, bool glyphArray) {
  std::vector<CmapGroup> segments = groups;
  segments.push_back({0xFFFF, 0xFFFF, 0});
  const auto segCount = static_cast<std::uint32_t>(segments.size());
  Bytes ends, starts, deltas, rangeOffsets, glyphIds;
  for (std::uint32_t i = 0; i < segCount; ++i) {
    const CmapGroup& s = segments[i];
    Append16(ends, s.last);
    Append16(starts, s.first);
    const bool last = i + 1 == segCount;
    if (glyphArray && !last) {
      Append16(deltas, 0);
      // From this segment's idRangeOffset entry to its first glyph index.
      Append16(rangeOffsets, 2 * (segCount - i) + static_cast<std::uint32_t>(glyphIds.size()));
      for (std::uint32_t c = s.first; c <= s.last; ++c) Append16(glyphIds, s.glyph + c - s.first);
    } else {
      Append16(deltas, last ? 1 : (s.glyph - s.first) & 0xFFFF);
      Append16(rangeOffsets, 0);
    }
  }
  Bytes data;
  Append16(data, 4);
  Append16(data, 16 + 8 * segCount + static_cast<std::uint32_t>(glyphIds.size()));
  Append16(data, 0);
  Append16(data, 2 * segCount);
  Append16(data, 0);  // searchRange, entrySelector and rangeShift are not read
  Append16(data, 0);
  Append16(data, 0);
  for (const Bytes* part : {&ends, &starts}) {
    data.insert(data.end(), part->begin(), part->end());
    if (part == &ends) Append16(data, 0);  // reservedPad
  }
  for (const Bytes* part : {&deltas, &rangeOffsets, &glyphIds}) {
    data.insert(data.end(), part->begin(), part->end());
  }
  return data;
}

Bytes CmapFormat6(std::uint16_t firstCode, const std::vector<std::uint16_t>& glyphs) {
  Bytes data;
  Append16(data, 6);
  Append16(data, 10 + 2 * static_cast<std::uint32_t>(glyphs.size()));
  Append16(data, 0);
  Append16(data, firstCode);
  Append16(data, static_cast<std::uint32_t>(glyphs.size()));
  for (const std::uint16_t glyph : glyphs) Append16(data, glyph);
  return data;
}

Bytes CmapFormat12(const std::vector<CmapGroup>& groups, std::uint16_t format) {
  Bytes data;
  Append16(data, format);
  Append16(data, 0);
  Append32(data, 16 + 12 * static_cast<std::uint32_t>(groups.size()));
  Append32(data, 0);
  Append32(data, static_cast<std::uint32_t>(groups.size()));
  for (const CmapGroup& group : groups) {
    Append32(data, group.first);
    Append32(data, group.last);
    Append32(data, group.glyph);
  }
  return data;
}

Bytes BuildCollection(const std::vector<Bytes>& fonts, bool os2SharedWithFirst,
                      const std::vector<std::size_t>& members) {
  std::vector<std::size_t> order = members;
  for (std::size_t i = 0; order.size() < fonts.size() && members.empty(); ++i) order.push_back(i);
  Bytes collection;
  Append32(collection, 0x74746366);
  Append32(collection, 0x00010000);
  Append32(collection, static_cast<std::uint32_t>(order.size()));
  const std::size_t offsets = collection.size();
  collection.resize(offsets + 4 * order.size());
  std::uint32_t firstOs2 = 0;
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    const auto start = static_cast<std::uint32_t>(collection.size());
    for (std::size_t m = 0; m < order.size(); ++m) {
      if (order[m] == i) PutBigEndian32(collection, offsets + 4 * m, start);
    }
    collection.insert(collection.end(), fonts[i].begin(), fonts[i].end());
    // The member's table offsets count from the start of the collection.
    for (std::size_t r = 0; r < ReadTableDirectory(fonts[i]).size(); ++r) {
      const std::size_t record = start + 12 + 16 * r;
      const std::uint32_t offset = GetBigEndian32(collection, record + 8) + start;
      const bool os2 =
          std::string(collection.begin() + static_cast<std::ptrdiff_t>(record),
                      collection.begin() + static_cast<std::ptrdiff_t>(record) + 4) == "OS/2";
      if (os2 && i == 0) firstOs2 = offset;
      PutBigEndian32(collection, record + 8, os2 && os2SharedWithFirst ? firstOs2 : offset);
    }
  }
  return collection;
}

MetricsFont CjkMetrics(std::int16_t stored) {
  MetricsFont font;
  font.xAvgCharWidth = stored;
  font.advances = std::vector<std::uint16_t>(96, 500);
  font.advances[0] = 0;
  font.advances.resize(96 + 1000, 1000);
  font.cmap = CmapTable({{3, 10, CmapFormat12({{0x20, 0x7E, 1}, {0x4E00, 0x4E00 + 999, 96}})}});
  return font;
}

Bytes CjkFont(std::int16_t stored, std::uint32_t sfntVersion) {
  MetricsFont font = CjkMetrics(stored);
  font.sfntVersion = sfntVersion;
  return BuildMetricsFont(font);
}

Bytes ProportionalFont(std::int16_t stored) {
  MetricsFont font;
  font.xAvgCharWidth = stored;
  font.advances = std::vector<std::uint16_t>(1 + 47, 960);
  font.advances[0] = 0;
  font.advances.resize(96, 1000);
  font.cmap = CmapTable({{3, 1, CmapFormat4({{0x20, 0x7E, 1}})}});
  return BuildMetricsFont(font);
}

Bytes NameTable(const std::vector<NameEntry>& entries) {
  Bytes records;
  Bytes storage;
  for (const NameEntry& entry : entries) {
    Bytes text;
    for (const char c : entry.text) {
      if (entry.platformID != 1) text.push_back(0);  // UTF-16BE of ASCII
      text.push_back(static_cast<unsigned char>(c));
    }
    Append16(records, entry.platformID);
    Append16(records, entry.platformID == 1 ? 0 : 1);
    Append16(records, entry.languageID);
    Append16(records, entry.nameID);
    Append16(records, static_cast<std::uint32_t>(text.size()));
    Append16(records, static_cast<std::uint32_t>(storage.size()));
    storage.insert(storage.end(), text.begin(), text.end());
  }
  Bytes table;
  Append16(table, 0);
  Append16(table, static_cast<std::uint32_t>(entries.size()));
  Append16(table, static_cast<std::uint32_t>(6 + records.size()));
  table.insert(table.end(), records.begin(), records.end());
  table.insert(table.end(), storage.begin(), storage.end());
  return table;
}

Bytes NamedCjkFont(std::int16_t stored, const std::string& family) {
  MetricsFont font = CjkMetrics(stored);
  std::string postScript;
  for (const char c : family) {
    if (c != ' ') postScript += c;
  }
  font.more = {{"name", NameTable({{3, 0x409, 1, family},
                                   {3, 0x409, 2, "Regular"},
                                   {3, 0x409, 3, "Test: " + family},
                                   {3, 0x409, 4, family},
                                   {3, 0x409, 5, "Version 1.0"},
                                   {3, 0x409, 6, postScript + "-Regular"},
                                   {3, 0x411, 1, family},
                                   {3, 0x411, 4, family},
                                   {1, 0, 1, family},
                                   {1, 0, 4, family}})}};
  return BuildMetricsFont(font);
}
