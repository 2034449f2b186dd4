// Finds each face's tables through its table directory and reads the few fields and arrays the
// width rules need. Every position is checked against the bytes that remain, never against a sum
// that could wrap, and a face that does not hold together is reported, never guessed at.
#include "reader/font_faces.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <utility>

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
  ByteSpan directory;            // known once the whole directory was read
  std::vector<ByteSpan> others;  // every other table of the directory
};

// What the rules measure of a face's metrics: its 'maxp', 'hhea', 'hmtx' and 'cmap' tables.
struct MetricsReading {
  std::string error;
  WidthVerdict measured;
};

// Those four tables, by offset and length.
using MetricsTables = std::array<std::uint64_t, 8>;

// One file's reading: what was read already, by directory and by set of tables, so that members
// that share them cost no more than one.
struct FileReading {
  FileHandle file;
  std::uint64_t size;
  bool readTables;  // false to read the directories only
  std::map<std::uint64_t, FaceSummary> byDirectory;
  std::map<MetricsTables, MetricsReading> byMetrics;
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
// first record of each needed tag, as the patcher does, and the span of every other table.
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
      const std::uint64_t offset = LoadBigEndian32(record + kOffsetInRecord);
      const std::uint64_t length = LoadBigEndian32(record + kOffsetInRecord + 4);
      bool kept = false;
      for (const Wanted& w : wanted) {
        if (w.table->found || std::memcmp(record, w.tag, kTagSize) != 0) continue;
        w.table->found = true;
        w.table->record = position + i * kTableRecordSize;
        w.table->checksum = LoadBigEndian32(record + kChecksumInRecord);
        w.table->offset = offset;
        w.table->length = length;
        kept = w.table == &tables->os2 || w.table == &tables->head;
      }
      if (!kept) tables->others.push_back({offset, offset + length});
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

// Reads the advances and the character map from tables that ReadDirectory found and checked, and
// measures them.
MetricsReading ReadMetrics(FileHandle file, const Tables& tables) {
  MetricsReading reading;
  std::vector<unsigned char> bytes;
  FaceFacts facts;
  if (!ReadInTable(file, tables.maxp, kNumGlyphsInMaxp, 2, &bytes)) {
    reading.error = "the 'maxp' table is too short";
    return reading;
  }
  const std::uint16_t numGlyphs = LoadBigEndian16(bytes.data());
  if (!ReadInTable(file, tables.hhea, kNumberOfHMetricsInHhea, 2, &bytes)) {
    reading.error = "the 'hhea' table is too short";
    return reading;
  }
  // More long metrics than glyphs describe nothing more; the extra ones are not read.
  const std::uint16_t numberOfHMetrics = std::min(LoadBigEndian16(bytes.data()), numGlyphs);
  if (numberOfHMetrics == 0 && numGlyphs > 0) {
    reading.error = "'hhea' gives no horizontal metrics";
    return reading;
  }
  if (kLongHorMetricSize * numberOfHMetrics > tables.hmtx.length) {
    reading.error = "the 'hmtx' table is shorter than its numberOfHMetrics long metrics";
    return reading;
  }
  facts.advances.resize(numGlyphs);
  for (std::size_t first = 0; first < numberOfHMetrics; first += kMetricsPerRead) {
    const std::size_t count = std::min<std::size_t>(kMetricsPerRead, numberOfHMetrics - first);
    if (!ReadInTable(file, tables.hmtx, kLongHorMetricSize * first, kLongHorMetricSize * count,
                     &bytes)) {
      reading.error = "the 'hmtx' table cannot be read";
      return reading;
    }
    for (std::size_t i = 0; i < count; ++i) {
      facts.advances[first + i] = LoadBigEndian16(bytes.data() + kLongHorMetricSize * i);
    }
  }
  // Glyphs past the long metrics repeat the last long metric's advance.
  for (std::size_t glyph = numberOfHMetrics; glyph < numGlyphs; ++glyph) {
    facts.advances[glyph] = facts.advances[numberOfHMetrics - 1u];
  }

  // Every face is read into one code point map in turn, which is then cleared by the indexes it
  // mapped, never zeroed whole, so that a face costs what its character map holds. The program
  // has one thread.
  static CodePointGlyphs glyphs = NoGlyphs();
  std::swap(facts.glyphs, glyphs);
  if (tables.cmap.found) {
    const CharacterMapSource source{file, tables.cmap.offset, tables.cmap.length};
    reading.error = ReadCharacterMap(source, numGlyphs, &facts.glyphs);
  }
  if (reading.error.empty()) reading.measured = MeasureWidths(facts);
  for (const std::int32_t index : facts.glyphs.mapped) {
    facts.glyphs.byIndex[static_cast<std::size_t>(index)] = 0;
  }
  facts.glyphs.mapped.clear();
  std::swap(facts.glyphs, glyphs);
  return reading;
}

// The face whose offset table starts at faceOffset, read once per directory.
const FaceSummary& ReadFace(FileReading& reading, std::uint64_t faceOffset) {
  const auto known = reading.byDirectory.find(faceOffset);
  if (known != reading.byDirectory.end()) return known->second;
  FaceSummary& face = reading.byDirectory[faceOffset];
  Tables tables;
  face.error = ReadDirectory(reading.file, reading.size, faceOffset, &face.sfntVersion, &tables);
  face.os2 = RecordOf(tables.os2);
  face.head = RecordOf(tables.head);
  face.dsig = RecordOf(tables.dsig);
  face.directory = tables.directory;
  if (face.directory.end != 0) {
    face.otherTables = std::make_shared<const std::vector<ByteSpan>>(std::move(tables.others));
  }
  if (!face.error.empty() || !reading.readTables) return face;

  std::vector<unsigned char> bytes;
  if (!ReadInTable(reading.file, tables.head, kUnitsPerEmInHead, 2, &bytes)) {
    face.error = "the 'head' table is too short";
    return face;
  }
  face.unitsPerEm = LoadBigEndian16(bytes.data());
  if (!ReadInTable(reading.file, tables.os2, 0, 4, &bytes)) {
    face.error = "the 'OS/2' table is too short";
    return face;
  }
  face.os2Version = LoadBigEndian16(bytes.data());
  face.xAvgCharWidth = static_cast<std::int16_t>(LoadBigEndian16(bytes.data() + 2));
  // Faces that differ only in their head or OS/2 tables, as a collection's members often do,
  // share their metrics, which are read and measured once.
  MetricsTables key;
  std::size_t i = 0;
  for (const Table* table : {&tables.hhea, &tables.maxp, &tables.hmtx, &tables.cmap}) {
    key[i++] = table->found ? table->offset : ~std::uint64_t{0};
    key[i++] = table->length;
  }
  auto found = reading.byMetrics.find(key);
  if (found == reading.byMetrics.end()) {
    found = reading.byMetrics.emplace(key, ReadMetrics(reading.file, tables)).first;
  }
  face.error = found->second.error;
  if (face.error.empty()) {
    face.verdict = JudgeWidth(found->second.measured, face.os2Version, face.xAvgCharWidth);
  }
  return face;
}

// The collection's header, up to the end of a version 2 header's signature fields, and the
// signature table that they point at.
std::vector<ByteSpan> CollectionSpans(FileHandle file, std::uint64_t size, std::uint32_t version,
                                      std::uint64_t numFonts) {
  const std::uint64_t offsets = kCollectionHeaderSize + 4 * numFonts;
  if (version < kCollectionVersion2) return {{0, offsets}};
  std::vector<ByteSpan> spans = {{0, offsets + 12}};
  std::vector<unsigned char> bytes;
  if (ReadBytes(file, size, offsets, 12, &bytes) && LoadBigEndian32(bytes.data()) == kDsigTag) {
    const std::uint64_t offset = LoadBigEndian32(bytes.data() + 8);
    spans.push_back({offset, offset + LoadBigEndian32(bytes.data() + 4)});
  }
  return spans;
}

void ReadFaces(FileHandle file, std::uint64_t size, bool readTables, FontFaces* font) {
  FileReading reading{file, size, readTables, {}, {}};
  std::vector<unsigned char> bytes;
  if (!ReadBytes(file, size, 0, 4, &bytes)) {
    font->error = "the file is too short to be a font";
    return;
  }
  if (LoadBigEndian32(bytes.data()) != kCollectionTag) {
    font->faces.push_back(ReadFace(reading, 0));
    return;
  }
  if (!ReadBytes(file, size, 0, kCollectionHeaderSize, &bytes)) {
    font->error = "the file ends inside the collection's header";
    return;
  }
  const std::uint32_t version = LoadBigEndian32(bytes.data() + 4);
  const std::uint64_t numFonts = LoadBigEndian32(bytes.data() + 8);
  if (numFonts == 0) {
    font->error = "the collection holds no font";
    return;
  }
  if (numFonts > kMaxCollectionMembers) {
    font->error = "the collection's header lists " + std::to_string(numFonts) +
                  " fonts, more than the " + std::to_string(kMaxCollectionMembers) +
                  " that any real collection needs";
    return;
  }
  if (numFonts > (size - kCollectionHeaderSize) / 4) {
    font->error = "the collection's list of fonts runs past the end of the file";
    return;
  }
  if (!ReadBytes(file, size, kCollectionHeaderSize, 4 * numFonts, &bytes)) {
    font->error = "cannot read the collection's list of fonts";  // the size was checked
    return;
  }
  font->collectionSpans = CollectionSpans(file, size, version, numFonts);
  font->faces.reserve(numFonts);
  for (std::uint32_t index = 0; index < numFonts; ++index) {
    font->faces.push_back(ReadFace(reading, LoadBigEndian32(bytes.data() + 4u * index)));
    font->faces.back().index = index;
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
  ReadFaces(file, size, true, &font);
  return font;
}

FontFaces ReadFontDirectories(FileHandle file, std::uint64_t size) {
  FontFaces font;
  ReadFaces(file, size, false, &font);
  return font;
}
