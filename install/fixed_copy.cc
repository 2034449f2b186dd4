// The copy is laid out anew: its header, each face's directory with its records sorted by tag,
// then each table once, at a multiple of 4 bytes, padded with zeros, as the format wants.
#include "install/fixed_copy.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <tuple>

#include "fixer/fix_layout.h"
#include "install/name_table.h"
#include "reader/cell_rule.h"
#include "reader/read_within.h"
#include "sfnt/big_endian.h"
#include "sfnt/checksum.h"
#include "sfnt/sfnt.h"

namespace {

// A table of the copy, by what it holds: the source table, its tag (the copy changes a 'head', an
// 'OS/2' or a 'name' table, so bytes that a font gives two tags make two tables), and the width
// of an OS/2 table.
using TableKey = std::tuple<std::uint64_t, std::uint64_t, std::string, std::int32_t>;

// What a copy may hold beyond twice its font's stored bytes: more than a small font's renamed
// names could ever add.
constexpr std::uint64_t kCopySlack = std::uint64_t{1} << 20;

std::uint64_t Padded(std::uint64_t length) { return (length + 3) / 4 * 4; }

// The face's tables but DSIG, sorted by tag as a directory lists them.
std::vector<TableEntry> CopiedTables(const FaceSummary& face) {
  std::vector<TableEntry> tables;
  for (const TableEntry& table : *face.tables) {
    if (table.tag != "DSIG") tables.push_back(table);
  }
  std::sort(tables.begin(), tables.end(),
            [](const TableEntry& a, const TableEntry& b) { return a.tag < b.tag; });
  return tables;
}

// The binary-search fields of an offset table of count records.
void PutSearchFields(std::uint16_t count, unsigned char* header) {
  std::uint16_t power = 1;
  std::uint16_t selector = 0;
  while (power * 2 <= count) {
    power = static_cast<std::uint16_t>(power * 2);
    ++selector;
  }
  StoreBigEndian16(count, header + 4);
  StoreBigEndian16(static_cast<std::uint16_t>(power * kTableRecordSize), header + 6);
  StoreBigEndian16(selector, header + 8);
  StoreBigEndian16(static_cast<std::uint16_t>((count - power) * kTableRecordSize), header + 10);
}

std::uint32_t FileSum(const FileBytes& bytes) { return TableChecksum(bytes.data(), bytes.size()); }

// Renames the name table in data for the copy, and stores the family and style that programs
// will show for it in names; false, with why, when it cannot be renamed.
bool RenameTable(const std::string& family, const std::string& tag, bool cff, FileBytes* data,
                 CopiedFace* names, std::string* why) {
  std::vector<NameRecord> records;
  if (!ParseNameTable(*data, &records)) {
    *why = "its 'name' table does not hold together";
    return false;
  }
  const Renaming renaming = RenamedForCopy(records, family, tag, cff);
  if (!renaming.error.empty()) {
    *why = renaming.error;
    return false;
  }
  *data = BuildNameTable(renaming.records);
  if (data->empty()) {
    *why = "its renamed names would be more than a 'name' table can hold";
    return false;
  }
  ParseNameTable(*data, &records);
  names->family = DisplayName(records, kFamilyNameID);
  names->style = DisplayName(records, kStyleNameID);
  return true;
}

// Whether the OS/2 table read for the copy still holds what the reader found in it.
bool SameAsRead(const FileBytes& os2, const FaceSummary& face) {
  return os2.size() >= kXAvgCharWidthInOs2 + 2 && LoadBigEndian16(os2.data()) == face.os2Version &&
         static_cast<std::int16_t>(LoadBigEndian16(&os2[kXAvgCharWidthInOs2])) ==
             face.xAvgCharWidth;
}

}  // namespace

