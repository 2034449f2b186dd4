// Finds each face's tables through its table directory and reads the few fields and arrays the
// width rules need. Every position is checked against the bytes that remain, never against a sum
// that could wrap, and a face that does not hold together is reported, never guessed at.
#include "reader/font_faces.h"

#include <algorithm>
#include <cstring>

#include "common/file.h"
#include "reader/character_map.h"
#include "reader/read_within.h"
#include "sfnt/big_endian.h"
#include "sfnt/sfnt.h"

namespace {

constexpr std::uint64_t kOffsetTableSize = 12;

constexpr std::uint64_t kTableRecordsPerRead = 4096;  // 64 KiB of a directory at a time

// Where the needed fields lie in their tables, and the bytes each table must hold for them.
constexpr std::uint64_t kUnitsPerEmInHead = 18;
constexpr std::uint64_t kNumberOfHMetricsInHhea = 34;
constexpr std::uint64_t kNumGlyphsInMaxp = 4;
constexpr std::uint64_t kLongHorMetricSize = 4;
constexpr std::size_t kMetricsPerRead = 16384;  // 64 KiB of hmtx at a time

struct Table {
  bool found = false;
  std::uint64_t record = 0;
  std::uint32_t checksum = 0;
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

struct Tables {
  Table head, hhea, maxp, hmtx, os2, cmap, dsig;
  ByteSpan directory;  // known once the whole directory was read
};

TableRecordAt RecordOf(const Table& table) {
  if (!table.found) return {};
  return {table.record, table.checksum, static_cast<std::uint32_t>(table.offset),
          static_cast<std::uint32_t>(table.length)};
}

// Reads count bytes at position of a file of size bytes, refusing what runs past its end.
bool ReadBytes(FileHandle file, std::uint64_t size, std::uint64_t position, std::uint64_t count,
               std::vector<unsigned char>* bytes) {
  return ReadWithin(file, 0, size, position, count, bytes);
}

std::string Quoted(const char* tag) { return std::string("'") + tag + "'"; }

// Reads the table directory of the face whose offset table starts at faceOffset, keeping the
// first record of each needed tag, as the patcher does.
std::string ReadDirectory(FileHandle file, std::uint64_t size, std::uint64_t faceOffset,
                          std::uint32_t* sfntVersion, Tables* tables) {
  std::vector<unsigned char> bytes;
  if (!ReadBytes(file, size, faceOffset, kOffsetTableSize, &bytes)) {
    return "the file ends inside the font's header";
  }
  *sfntVersion = LoadBigEndian32(bytes.data());
  if (*sfntVersion != kTrueTypeVersion && *sfntVersion != kCffVersion &&
      *sfntVersion != kAppleVersion) {
    return "not a TrueType or CFF font";
  }
  const std::uint64_t numTables = LoadBigEndian16(bytes.data() + 4);
  struct Wanted {
    const char* tag;
    Table* table;
  };
  const Wanted wanted[] = {{"head", &tables->head}, {"hhea", &tables->hhea},
                           {"maxp", &tables->maxp}, {"hmtx", &tables->hmtx},
                           {"OS/2", &tables->os2},  {"cmap", &tables->cmap},
                           {"DSIG", &tables->dsig}};
  for (std::uint64_t first = 0; first < numTables; first += kTableRecordsPerRead) {
    const std::uint64_t count = std::min(kTableRecordsPerRead, numTables - first);
    const std::uint64_t position = faceOffset + kOffsetTableSize + first * kTableRecordSize;
    if (!ReadBytes(file, size, position, count * kTableRecordSize, &bytes)) {
      return "the table directory runs past the end of the file";
    }
    for (std::uint64_t i = 0; i < count; ++i) {
      const unsigned char* record = bytes.data() + i * kTableRecordSize;
      for (const Wanted& w : wanted) {
        if (w.table->found || std::memcmp(record, w.tag, kTagSize) != 0) continue;
        w.table->found = true;
        w.table->record = position + i * kTableRecordSize;
        w.table->checksum = LoadBigEndian32(record + kChecksumInRecord);
        w.table->offset = LoadBigEndian32(record + kOffsetInRecord);
        w.table->length = LoadBigEndian32(record + kOffsetInRecord + 4);
      }
    }
  }
  tables->directory = {faceOffset, faceOffset + kOffsetTableSize + numTables * kTableRecordSize};
  for (const Wanted& w : wanted) {
    if (!w.table->found) {
      // No character map is a finding, and no signature is usual; neither is an error.
      if (w.table == &tables->cmap || w.table == &tables->dsig) continue;
      return "no " + Quoted(w.tag) + " table";
    }
    if (w.table->offset > size || w.table->length > size - w.table->offset) {
      return "the " + Quoted(w.tag) + " table runs past the end of the file";
    }
  }
  return "";
}

// Reads count bytes at position within a table found by ReadDirectory.
bool ReadInTable(FileHandle file, const Table& table, std::uint64_t position, std::uint64_t count,
                 std::vector<unsigned char>* bytes) {
  return ReadWithin(file, table.offset, table.length, position, count, bytes);
}

std::string ReadFace(FileHandle file, std::uint64_t size, std::uint64_t faceOffset,
                     FaceSummary* face) {
  Tables tables;
  std::string error = ReadDirectory(file, size, faceOffset, &face->sfntVersion, &tables);
  face->os2 = RecordOf(tables.os2);
  face->head = RecordOf(tables.head);
  face->dsig = RecordOf(tables.dsig);
  face->directory = tables.directory;
  for (const Table* table : {&tables.hhea, &tables.maxp, &tables.hmtx, &tables.cmap}) {
    if (table->found) face->tablesRead.push_back({table->offset, table->offset + table->length});
  }
  if (!error.empty()) return error;

  std::vector<unsigned char> bytes;
  if (!ReadInTable(file, tables.head, kUnitsPerEmInHead, 2, &bytes)) {
    return "the 'head' table is too short";
  }
  face->unitsPerEm = LoadBigEndian16(bytes.data());
  if (!ReadInTable(file, tables.os2, 0, 4, &bytes)) return "the 'OS/2' table is too short";
  FaceFacts facts;
  facts.os2Version = LoadBigEndian16(bytes.data());
  facts.xAvgCharWidth = static_cast<std::int16_t>(LoadBigEndian16(bytes.data() + 2));
  face->os2Version = facts.os2Version;
  face->xAvgCharWidth = facts.xAvgCharWidth;
  if (!ReadInTable(file, tables.maxp, kNumGlyphsInMaxp, 2, &bytes)) {
    return "the 'maxp' table is too short";
  }
  const std::uint16_t numGlyphs = LoadBigEndian16(bytes.data());
  if (!ReadInTable(file, tables.hhea, kNumberOfHMetricsInHhea, 2, &bytes)) {
    return "the 'hhea' table is too short";
  }
  // More long metrics than glyphs describe nothing more; the extra ones are not read.
  const std::uint16_t numberOfHMetrics = std::min(LoadBigEndian16(bytes.data()), numGlyphs);
  if (numberOfHMetrics == 0 && numGlyphs > 0) return "'hhea' gives no horizontal metrics";
  if (kLongHorMetricSize * numberOfHMetrics > tables.hmtx.length) {
    return "the 'hmtx' table is shorter than its numberOfHMetrics long metrics";
  }
  facts.advances.resize(numGlyphs);
  for (std::size_t first = 0; first < numberOfHMetrics; first += kMetricsPerRead) {
    const std::size_t count = std::min<std::size_t>(kMetricsPerRead, numberOfHMetrics - first);
    if (!ReadInTable(file, tables.hmtx, kLongHorMetricSize * first, kLongHorMetricSize * count,
                     &bytes)) {
      return "the 'hmtx' table cannot be read";
    }
    for (std::size_t i = 0; i < count; ++i) {
      facts.advances[first + i] = LoadBigEndian16(bytes.data() + kLongHorMetricSize * i);
    }
  }
  // Glyphs past the long metrics repeat the last long metric's advance.
  for (std::size_t glyph = numberOfHMetrics; glyph < numGlyphs; ++glyph) {
    facts.advances[glyph] = facts.advances[numberOfHMetrics - 1u];
  }

  facts.glyphs.assign(static_cast<std::size_t>(CodePointIndexCount()), 0);
  if (tables.cmap.found) {
    const CharacterMapSource source{file, tables.cmap.offset, tables.cmap.length};
    error = ReadCharacterMap(source, numGlyphs, &facts.glyphs);
    if (!error.empty()) return error;
  }
  face->verdict = ApplyWidthRules(facts);
  return "";
}

void ReadFaces(FileHandle file, std::uint64_t size, FontFaces* font) {
  std::vector<unsigned char> bytes;
  if (!ReadBytes(file, size, 0, 4, &bytes)) {
    font->error = "the file is too short to be a font";
    return;
  }
  if (LoadBigEndian32(bytes.data()) != kCollectionTag) {
    font->faces.emplace_back();
    font->faces.back().error = ReadFace(file, size, 0, &font->faces.back());
    return;
  }
  if (!ReadBytes(file, size, 0, kCollectionHeaderSize, &bytes)) {
    font->error = "the file ends inside the collection's header";
    return;
  }
  const std::uint64_t numFonts = LoadBigEndian32(bytes.data() + 8);
  if (numFonts == 0) {
    font->error = "the collection holds no font";
    return;
  }
  if (numFonts > (size - kCollectionHeaderSize) / 4) {
    font->error = "the collection's list of fonts runs past the end of the file";
    return;
  }
  for (std::uint32_t index = 0; index < numFonts; ++index) {
    FaceSummary face;
    face.index = index;
    if (!ReadBytes(file, size, kCollectionHeaderSize + 4u * index, 4, &bytes)) {
      face.error = "cannot read the member's offset";  // the size was checked; a failed read
    } else {
      face.error = ReadFace(file, size, LoadBigEndian32(bytes.data()), &face);
    }
    font->faces.push_back(face);
  }
}

}  // namespace

FontFaces ReadFontFaces(const char* path) {
  FileHandle file = 0;
  std::uint64_t size = 0;
  std::string why;
  if (!FileOpenForReading(path, &file, &size, &why)) {
    FontFaces font;
    font.error = "cannot open it: " + why;
    return font;
  }
  FontFaces font = ReadOpenFontFaces(file, size);
  FileClose(file);
  return font;
}

FontFaces ReadOpenFontFaces(FileHandle file, std::uint64_t size) {
  FontFaces font;
  ReadFaces(file, size, &font);
  return font;
}
