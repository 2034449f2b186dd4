// Finds each face's tables through its table directory and reads the few fields and arrays the
// width rules need. Every position is checked against the bytes that remain, never against a sum
// that could wrap, and a face that does not hold together is reported, never guessed at.
//
// A collection is read in steps, each over every table directory before the next: the offset
// tables, then which directories overlap (no real collection's do, so those members are refused
// before their records are read), then the records, then which members' tables overlap without
// being one table (refused too), then the tables. So the directories and tables that are read
// lie apart, every byte of the file is read at most once for them, and each piece of work is
// paid from one budget that grows with the bytes the file holds.
#include "reader/font_faces.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "common/file.h"
#include "reader/character_map.h"
#include "reader/overlaps.h"
#include "reader/read_within.h"
#include "reader/work_budget.h"
#include "sfnt/big_endian.h"
#include "sfnt/sfnt.h"

namespace {

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
  Table head, hhea, maxp, hmtx, os2, cmap, dsig, name;
  std::vector<ByteSpan> others;     // every other table of the directory that holds a byte
  std::vector<TableEntry> entries;  // the first record of each tag
};

// The tables that the reader reads whole, each with the place its record goes.
struct Wanted {
  const char* tag;
  Table* table;
};

std::array<Wanted, 8> WantedTables(Tables* tables) {
  return {{{"head", &tables->head},
           {"hhea", &tables->hhea},
           {"maxp", &tables->maxp},
           {"hmtx", &tables->hmtx},
           {"OS/2", &tables->os2},
           {"cmap", &tables->cmap},
           {"DSIG", &tables->dsig},
           {"name", &tables->name}}};
}

// One table directory of the file, which any number of members may use.
struct Directory {
  std::uint64_t offset = 0;
  std::uint64_t numTables = 0;
  Tables tables;
  bool recordsRead = false;
  FaceSummary face;  // what its members share: everything but their number
};

// What the rules measure of a face's metrics: its 'maxp', 'hhea', 'hmtx' and 'cmap' tables.
struct MetricsReading {
  std::string error;
  WidthVerdict measured;
};

// Those four tables, by offset and length.
using MetricsTables = std::array<std::uint64_t, 8>;

