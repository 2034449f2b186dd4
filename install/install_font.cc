// A copy is written beside its place in the user's font folder, flushed, and renamed into place
// before the system is told of it, so that neither the system nor a program that lists the
// folder ever finds half a font. A file or a registered value is taken for Quenlo's own only
// where its name has the form that Quenlo gives and carries the tag of the copy inside it.
#include "install/install_font.h"

#include <algorithm>
#include <map>
#include <utility>

#include "common/file.h"
#include "common/font_install.h"
#include "common/output_file.h"
#include "common/utf8.h"
#include "install/copy_name.h"
#include "install/name_table.h"
#include "reader/read_within.h"
#include "sfnt/big_endian.h"
#include "sfnt/sfnt.h"

namespace {

// No font's name table needs more; a copy's is far smaller (its lengths are 16 bits).
constexpr std::uint64_t kMaxNameTable = std::uint64_t{1} << 20;
constexpr std::uint64_t kMaxCopyNameTable = std::uint64_t{1} << 18;
constexpr const char* kExtensions[] = {".ttf", ".otf", ".ttc"};
// What name tables may be read beyond twice the bytes the file holds.
constexpr std::uint64_t kNameSlack = std::uint64_t{1} << 20;

// The records of the name table at offset, of length bytes; false when it cannot be read.
bool ReadNameRecords(FileHandle file, std::uint64_t size, std::uint64_t offset,
                     std::uint64_t length, std::uint64_t most, std::vector<NameRecord>* records) {
  std::vector<unsigned char> table;
  return length <= most && ReadWithin(file, 0, size, offset, length, &table) &&
         ParseNameTable(table, records);
}

// Wine overruns a buffer of 64 UTF-16 units on a longer name of a Fonts value that it loads
// when it starts (its programs then show the copy's family blank, or crash): the first face's
// family and style get this many, the mark and the kind the rest.
constexpr std::size_t kMaxListedFaceUnits = 32;

// What the system lists the copy by: its first face's family and style, whether it holds more
// faces, the mark of the copy, and its kind.
std::string ListedName(const FixedCopy& copy, const std::string& tag) {
  const CopiedFace& first = copy.faces.front();
  const std::string name =
      first.family + (first.style.empty() || first.style == "Regular" ? "" : " " + first.style);
  return Utf8PrefixOfUtf16Units(name, kMaxListedFaceUnits) +
         (copy.faces.size() > 1 ? " & more " : " ") + CopyValueMark(tag) +
         (copy.extension == ".otf" ? " (OpenType)" : " (TrueType)");
}

// Writes bytes into a new file beside path and renames it over path.
bool WriteInPlace(const std::string& path, const FileBytes& bytes, std::string* why) {
  FileHandle file = 0;
  std::string temporary;
  if (!FileCreateBeside(path, 0644, &file, &temporary, why)) return false;
  const bool written =
      (bytes.empty() || FileWriteAt(file, 0, bytes.data(), bytes.size())) && FileFlush(file);
  FileClose(file);
  if (!written) {
    FileRemove(temporary);
    *why = "cannot write it (is the disk full?)";
    return false;
  }
  if (!FileRename(temporary, path, why)) {
    FileRemove(temporary);
    return false;
  }
  return true;
}

// The tag of the copy of source, and the name of its file, by the source's full path.
std::string TagOf(const std::string& source) { return CopyTag(FullPath(source)); }

std::string CopyNameOf(const std::string& source, const std::string& extension) {
  return CopyFileName(FullPath(source), extension);
}

// The tag in the version string of the first face of the file at path; "" when it has none.
// Reads only the first face's directory and its name table, no larger than a copy's, so that
// looking at any file of the font folder costs little.
std::string TagInside(const std::string& path) {
  FileHandle file = 0;
  std::uint64_t size = 0;
  std::string why;
  if (!FileOpenForReading(path.c_str(), &file, &size, &why)) return "";
  std::vector<unsigned char> bytes;
  std::vector<NameRecord> records;
  std::uint64_t directory = 0;
  bool found = ReadWithin(file, 0, size, 0, kCollectionHeaderSize + 4, &bytes) ||
               ReadWithin(file, 0, size, 0, kFirstTableRecordPosition, &bytes);
  if (found && LoadBigEndian32(bytes.data()) == kCollectionTag) {
    directory = bytes.size() > kCollectionHeaderSize
                    ? LoadBigEndian32(&bytes[kCollectionHeaderSize])
                    : size;
  }
  found = found && ReadWithin(file, 0, size, directory, kFirstTableRecordPosition, &bytes);
  const std::uint64_t count = found ? LoadBigEndian16(&bytes[kNumTablesPosition]) : 0;
  found = found && ReadWithin(file, 0, size, directory + kFirstTableRecordPosition,
                              count * kTableRecordSize, &bytes);
  std::string tag;
  for (std::uint64_t i = 0; found && i < count; ++i) {
    const unsigned char* record = &bytes[i * kTableRecordSize];
    if (std::string(reinterpret_cast<const char*>(record), kTagSize) != "name") continue;
    if (ReadNameRecords(file, size, LoadBigEndian32(record + kOffsetInRecord),
                        LoadBigEndian32(record + kOffsetInRecord + 4), kMaxCopyNameTable,
                        &records)) {
      tag = CopyTagOf(records);
    }
    break;
  }
  FileClose(file);
  return tag;
}

// Whether the file at path is a copy that Quenlo installed: a regular file whose name has the
// form of a copy's, and whose version string carries the same tag; with source given, the copy
// of that source.
bool IsOwnCopy(const std::string& path, const std::string& source = "") {
  const std::string tag = CopyTagOfFileName(path);
  return !tag.empty() && (source.empty() || tag == TagOf(source)) &&
         LookAtPath(path).kind == PathKind::kFile && TagInside(path) == tag;
}

}  // namespace

