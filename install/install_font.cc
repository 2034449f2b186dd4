// A copy is written beside its place in the user's font folder, flushed, and renamed into place
// before the system is told of it, so that neither the system nor a program that lists the
// folder ever finds half a font.
#include "install/install_font.h"

#include <algorithm>
#include <map>
#include <utility>

#include "common/file.h"
#include "common/font_install.h"
#include "common/output_file.h"
#include "install/name_table.h"
#include "reader/read_within.h"
#include "sfnt/big_endian.h"
#include "sfnt/sfnt.h"

namespace {

// No font needs more; a larger file is not read into memory to be copied.
constexpr std::uint64_t kMaxCopiedFont = std::uint64_t{1} << 30;
constexpr std::uint64_t kMaxNameTable = std::uint64_t{1} << 20;
constexpr const char* kExtensions[] = {".ttf", ".otf", ".ttc"};

// The last part of a path, without its extension.
std::string Stem(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

bool ReadWhole(const std::string& path, FileBytes* bytes, FontFaces* font, std::string* why) {
  FileHandle file = 0;
  std::uint64_t size = 0;
  if (!FileOpenForReading(path.c_str(), &file, &size, why)) {
    *why = "cannot open it: " + *why;
    return false;
  }
  bool read = size <= kMaxCopiedFont;
  if (read) {
    bytes->resize(static_cast<std::size_t>(size));
    read = size == 0 || FileReadAt(file, 0, bytes->data(), bytes->size());
    if (read) *font = ReadOpenFontFaces(file, size);
  }
  FileClose(file);
  if (!read) *why = size > kMaxCopiedFont ? "it is larger than any font, 1 GiB" : "cannot read it";
  return read;
}

// Where the name table of the face whose directory starts at offset lies: its offset and length;
// false when the directory cannot be read or lists none.
bool FindNameTable(FileHandle file, std::uint64_t size, std::uint64_t offset,
                   std::pair<std::uint64_t, std::uint64_t>* table) {
  std::vector<unsigned char> bytes;
  if (!ReadWithin(file, 0, size, offset, kFirstTableRecordPosition, &bytes)) return false;
  const std::uint64_t count = LoadBigEndian16(&bytes[kNumTablesPosition]);
  if (!ReadWithin(file, 0, size, offset + kFirstTableRecordPosition, count * kTableRecordSize,
                  &bytes)) {
    return false;
  }
  for (std::uint64_t i = 0; i < count; ++i) {
    const unsigned char* record = &bytes[i * kTableRecordSize];
    if (std::string(reinterpret_cast<const char*>(record), kTagSize) != "name") continue;
    *table = {LoadBigEndian32(record + kOffsetInRecord),
              LoadBigEndian32(record + kOffsetInRecord + 4)};
    return true;
  }
  return false;
}

// The names in the name table at offset, of length bytes; empty ones when it cannot be read.
FaceNames ReadNames(FileHandle file, std::uint64_t size, std::uint64_t offset,
                    std::uint64_t length) {
  std::vector<unsigned char> table;
  std::vector<NameRecord> records;
  if (length > kMaxNameTable || !ReadWithin(file, 0, size, offset, length, &table) ||
      !ParseNameTable(table, &records)) {
    return {};
  }
  return {DisplayName(records, kFamilyNameID), DisplayName(records, kStyleNameID),
          MarkedAsCopy(records)};
}

// What the system lists the copy by: its families and styles, and its kind.
std::string ListedName(const FixedCopy& copy) {
  std::string name;
  for (const CopiedFace& face : copy.faces) {
    if (!name.empty()) name += " & ";
    name += face.family + (face.style.empty() || face.style == "Regular" ? "" : " " + face.style);
  }
  return name + (copy.extension == ".otf" ? " (OpenType)" : " (TrueType)");
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

bool IsFixedCopy(const std::string& path) {
  const std::vector<FaceNames> names = ReadFaceNames(path);
  return std::any_of(names.begin(), names.end(), [](const FaceNames& n) { return n.copy; });
}

}  // namespace

std::vector<FaceNames> ReadFaceNames(const std::string& path) {
  FileHandle file = 0;
  std::uint64_t size = 0;
  std::string why;
  if (!FileOpenForReading(path.c_str(), &file, &size, &why)) return {};
  const FontFaces font = ReadFontDirectories(file, size);
  // Each directory and each name table is read once, however many members use it: the reader
  // refuses members whose directories or tables overlap without being the same, so the reading
  // grows with the file and not with its members.
  std::map<std::uint64_t, FaceNames> byDirectory;
  std::map<std::pair<std::uint64_t, std::uint64_t>, FaceNames> byTable;
  std::vector<FaceNames> names;
  for (const FaceSummary& face : font.faces) {
    const std::uint64_t directory = face.directory.first;
    auto known = byDirectory.find(directory);
    if (known == byDirectory.end()) {
      std::pair<std::uint64_t, std::uint64_t> table;
      FaceNames found;
      if (face.error.empty() && FindNameTable(file, size, directory, &table)) {
        auto read = byTable.find(table);
        if (read == byTable.end()) {
          read = byTable.emplace(table, ReadNames(file, size, table.first, table.second)).first;
        }
        found = read->second;
      }
      known = byDirectory.emplace(directory, found).first;
    }
    names.push_back(known->second);
  }
  FileClose(file);
  return names;
}

std::string InstalledCopyOf(const std::string& source) {
  std::string why;
  const std::string folder = UserFontFolder(&why);
  if (folder.empty()) return "";
  for (const char* extension : kExtensions) {
    const std::string path = PathInFolder(folder, Stem(source) + "-Fixed" + extension);
    if (LookAtPath(path).kind == PathKind::kFile && IsFixedCopy(path)) return path;
  }
  return "";
}

Installed InstallFixedCopy(const std::string& source, const std::string& family) {
  Installed installed;
  FileBytes bytes;
  FontFaces font;
  if (!ReadWhole(source, &bytes, &font, &installed.error)) return installed;
  if (!font.error.empty()) {
    installed.error = font.error;
    return installed;
  }
  const FixedCopy copy = MakeFixedCopy(bytes, font, family);
  installed.faces = copy.faces;
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
  const std::string path = PathInFolder(folder, Stem(source) + "-Fixed" + copy.extension);
  const PathFacts there = LookAtPath(path);
  if (there.kind != PathKind::kNothing && !(there.kind == PathKind::kFile && IsFixedCopy(path))) {
    installed.error =
        "your font folder already holds a file of its copy's name that Quenlo did "
        "not make; it is left as it is";
    return installed;
  }
  // An earlier copy of the same font, of this kind or another, gives way to this one.
  for (const char* extension : kExtensions) {
    const std::string earlier = PathInFolder(folder, Stem(source) + "-Fixed" + extension);
    if (LookAtPath(earlier).kind == PathKind::kFile && IsFixedCopy(earlier)) {
      UnregisterUserFont(earlier);
      if (earlier != path) FileRemove(earlier);
    }
  }
  if (!WriteInPlace(path, copy.bytes, &why)) {
    installed.error = "cannot write its copy into your font folder: " + why;
  } else if (!RegisterUserFont(path, ListedName(copy), &why)) {
    FileRemove(path);
    installed.error = "cannot install its copy: " + why;
  } else {
    installed.path = path;
  }
  UserFontsChanged(folder);
  return installed;
}

std::vector<std::string> UninstallFixedCopies(std::string* why) {
  std::vector<std::string> removed;
  const std::string folder = UserFontFolder(why);
  if (folder.empty()) return removed;
  for (const std::string& path : FilesInFolder(folder)) {
    if (!IsFixedCopy(path)) continue;
    UnregisterUserFont(path);
    FileRemove(path);
    if (LookAtPath(path).kind == PathKind::kNothing) {
      removed.push_back(path);
    } else {
      *why = "cannot remove " + path;
    }
  }
  UserFontsChanged(folder);
  return removed;
}