// One file's reading: its directories, and the metrics already measured, so that members that
// share them cost no more than one.
struct FileReading {
  FileHandle file;
  std::uint64_t size;
  WorkBudget budget;
  std::map<MetricsTables, MetricsReading> byMetrics;
  WidthRules rules;
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

// Reads the directory's offset table, and so the bytes its directory claims: up to the end of
// its records, or as much of its header as the file holds. A failed directory's bytes are known
// too, so that a fix keeps out of them.
void ReadOffsetTable(const FileReading& reading, Directory* directory) {
  FaceSummary& face = directory->face;
  const std::uint64_t offset = directory->offset;
  const std::uint64_t size = reading.size;
  std::vector<unsigned char> bytes;
  if (!ReadBytes(reading.file, size, offset, kOffsetTableSize, &bytes)) {
    face.error = "the file ends inside the font's header";
    face.directory = {offset, std::max(offset, size)};
    return;
  }
  face.sfntVersion = LoadBigEndian32(bytes.data());
  directory->numTables = LoadBigEndian16(bytes.data() + 4);
  face.directory = {
      offset, std::min(size, offset + kOffsetTableSize + directory->numTables * kTableRecordSize)};
  if (!IsFontVersion(face.sfntVersion)) face.error = kNotAFont;
}

// Reads the directory's records, keeping the first record of each needed tag, as the patcher
// does, and the span of every other table.
std::string ReadRecords(FileReading& reading, Directory* directory) {
  if (!Spend(&reading.budget, directory->numTables)) return kTooMuchWork;
  const std::uint64_t numTables = directory->numTables;
  Tables* tables = &directory->tables;
  std::vector<unsigned char> bytes;
  const std::array<Wanted, 8> wanted = WantedTables(tables);
  std::set<std::string> tags;
  for (std::uint64_t first = 0; first < numTables; first += kTableRecordsPerRead) {
    const std::uint64_t count = std::min(kTableRecordsPerRead, numTables - first);
    const std::uint64_t position = directory->offset + kOffsetTableSize + first * kTableRecordSize;
    if (!ReadBytes(reading.file, reading.size, position, count * kTableRecordSize, &bytes)) {
      return "the table directory runs past the end of the file";
    }
    for (std::uint64_t i = 0; i < count; ++i) {
      const unsigned char* record = bytes.data() + i * kTableRecordSize;
      const std::uint64_t offset = LoadBigEndian32(record + kOffsetInRecord);
      const std::uint64_t length = LoadBigEndian32(record + kOffsetInRecord + 4);
      std::string tag(reinterpret_cast<const char*>(record), kTagSize);
      if (tags.insert(tag).second) tables->entries.push_back({std::move(tag), offset, length});
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
      // A table of no bytes shares none with anything, so it need not be kept.
      if (!kept && length > 0) tables->others.push_back({offset, offset + length});
    }
  }
  directory->recordsRead = true;
  for (const Wanted& w : wanted) {
    if (!w.table->found) {
      // No character map is a finding, and no signature is usual; neither is an error, nor is
      // a missing name table, which only a copy needs.
      if (w.table == &tables->cmap || w.table == &tables->dsig || w.table == &tables->name) {
        continue;
      }
      return "no " + Quoted(w.tag) + " table";
    }
    if (w.table->offset > reading.size || w.table->length > reading.size - w.table->offset) {
      return "the " + Quoted(w.tag) + " table runs past the end of the file";
    }
  }
  return "";
}

// Reads count bytes at position within a table found by ReadRecords.
bool ReadInTable(FileHandle file, const Table& table, std::uint64_t position, std::uint64_t count,
                 std::vector<unsigned char>* bytes) {
  return ReadWithin(file, table.offset, table.length, position, count, bytes);
}

// Reads the advances and the character map from tables that ReadRecords found and checked, and
// measures them.
MetricsReading ReadMetrics(FileReading& file, const Tables& tables) {
  MetricsReading reading;
  std::vector<unsigned char> bytes;
  FaceFacts facts;
  if (!ReadInTable(file.file, tables.maxp, kNumGlyphsInMaxp, 2, &bytes)) {
    reading.error = "the 'maxp' table is too short";
    return reading;
  }
  const std::uint16_t numGlyphs = LoadBigEndian16(bytes.data());
  if (!ReadInTable(file.file, tables.hhea, kNumberOfHMetricsInHhea, 2, &bytes)) {
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
  // The long metrics are read, every glyph's advance is set and then summed for the average.
  if (!Spend(&file.budget, std::uint64_t{numberOfHMetrics} + 2u * numGlyphs)) {
    reading.error = kTooMuchWork;
    return reading;
  }
  facts.advances.resize(numGlyphs);
  for (std::size_t first = 0; first < numberOfHMetrics; first += kMetricsPerRead) {
    const std::size_t count = std::min<std::size_t>(kMetricsPerRead, numberOfHMetrics - first);
    if (!ReadInTable(file.file, tables.hmtx, kLongHorMetricSize * first, kLongHorMetricSize * count,
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
    const CharacterMapSource source{file.file, tables.cmap.offset, tables.cmap.length};
    reading.error = ReadCharacterMap(source, numGlyphs, &facts.glyphs, &file.budget);
  }
  // The rules count the mapped code points twice: the ASCII ones and the CJK ones.
  if (reading.error.empty() && !Spend(&file.budget, 2u * facts.glyphs.mapped.size())) {
    reading.error = kTooMuchWork;
  }
  if (reading.error.empty()) reading.measured = MeasureWidths(facts);
  for (const std::int32_t index : facts.glyphs.mapped) {
    facts.glyphs.byIndex[static_cast<std::size_t>(index)] = 0;
  }
  facts.glyphs.mapped.clear();
  std::swap(facts.glyphs, glyphs);
  return reading;
}

// Reads the fields of a directory's tables and measures its metrics, once for every set of
// metrics tables however many directories list it.
void ReadTables(FileReading& reading, Directory* directory) {
  FaceSummary& face = directory->face;
  const Tables& tables = directory->tables;
  std::vector<unsigned char> bytes;
  if (!ReadInTable(reading.file, tables.head, kUnitsPerEmInHead, 2, &bytes)) {
    face.error = "the 'head' table is too short";
    return;
  }
  face.unitsPerEm = LoadBigEndian16(bytes.data());
  if (!ReadInTable(reading.file, tables.os2, 0, 4, &bytes)) {
    face.error = "the 'OS/2' table is too short";
    return;
  }
  face.os2Version = LoadBigEndian16(bytes.data());
  face.xAvgCharWidth = static_cast<std::int16_t>(LoadBigEndian16(bytes.data() + 2));
  // What tells programs that the face is fixed pitch; a table too short to hold it says not.
  if (ReadInTable(reading.file, tables.os2, kBProportionInOs2, 1, &bytes)) {
    face.bProportion = bytes[0];
  }
  for (const TableEntry& entry : *face.tables) {
    const Table post{true, 0, 0, entry.offset, entry.length};
    if (entry.tag == "post" && ReadInTable(reading.file, post, kIsFixedPitchInPost, 4, &bytes)) {
      face.isFixedPitch = LoadBigEndian32(bytes.data());
    }
  }
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
    found = reading.byMetrics.emplace(key, ReadMetrics(reading, tables)).first;
  }
  face.error = found->second.error;
  if (face.error.empty()) {
    face.verdict =
        JudgeWidth(found->second.measured, face.os2Version, face.xAvgCharWidth, reading.rules);
  }
}

// Refuses, as damaged, the directories that overlap another directory or the collection's
// header.
void RefuseOverlappingDirectories(const std::vector<ByteSpan>& header,
                                  std::vector<Directory>* directories) {
  const std::size_t count = directories->size();
  std::vector<OwnedSpan> spans;
  for (std::size_t d = 0; d < count; ++d) spans.push_back({(*directories)[d].face.directory, d});
  for (const ByteSpan& span : header) spans.push_back({span, count});
  const std::vector<bool> overlapping = OwnersOverlapping(spans, count + 1);
  for (std::size_t d = 0; d < count; ++d) {
    FaceSummary& face = (*directories)[d].face;
    if (overlapping[d] && face.error.empty()) {
      face.error = "its table directory overlaps another member's, or the collection's header";
    }
  }
}

// Refuses, as damaged, the directories that list a table the reader reads which overlaps
// another directory's table without being the same one.
void RefuseOverlappingTables(std::vector<Directory>* directories) {
  std::vector<OwnedSpan> spans;
  for (std::size_t d = 0; d < directories->size(); ++d) {
    const Directory& directory = (*directories)[d];
    if (!directory.face.error.empty()) continue;
    const Tables& t = directory.tables;
    for (const Table* table : {&t.head, &t.hhea, &t.maxp, &t.hmtx, &t.os2, &t.cmap, &t.name}) {
      if (table->found) spans.push_back({{table->offset, table->offset + table->length}, d});
    }
  }
  const std::vector<bool> overlapping = OwnersOverlapping(spans, directories->size());
  for (std::size_t d = 0; d < directories->size(); ++d) {
    if (overlapping[d]) {
      (*directories)[d].face.error =
          "its tables overlap another member's without being the same tables";
    }
  }
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

// The offsets of the faces' table directories, one per member, or the single font's at 0.
std::vector<std::uint64_t> FaceOffsets(FileHandle file, std::uint64_t size, FontFaces* font) {
  std::vector<unsigned char> bytes;
  if (!ReadBytes(file, size, 0, 4, &bytes)) {
    font->error = "the file is too short to be a font";
    return {};
  }
  if (LoadBigEndian32(bytes.data()) != kCollectionTag) return {0};
  if (!ReadBytes(file, size, 0, kCollectionHeaderSize, &bytes)) {
    font->error = "the file ends inside the collection's header";
    return {};
  }
  const std::uint32_t version = LoadBigEndian32(bytes.data() + 4);
  const std::uint64_t numFonts = LoadBigEndian32(bytes.data() + 8);
  if (numFonts == 0) {
    font->error = "the collection holds no font";
    return {};
  }
  if (numFonts > kMaxCollectionMembers) {
    font->error = "the collection's header lists " + std::to_string(numFonts) +
                  " fonts, more than the " + std::to_string(kMaxCollectionMembers) +
                  " that any real collection needs";
    return {};
  }
  if (numFonts > (size - kCollectionHeaderSize) / 4) {
    font->error = "the collection's list of fonts runs past the end of the file";
    return {};
  }
  if (!ReadBytes(file, size, kCollectionHeaderSize, 4 * numFonts, &bytes)) {
    font->error = "cannot read the collection's list of fonts";  // the size was checked
    return {};
  }
  font->collectionSpans = CollectionSpans(file, size, version, numFonts);
  std::vector<std::uint64_t> offsets;
  for (std::uint64_t index = 0; index < numFonts; ++index) {
    offsets.push_back(LoadBigEndian32(bytes.data() + 4 * index));
  }
  return offsets;
}

void ReadFaces(FileHandle file, std::uint64_t size, std::uint64_t storedBytes, bool readTables,
               const WidthRules& rules, FontFaces* font) {
  FileReading reading{file, size, BudgetFor(storedBytes), {}, rules};
  const std::vector<std::uint64_t> offsets = FaceOffsets(file, size, font);
  if (offsets.empty()) return;
  // Each directory once, in the order members first use them.
  std::vector<Directory> directories;
  std::vector<std::size_t> directoryOf;
  std::map<std::uint64_t, std::size_t> byOffset;
  for (const std::uint64_t offset : offsets) {
    const auto known = byOffset.emplace(offset, directories.size());
    if (known.second) {
      directories.emplace_back();
      directories.back().offset = offset;
    }
    directoryOf.push_back(known.first->second);
  }
  for (Directory& directory : directories) ReadOffsetTable(reading, &directory);
  const bool collection = !font->collectionSpans.empty();
  if (collection) RefuseOverlappingDirectories(font->collectionSpans, &directories);
  for (Directory& directory : directories) {
    if (directory.face.error.empty()) directory.face.error = ReadRecords(reading, &directory);
  }
  if (collection) RefuseOverlappingTables(&directories);
  for (Directory& directory : directories) {
    FaceSummary& face = directory.face;
    Tables& tables = directory.tables;
    face.os2 = RecordOf(tables.os2);
    face.head = RecordOf(tables.head);
    face.dsig = RecordOf(tables.dsig);
    face.name = RecordOf(tables.name);
    // A member whose directory could not be read keeps nothing of it but its bytes.
    if (directory.recordsRead) {
      face.otherTables = std::make_shared<const std::vector<ByteSpan>>(std::move(tables.others));
      face.tables = std::make_shared<const std::vector<TableEntry>>(std::move(tables.entries));
    }
    if (face.error.empty() && readTables) ReadTables(reading, &directory);
  }
  font->faces.reserve(offsets.size());
  for (std::size_t member = 0; member < offsets.size(); ++member) {
    font->faces.push_back(directories[directoryOf[member]].face);
    if (collection) font->faces.back().index = static_cast<std::uint32_t>(member);
  }
}

}  // namespace

bool TableReadWhole(const std::string& tag) {
  static Tables tables;  // only the tags are looked at
  for (const Wanted& w : WantedTables(&tables)) {
    if (tag == w.tag) return true;
  }
  return false;
}

FontFaces ReadFontFaces(const char* path, const WidthRules& rules) {
  FileHandle file = 0;
  std::uint64_t size = 0;
  std::string why;
  if (!FileOpenForReading(path, &file, &size, &why)) {
    FontFaces font;
    font.error = "cannot open it: " + why;
    return font;
  }
  FontFaces font = ReadOpenFontFaces(file, size, rules);
  FileClose(file);
  return font;
}

FontFaces ReadOpenFontFaces(FileHandle file, std::uint64_t size, const WidthRules& rules) {
  FontFaces font;
  if (WebFlavourOfFile(file, size) != WebFlavour::kNone) {
    const WebReading web = ReadWebFont(file, size);
    font = ReadWebViewFaces(web, rules);
    if (web.error.empty()) FileClose(web.spool);
    return font;
  }
  ReadFaces(file, size, FileStoredBytes(file, size), true, rules, &font);
  return font;
}

FontFaces ReadWebViewFaces(const WebReading& web, const WidthRules& rules) {
  FontFaces font;
  font.error = web.error;
  if (!web.error.empty()) return font;
  ReadFaces(web.spool, web.view.bytes.size(), web.storedBytes, true, rules, &font);
  for (FaceSummary& face : font.faces) face.web = web.font.flavour;
  return font;
}

FontFaces ReadFontDirectories(FileHandle file, std::uint64_t size) {
  FontFaces font;
  ReadFaces(file, size, FileStoredBytes(file, size), false, {}, &font);
  return font;
}
