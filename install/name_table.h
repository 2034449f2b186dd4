// A font's name table: what programs call its family and style, and the renamed table of a fixed
// copy, whose family no program can take for the original's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using NameBytes = std::vector<unsigned char>;

struct NameRecord {
  std::uint16_t platformID = 0;
  std::uint16_t encodingID = 0;
  std::uint16_t languageID = 0;
  std::uint16_t nameID = 0;
  NameBytes text;  // as stored: UTF-16BE on platforms 0 and 3, 8-bit on platform 1
};

constexpr std::uint16_t kFamilyNameID = 1;
constexpr std::uint16_t kStyleNameID = 2;
constexpr std::uint16_t kVersionNameID = 5;
constexpr std::uint16_t kPostScriptNameID = 6;

// The most characters a PostScript name may have.
constexpr std::size_t kMaxPostScriptName = 63;

// The longest family name, in UTF-16 units, that GDI selects a font by (LF_FACESIZE less its 0).
constexpr std::size_t kMaxFamilyUnits = 31;

// What a fixed copy's version string (name ID 5) ends with, before its tag: the tag that the
// copy's file name also carries (see copy_name.h), so that neither alone makes a file a copy.
constexpr char kCopyMark[] = "fixed copy by Quenlo ";
constexpr std::size_t kCopyTagLength = 8;

// Whether tag has the form of a copy's tag: kCopyTagLength lowercase hexadecimal digits.
bool IsCopyTag(const std::string& tag);

// The most text that a name table's records may come to together, each record's counted on its
// own: no real font's names come near it, also where records share one string, while a table of
// many records that all point at one long string would claim thousands of times its size.
constexpr std::size_t kMaxNameTexts = std::size_t{1} << 20;

// The records of a name table of format 0 or 1; false when it does not hold together, or when
// its records' texts come to more than kMaxNameTexts.
bool ParseNameTable(const NameBytes& table, std::vector<NameRecord>* records);

// A name table of format 0 holding the records, sorted as the format requires, each text stored
// on its own; empty when its 16-bit lengths and offsets cannot reach them all.
NameBytes BuildNameTable(std::vector<NameRecord> records);

// The name with nameID as programs show it, in UTF-8: from a Windows record in US English, else
// any Windows record, else a Unicode one, else a Macintosh Roman one; "" when there is none.
std::string DisplayName(const std::vector<NameRecord>& records, std::uint16_t nameID);

// The tag of the fixed copy whose records carry its mark; "" when they carry none.
std::string CopyTagOf(const std::vector<NameRecord>& records);

struct Renaming {
  std::string error;                // why the font cannot be renamed; empty when it was
  std::vector<NameRecord> records;  // the renamed records
  std::string family;               // the new family as programs show it
};

// The records of a fixed copy: in every record of the family (1), unique (3), full (4),
// PostScript (6), typographic family (16) and WWS family (21) names, on every platform and in
// every language, the family gets the suffix " Fixed" (the PostScript name "Fixed" before its
// style, cut from its family's part to kMaxPostScriptName), or with family not empty, is that
// family; the renamed texts on the wide platforms are sound UTF-16. A family that the suffix
// would take past kMaxFamilyUnits is first cut to the characters that leave room for it. The
// version (5) gets kCopyMark and tag, and a Windows version record holding them is added where
// there is none. With keepPostScriptName (a CFF font, whose CFF table must hold the same name) the
// PostScript name stays as it is. A Macintosh record that cannot hold a new family of other than
// ASCII is dropped. Refuses a family given of more than kMaxFamilyUnits UTF-16 units, and a font
// with an empty family record.
Renaming RenamedForCopy(const std::vector<NameRecord>& records, const std::string& family,
                        const std::string& tag, bool keepPostScriptName);