std::string NotCopied(const FaceSummary& face) {
  if (!WantedWidth(face)) return "";
  if (face.verdict.kind == WidthKind::kProportional) {
    return "programs do not lay a proportional font's text out in cells, so a copy would change "
           "no cell";
  }
  if (!WrongCellsOf(face)) {
    return "its cells come out as wide as its characters, in whole pixels, at every size from " +
           std::to_string(kFirstCellPixels) + " to " + std::to_string(kLastCellPixels) +
           ", so a copy would change no cell";
  }
  if (face.os2.length <= kMaxOs2TableLength) return "";
  return "its OS/2 table is larger than the " + std::to_string(kMaxOs2TableLength / 1024) +
         " KiB that any font's needs, so it is left out of the copy";
}

FixedCopy MakeFixedCopy(FileHandle file, std::uint64_t size, const FontFaces& font,
                        const std::string& family, const std::string& tag) {
  FixedCopy copy;
  std::vector<const FaceSummary*> faces;
  std::vector<std::size_t> places;
  for (std::size_t i = 0; i < font.faces.size(); ++i) {
    const FaceSummary& face = font.faces[i];
    if (WantedWidth(face) && NotCopied(face).empty() && face.tables) {
      faces.push_back(&face);
      places.push_back(i);
    }
  }
  if (faces.empty()) return copy;
  if (!family.empty() && faces.size() > 1) {
    copy.error = "--family names one face, and " + std::to_string(faces.size()) +
                 " faces of this font need a copy";
    return copy;
  }

  // A copy holds fewer faces than its font, and its renamed names add a few bytes to each
  // record: one that comes to more than twice the bytes the font holds on its disk is made of
  // holes, of directories or tables that overlap, or of records that share one text many times
  // over, as no real font's are. It is refused before each table is read, so that neither its
  // work nor its memory can pass a few times the font's stored bytes, whatever its length says.
  const std::uint64_t most = 2 * FileStoredBytes(file, size) + kCopySlack;
  std::uint64_t made = 0;
  const auto fits = [&](std::uint64_t more) {
    made += more;
    if (made <= most) return true;
    copy.error =
        "its copy would come to more than twice the bytes it holds, as no real font's does (its "
        "tables lie in holes of the file, or overlap, or its names share one text many times "
        "over)";
    return false;
  };

  // Each face's tables, and the bytes of each table of the copy, made once.
  std::vector<std::uint32_t> versions(faces.size());
  std::vector<std::vector<TableEntry>> directories(faces.size());
  std::map<TableKey, std::size_t> tableOf;
  std::vector<FileBytes> tables;
  std::map<std::size_t, CopiedFace> namesOf;  // by the table's number, for its name tables
  std::vector<std::vector<std::size_t>> faceTables(faces.size());
  std::vector<std::size_t> heads;
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const FaceSummary& face = *faces[f];
    versions[f] = face.sfntVersion;
    directories[f] = CopiedTables(face);
    if (!fits(kFirstTableRecordPosition + kTableRecordSize * directories[f].size())) return copy;
    const std::int32_t written = *WantedWidth(face);
    CopiedFace copied{places[f], face.index, written, "", ""};
    bool named = false;
    for (const TableEntry& source : directories[f]) {
      const std::int32_t width = source.tag == "OS/2" ? written : 0;
      const TableKey key{source.offset, source.length, source.tag, width};
      auto known = tableOf.find(key);
      if (known == tableOf.end()) {
        FileBytes data;
        if (!fits(source.length)) return copy;
        if (!ReadWithin(file, 0, size, source.offset, source.length, &data)) {
          copy.error = "its '" + source.tag + "' table cannot be read (the file ends first)";
          return copy;
        }
        if (source.tag == "OS/2") {
          // The width was decided from this table as the reader found it; a font rewritten
          // since then gets no copy, rather than one whose width was decided for other bytes.
          if (!SameAsRead(data, face)) {
            copy.error = "the font changed while its copy was being made; try again";
            return copy;
          }
          StoreBigEndian16(static_cast<std::uint16_t>(written), &data[kXAvgCharWidthInOs2]);
        } else if (source.tag == "head" && data.size() >= kCheckSumAdjustmentInHead + 4) {
          StoreBigEndian32(0, &data[kCheckSumAdjustmentInHead]);
          heads.push_back(tables.size());
        } else if (source.tag == "name" &&
                   !RenameTable(family, tag, face.sfntVersion == kCffVersion, &data,
                                &namesOf[tables.size()], &copy.error)) {
          return copy;
        }
        if (data.size() > source.length && !fits(data.size() - source.length)) return copy;
        known = tableOf.emplace(key, tables.size()).first;
        tables.push_back(std::move(data));
      }
      faceTables[f].push_back(known->second);
      if (source.tag == "name") {
        copied.family = namesOf[known->second].family;
        copied.style = namesOf[known->second].style;
        named = true;
      }
    }
    if (!named) {
      copy.error = "it has no 'name' table to give the copy a family of its own";
      return copy;
    }
    copy.faces.push_back(copied);
  }

  // The layout: a collection's header, the directories, then the tables.
  const bool collection = faces.size() > 1;
  std::uint64_t at = collection ? kCollectionHeaderSize + 4 * faces.size() : 0;
  std::vector<std::uint64_t> directoryAt;
  for (const std::vector<TableEntry>& directory : directories) {
    directoryAt.push_back(at);
    at += kFirstTableRecordPosition + kTableRecordSize * directory.size();
  }
  std::vector<std::uint64_t> tableAt;
  for (const FileBytes& table : tables) {
    at = Padded(at);
    tableAt.push_back(at);
    at += table.size();
  }
  if (at > 0xFFFFFFFF) {
    copy.error = "the copy would be larger than the 4 GiB that a font's offsets reach";
    return copy;
  }
  FileBytes& out = copy.bytes;
  out.assign(Padded(at), 0);
  if (collection) {
    StoreBigEndian32(kCollectionTag, &out[0]);
    StoreBigEndian32(0x00010000, &out[4]);
    StoreBigEndian32(static_cast<std::uint32_t>(faces.size()), &out[8]);
  }
  for (std::size_t f = 0; f < faces.size(); ++f) {
    if (collection) {
      StoreBigEndian32(static_cast<std::uint32_t>(directoryAt[f]),
                       &out[kCollectionHeaderSize + 4 * f]);
    }
    unsigned char* header = &out[directoryAt[f]];
    StoreBigEndian32(versions[f], header);
    PutSearchFields(static_cast<std::uint16_t>(directories[f].size()), header);
    for (std::size_t r = 0; r < directories[f].size(); ++r) {
      const std::size_t t = faceTables[f][r];
      unsigned char* record = header + kFirstTableRecordPosition + kTableRecordSize * r;
      std::memcpy(record, directories[f][r].tag.data(), kTagSize);
      StoreBigEndian32(TableChecksum(tables[t].data(), tables[t].size()),
                       record + kChecksumInRecord);
      StoreBigEndian32(static_cast<std::uint32_t>(tableAt[t]), record + kOffsetInRecord);
      StoreBigEndian32(static_cast<std::uint32_t>(tables[t].size()), record + kOffsetInRecord + 4);
    }
  }
  for (std::size_t t = 0; t < tables.size(); ++t) {
    std::copy(tables[t].begin(), tables[t].end(),
              out.begin() + static_cast<std::ptrdiff_t>(tableAt[t]));
  }
  // A single font's whole sum comes out right; a collection's members keep theirs at 0.
  if (!collection && !heads.empty()) {
    StoreBigEndian32(kWholeFileChecksum - FileSum(out),
                     &out[tableAt[heads[0]] + kCheckSumAdjustmentInHead]);
  }
  const std::uint32_t first = versions[0];
  copy.extension = collection ? ".ttc" : first == kCffVersion ? ".otf" : ".ttf";
  return copy;
}