std::vector<FaceNames> ReadFaceNames(FileHandle file, std::uint64_t size, const FontFaces& font) {
  std::uint64_t left = 2 * FileStoredBytes(file, size) + kNameSlack;
  std::map<std::pair<std::uint64_t, std::uint64_t>, FaceNames> byTable;
  std::vector<FaceNames> names;
  for (const FaceSummary& face : font.faces) {
    const std::pair<std::uint64_t, std::uint64_t> table{face.name.offset, face.name.length};
    if (!face.error.empty() || face.name.record == 0) {
      names.emplace_back();
      continue;
    }
    auto known = byTable.find(table);
    if (known == byTable.end()) {
      std::vector<NameRecord> records;
      FaceNames found;
      if (table.second <= left &&
          ReadNameRecords(file, size, table.first, table.second, kMaxNameTable, &records)) {
        found = {DisplayName(records, kFamilyNameID), DisplayName(records, kStyleNameID)};
      }
      left -= std::min(left, table.second);
      known = byTable.emplace(table, found).first;
    }
    names.push_back(known->second);
  }
  return names;
}

FontForCopy ReadFontForCopy(const std::string& source, bool makeCopy, const std::string& family,
                            const WidthRules& rules) {
  FontForCopy read;
  FileHandle file = 0;
  std::uint64_t size = 0;
  std::string why;
  if (!FileOpenForReading(source.c_str(), &file, &size, &why)) {
    read.font.error = "cannot open it: " + why;
    return read;
  }
  if (WebFlavourOfFile(file, size) != WebFlavour::kNone) {
    // A web font's names are read from the view of its tables, where its records point.
    const WebReading web = ReadWebFont(file, size);
    read.font = ReadWebViewFaces(web, rules);
    if (web.error.empty()) {
      read.names = ReadFaceNames(web.spool, web.view.bytes.size(), read.font);
      FileClose(web.spool);
    }
    const bool needed =
        std::any_of(read.font.faces.begin(), read.font.faces.end(),
                    [](const FaceSummary& face) { return face.error.empty() && !face.verdict.ok; });
    if (makeCopy && needed) read.copy.error = kWebFontNotCopied;
    FileClose(file);
    return read;
  }
  read.font = ReadOpenFontFaces(file, size, rules);
  read.names = ReadFaceNames(file, size, read.font);
  if (makeCopy && read.font.error.empty()) {
    read.copy = MakeFixedCopy(file, size, read.font, family, TagOf(source));
  }
  FileClose(file);
  return read;
}

std::string InstalledCopyOf(const std::string& source) {
  std::string why;
  const std::string folder = UserFontFolder(&why);
  if (folder.empty()) return "";
  for (const char* extension : kExtensions) {
    const std::string path = PathInFolder(folder, CopyNameOf(source, extension));
    if (IsOwnCopy(path, source)) return path;
  }
  return "";
}

std::vector<std::string> CopyFamilies(const std::string& path) {
  FileHandle file = 0;
  std::uint64_t size = 0;
  std::string why;
  std::vector<std::string> families;
  if (!FileOpenForReading(path.c_str(), &file, &size, &why)) return families;
  const FontFaces font = ReadFontDirectories(file, size);
  for (const FaceNames& names : ReadFaceNames(file, size, font)) families.push_back(names.family);
  FileClose(file);
  return families;
}

Installed InstallFixedCopy(const std::string& source, const FixedCopy& copy) {
  Installed installed;
  if (!copy.error.empty() || copy.bytes.empty()) {
    installed.error = copy.error;
    return installed;
  }
  std::string why;
  const std::string folder = UserFontFolder(&why);
  if (folder.empty()) {
    installed.error = "cannot find or make your font folder: " + why;
    return installed;
  }
  const std::string tag = TagOf(source);
  const std::string path = PathInFolder(folder, CopyNameOf(source, copy.extension));
  if (LookAtPath(path).kind != PathKind::kNothing && !IsOwnCopy(path, source)) {
    installed.error =
        "your font folder already holds a file of its copy's name that Quenlo did "
        "not make; it is left as it is";
    return installed;
  }
  // An earlier copy of the same font, of this kind or another, gives way to this one.
  const std::string mark = CopyValueMark(tag);
  for (const char* extension : kExtensions) {
    const std::string earlier = PathInFolder(folder, CopyNameOf(source, extension));
    if (IsOwnCopy(earlier, source)) {
      UnregisterUserFont(earlier, mark);
      if (earlier != path) FileRemove(earlier);
    }
  }
  if (!WriteInPlace(path, copy.bytes, &why)) {
    installed.error = "cannot write its copy into your font folder: " + why;
  } else if (!RegisterUserFont(path, ListedName(copy, tag), &why)) {
    FileRemove(path);
    installed.error = "cannot install its copy: " + why;
  } else {
    installed.path = path;
  }
  UserFontsChanged(folder);
  return installed;
}

std::vector<RemovedCopy> UninstallFixedCopies(std::string* why) {
  std::vector<RemovedCopy> removed;
  const std::string folder = UserFontFolder(why);
  if (folder.empty()) return removed;
  for (const std::string& path : FilesInFolder(folder)) {
    if (!IsOwnCopy(path)) continue;
    const std::vector<std::string> families = CopyFamilies(path);
    UnregisterUserFont(path, CopyValueMark(CopyTagOfFileName(path)));
    FileRemove(path);
    if (LookAtPath(path).kind == PathKind::kNothing) {
      removed.push_back({path, families});
    } else {
      *why = "cannot remove " + path;
    }
  }
  if (!removed.empty()) UserFontsChanged(folder);
  return removed;
}
