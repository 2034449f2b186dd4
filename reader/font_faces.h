// Reads, without changing anything, what the width rules need from each face of a font file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/file.h"
#include "reader/web_reading.h"
#include "reader/width_rules.h"

// A face's table record as its table directory holds it.
struct TableRecordAt {
  std::uint64_t record = 0;  // where the record lies in the file; 0 when the face has none
  std::uint32_t checksum = 0;
  std::uint32_t offset = 0;  // where the table starts; members of a collection may share one
  std::uint32_t length = 0;
};

inline bool operator==(const TableRecordAt& a, const TableRecordAt& b) {
  return a.record == b.record && a.checksum == b.checksum && a.offset == b.offset &&
         a.length == b.length;
}

// A table as the directory lists it: the first record of its tag.
struct TableEntry {
  std::string tag;
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

// Bytes first to end - 1 of the file; empty when first == end.
struct ByteSpan {
  std::uint64_t first = 0;
  std::uint64_t end = 0;
};

inline bool operator==(const ByteSpan& a, const ByteSpan& b) {
  return a.first == b.first && a.end == b.end;
}

// One face: a whole font file, or one member of a collection.
struct FaceSummary {
  std::optional<std::uint32_t> index;  // the member's number in a collection
  std::string error;                   // why the face cannot be read; empty when it was
  std::uint32_t sfntVersion = 0;
  WebFlavour web = WebFlavour::kNone;  // the web font format it was read from, if any
  std::uint16_t os2Version = 0;
  std::uint16_t unitsPerEm = 0;
  std::int16_t xAvgCharWidth = 0;
  // What GDI tells programs that the face is fixed pitch by: the PANOSE proportion in its OS/2
  // table, and the 'post' table's flag; 0 where the table does not hold it.
  std::uint8_t bProportion = 0;
  std::uint32_t isFixedPitch = 0;
  // The records the fixer writes or reads; known as far as the directory could be read, even
  // for a face with an error. Only a face without an error has its tables checked to fit.
  TableRecordAt os2, head, dsig;
  // The name table, which members share or keep apart as they do the tables above, so that each
  // is read once however many members list it.
  TableRecordAt name;
  // The bytes its table directory takes (its offset table and records, as far as the file goes),
  // known for every face, also one that cannot be read, so that a fix keeps out of them; and
  // every table of at least a byte that the directory lists but its OS/2 and head tables (the
  // records above), known once the whole directory was read. Faces that use one directory share
  // one list.
  ByteSpan directory;
  std::shared_ptr<const std::vector<ByteSpan>> otherTables;
  // Every table the directory lists, by tag, as read with the rest: what a copy of the face is
  // made of, so that it is made from this one reading. Known once the whole directory was read.
  std::shared_ptr<const std::vector<TableEntry>> tables;
  WidthVerdict verdict;
};

// No collection in use holds more than a few thousand faces; a header that claims more is
// refused before any member is read, which bounds the work and the report of every file.
constexpr std::uint32_t kMaxCollectionMembers = 16384;

// Whether the reader needs the table of tag whole, and refuses a face where it runs past the end
// of the file: head, hhea, maxp, hmtx, OS/2, cmap, DSIG and name. Of others it reads at most a
// field, where the file holds it.
bool TableReadWhole(const std::string& tag);

// Why a face whose first bytes are no TrueType or CFF font's is not read.
constexpr char kNotAFont[] = "not a TrueType or CFF font";

struct FontFaces {
  std::string error;  // why the file cannot be read at all; empty when faces were found
  std::vector<FaceSummary> faces;
  // A collection's header, with the signature fields of version 2, and the signature table they
  // point at; none for a single font.
  std::vector<ByteSpan> collectionSpans;
};

// Opens the file for reading only and reads every face of it: a TrueType or CFF font, or each
// member of a collection. Reads only the bytes it needs, each checked against the file's length,
// and members that use one table directory, or one set of tables, are read once. A member whose
// directory overlaps another's, or whose tables overlap another member's without being the same
// tables, is refused as damaged: no real collection is made so. The work, paid from one budget
// that grows with the bytes the file holds (see work_budget.h), stops at that budget: faces past
// it are refused.
// The verdicts follow rules.
FontFaces ReadFontFaces(const char* path, const WidthRules& rules = {});

// Reads every face of a file already open, of size bytes, as ReadFontFaces does. A web font's
// faces are read from the view of its tables (see web_reading.h): their records are the view's.
FontFaces ReadOpenFontFaces(FileHandle file, std::uint64_t size, const WidthRules& rules = {});

// Reads the faces of a web font's view as ReadOpenFontFaces reads a font, paying the work from
// the budget of the web font's own stored bytes, not of what they decode to; each face is marked
// with the web font's flavour. A web font that could not be read gives its error.
FontFaces ReadWebViewFaces(const WebReading& web, const WidthRules& rules = {});

// Reads the collection's header and every face's table directory as ReadOpenFontFaces does, but
// none of their tables: the records and spans are known, the fields and verdicts are not.
FontFaces ReadFontDirectories(FileHandle file, std::uint64_t size);
