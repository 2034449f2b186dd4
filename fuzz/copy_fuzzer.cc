// Fuzz target for the fixed copy installed for the user: any bytes as the font, read behind the
// in-memory file. Making its copy must never crash or read out of bounds, and a copy that is
// made must be no larger than the bound it keeps to, and must read back as a font of the copied
// faces, each holding the width written for it, under renamed names that are sound UTF-16 with
// the suffix whole and the mark of a copy. Records it does not rename keep their bytes as they
// were, sound or not.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/require.h"
#include "install/fixed_copy.h"
#include "install/name_table.h"
#include "sfnt/sfnt.h"
#include "tests/fake_file.h"

namespace {

// Whether text is whole UTF-16BE: an even length, every surrogate in a pair.
bool SoundUtf16(const NameBytes& text) {
  if (text.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const unsigned unit = static_cast<unsigned>(text[i]) << 8 | text[i + 1];
    if (unit >= 0xDC00 && unit < 0xE000) return false;
    if (unit >= 0xD800 && unit < 0xDC00) {
      if (i + 3 >= text.size() || text[i + 2] < 0xDC || text[i + 2] >= 0xE0) return false;
      i += 2;
    }
  }
  return true;
}

NameBytes Utf16Of(const std::string& ascii) {
  NameBytes bytes;
  for (const char c : ascii) bytes.insert(bytes.end(), {0, static_cast<unsigned char>(c)});
  return bytes;
}

// The names of the copy's face: those it renames or marks sound UTF-16 on the wide platforms, its
// families ending with the suffix whole or being the chosen family, and its version carrying the
// copy's tag.
void RequireSoundNames(const FaceSummary& face, const std::string& family) {
  NameBytes table(face.name.length);
  FileHandle file = 0;
  std::uint64_t size = 0;
  std::string why;
  Require(FileOpenForReading("copy.ttc", &file, &size, &why), "the copy cannot be opened");
  const bool read =
      face.name.record != 0 &&
      (table.empty() || FileReadAt(file, face.name.offset, table.data(), table.size()));
  FileClose(file);
  Require(read, "a face of the copy has no name table");
  std::vector<NameRecord> records;
  Require(ParseNameTable(table, &records), "a copy's name table does not hold together");
  const NameBytes wanted = Utf16Of(family.empty() ? " Fixed" : family);
  for (const NameRecord& record : records) {
    // A CFF copy keeps its PostScript name, which its CFF table names it by.
    const bool renamed = record.nameID == 1 || (record.nameID >= 3 && record.nameID <= 5) ||
                         (record.nameID == 6 && face.sfntVersion != kCffVersion) ||
                         record.nameID == 16 || record.nameID == 21;
    if (record.platformID == 1 || !renamed) continue;
    Require(SoundUtf16(record.text), "a copy's name is not sound UTF-16");
    if (record.nameID != 1 && record.nameID != 16 && record.nameID != 21) continue;
    Require(record.text.size() >= wanted.size() &&
                std::equal(wanted.begin(), wanted.end(),
                           record.text.end() - static_cast<std::ptrdiff_t>(wanted.size())),
            "a copy's family does not end with its suffix whole");
  }
  Require(CopyTagOf(records) == "0123abcd", "a copy does not carry its mark");
}

void RequireReadsBack(const FixedCopy& copy, std::size_t fontSize, const std::string& family) {
  if (!copy.error.empty() || copy.bytes.empty()) return;
  // Its directories and tables, at most three bytes of padding for each 16-byte record, and a
  // collection's header.
  const std::size_t most = 2 * fontSize + (std::size_t{1} << 20);
  Require(copy.bytes.size() <= most + most / 4 + 16 + 4 * copy.faces.size(),
          "the copy is larger than its bound");
  ResetFakeFile(copy.bytes);
  const FontFaces read = ReadFontFaces("copy.ttc");
  Require(read.error.empty() && read.faces.size() == copy.faces.size(),
          "the copy does not read back as its faces");
  for (std::size_t i = 0; i < read.faces.size(); ++i) {
    Require(read.faces[i].error.empty(), "a face of the copy cannot be read");
    Require(read.faces[i].xAvgCharWidth == copy.faces[i].written,
            "a face of the copy does not hold its width");
    RequireSoundNames(read.faces[i], family);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const FileBytes bytes(data, data + size);
  ResetFakeFile(bytes);
  const FontFaces font = ReadFontFaces("font.ttc");
  for (const char* family : {"", "Fuzz Mono"}) {
    ResetFakeFile(bytes);
    FileHandle file = 0;
    std::uint64_t length = 0;
    std::string why;
    Require(FileOpenForReading("font.ttc", &file, &length, &why), "the font cannot be opened");
    const FixedCopy copy = MakeFixedCopy(file, length, font, family, "0123abcd");
    FileClose(file);
    RequireReadsBack(copy, size, family);
  }
  return 0;
}
