// Strings are renamed in the form they are stored in: UTF-16 units on the Unicode and Windows
// platforms, bytes on the Macintosh one, where the family's ASCII suffix keeps every 8-bit
// encoding's other characters as they were.
#include "install/name_table.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>

#include "common/utf8.h"
#include "sfnt/big_endian.h"

namespace {

constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kRecordSize = 12;
constexpr std::size_t kMax16 = 0xFFFF;  // the most that a length or an offset can say
constexpr std::uint16_t kUnicodePlatform = 0;
constexpr std::uint16_t kMacintoshPlatform = 1;
constexpr std::uint16_t kWindowsPlatform = 3;
constexpr std::uint16_t kUsEnglish = 0x409;
constexpr char kSuffix[] = " Fixed";
constexpr std::uint16_t kRenamedIDs[] = {1, 3, 4, 6, 16, 21};

bool IsWide(const NameRecord& record) { return record.platformID != kMacintoshPlatform; }

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The string as stored: UTF-16BE for the wide platforms, its bytes for the Macintosh one.
NameBytes Stored(const std::string& utf8, bool wide) {
  if (!wide) return NameBytes(utf8.begin(), utf8.end());
  NameBytes bytes;
  const auto unit = [&](std::uint32_t u) {
    bytes.push_back(static_cast<unsigned char>(u >> 8));
    bytes.push_back(static_cast<unsigned char>(u & 0xFF));
  };
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t length = Utf8Length(utf8, i);
    const std::uint32_t c = length == 0 ? 0xFFFD : Utf8CodePoint(utf8, i, length);
    if (c >= 0x10000) {
      unit(0xD800 + ((c - 0x10000) >> 10));
      unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      unit(c);
    }
    i += length == 0 ? 1 : length;
  }
  return bytes;
}

void AppendUtf8(std::uint32_t c, std::string* text) {
  if (c < 0x80) {
    *text += static_cast<char>(c);
  } else if (c < 0x800) {
    *text += static_cast<char>(0xC0 | c >> 6);
    *text += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *text += static_cast<char>(0xE0 | c >> 12);
    *text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    *text += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *text += static_cast<char>(0xF0 | c >> 18);
    *text += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    *text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    *text += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The record's text in UTF-8; a Macintosh record's bytes past ASCII become U+FFFD.
std::string Text(const NameRecord& record) {
  std::string text;
  const NameBytes& bytes = record.text;
  if (!IsWide(record)) {
    for (const unsigned char byte : bytes) AppendUtf8(byte < 0x80 ? byte : 0xFFFD, &text);
    return text;
  }
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t c = LoadBigEndian16(&bytes[i]);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
      const std::uint32_t low = LoadBigEndian16(&bytes[i + 2]);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    AppendUtf8(c >= 0xD800 && c < 0xE000 ? 0xFFFD : c, &text);
  }
  return text;
}

// A record's text as a string of its own units, in which the family is found and the suffix
// added: UTF-8 for the wide platforms (a lone surrogate or an odd last byte becomes U+FFFD or is
// dropped, so that the renamed text is sound UTF-16), the bytes themselves on the Macintosh one.
std::string Units(const NameRecord& record) {
  return IsWide(record) ? Text(record) : std::string(record.text.begin(), record.text.end());
}

NameBytes StoredAs(const NameRecord& record, const std::string& units) {
  return Stored(units, IsWide(record));
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return !prefix.empty() && text.compare(0, prefix.size(), prefix) == 0;
}

// A record's platform, encoding and language, which its renamed text keeps to.
using Language = std::tuple<std::uint16_t, std::uint16_t, std::uint16_t>;

Language LanguageOf(const NameRecord& record) {
  return {record.platformID, record.encodingID, record.languageID};
}

// The family record of each platform, encoding and language: the first, where there are more.
using FamilyRecords = std::map<Language, const NameRecord*>;

FamilyRecords FamiliesOf(const std::vector<NameRecord>& records) {
  FamilyRecords families;
  for (const NameRecord& record : records) {
    if (record.nameID == kFamilyNameID) families.emplace(LanguageOf(record), &record);
  }
  return families;
}

// A PostScript name's characters: printable ASCII but spaces and the characters that PostScript
// names may not hold.
std::string PostScriptPart(const std::string& text) {
  std::string part;
  for (const char c : text) {
    if (c > 0x20 && c < 0x7F && std::string("[](){}<>/%").find(c) == std::string::npos) part += c;
  }
  return part;
}

// A PostScript name of head, then middle, then tail, within the 63 characters that PostScript
// names may have: the head, the family's part, gives way first, then the tail.
std::string PostScriptName(std::string head, const std::string& middle, std::string tail) {
  const std::size_t room = kMaxPostScriptName - std::min(kMaxPostScriptName, middle.size());
  if (tail.size() > room) tail.resize(room);
  if (head.size() > room - tail.size()) head.resize(room - tail.size());
  return head + middle + tail;
}

std::size_t Utf16Units(const std::string& text) { return Stored(text, true).size() / 2; }

// A family short enough for GDI to select once the suffix is added: one that would pass
// kMaxFamilyUnits with it is cut to its first characters that leave room for the suffix (whole
// characters, trailing spaces dropped), so that no copy is refused for its family's length. A
// Macintosh record is cut so only when it is ASCII, whose bytes are its characters.
std::string ShortFamily(const NameRecord& record, const std::string& units) {
  const std::size_t room = kMaxFamilyUnits - (sizeof kSuffix - 1);
  if (!IsWide(record) && !IsAscii(units)) return units;
  std::string cut = Utf8PrefixOfUtf16Units(units, room);
  if (cut.size() == units.size()) return units;
  while (!cut.empty() && cut.back() == ' ') cut.pop_back();
  return cut;
}

// The renamed text of one record; false when a Macintosh record cannot hold the new family.
bool RenamedText(const FamilyRecords& families, const NameRecord& record, const std::string& family,
                 NameBytes* text) {
  if (!IsWide(record) && !family.empty() && !IsAscii(family)) return false;
  const std::string old = Units(record);
  const auto familyRecord = families.find(LanguageOf(record));
  const std::string oldFamily =
      familyRecord != families.end() ? Units(*familyRecord->second) : std::string();
  const std::string newFamily = family.empty() ? ShortFamily(record, oldFamily) + kSuffix : family;
  switch (record.nameID) {
    case 1:
    case 16:
    case 21:
      *text = StoredAs(record, family.empty() ? ShortFamily(record, old) + kSuffix : family);
      return true;
    case 4:
      // The full name starts with the family, its style follows.
      *text = StoredAs(record, StartsWith(old, oldFamily)
                                   ? newFamily + old.substr(oldFamily.size())
                                   : old + (family.empty() ? kSuffix : " " + family));
      return true;
    case 6: {
      // The PostScript name has no spaces: "Fixed", or the new family's part, before the style.
      const std::string name = PostScriptPart(old);
      const std::size_t dash = std::min(name.find('-'), name.size());
      const std::string part = PostScriptPart(family);
      *text =
          StoredAs(record, family.empty() || part.empty()
                               ? PostScriptName(name.substr(0, dash), "Fixed", name.substr(dash))
                               : PostScriptName(part, "", name.substr(dash)));
      return true;
    }
    default:  // the unique name, which need only differ
      *text = StoredAs(record, old + kSuffix);
      return true;
  }
}

// The version string with the mark of the copy whose file carries tag.
std::string Marked(const std::string& version, const std::string& tag) {
  return version + (version.empty() ? "" : "; ") + kCopyMark + tag;
}

}  // namespace

bool ParseNameTable(const NameBytes& table, std::vector<NameRecord>* records) {
  if (table.size() < kHeaderSize) return false;
  const std::size_t count = LoadBigEndian16(&table[2]);
  const std::size_t storage = LoadBigEndian16(&table[4]);
  if (count > (table.size() - kHeaderSize) / kRecordSize || storage > table.size()) return false;
  records->clear();
  std::size_t texts = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char* at = &table[kHeaderSize + kRecordSize * i];
    NameRecord record;
    record.platformID = LoadBigEndian16(at);
    record.encodingID = LoadBigEndian16(at + 2);
    record.languageID = LoadBigEndian16(at + 4);
    record.nameID = LoadBigEndian16(at + 6);
    const std::size_t length = LoadBigEndian16(at + 8);
    const std::size_t offset = LoadBigEndian16(at + 10);
    if (offset > table.size() - storage || length > table.size() - storage - offset) return false;
    texts += length;
    if (texts > kMaxNameTexts) return false;
    const auto first = table.begin() + static_cast<std::ptrdiff_t>(storage + offset);
    record.text.assign(first, first + static_cast<std::ptrdiff_t>(length));
    records->push_back(record);
  }
  return true;
}

NameBytes BuildNameTable(std::vector<NameRecord> records) {
  std::sort(records.begin(), records.end(), [](const NameRecord& a, const NameRecord& b) {
    return std::tie(a.platformID, a.encodingID, a.languageID, a.nameID) <
           std::tie(b.platformID, b.encodingID, b.languageID, b.nameID);
  });
  NameBytes table(kHeaderSize + kRecordSize * records.size());
  if (table.size() > kMax16) return {};
  StoreBigEndian16(static_cast<std::uint16_t>(records.size()), &table[2]);
  StoreBigEndian16(static_cast<std::uint16_t>(table.size()), &table[4]);
  NameBytes storage;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const NameRecord& record = records[i];
    if (record.text.size() > kMax16 || storage.size() > kMax16) return {};
    unsigned char* at = &table[kHeaderSize + kRecordSize * i];
    StoreBigEndian16(record.platformID, at);
    StoreBigEndian16(record.encodingID, at + 2);
    StoreBigEndian16(record.languageID, at + 4);
    StoreBigEndian16(record.nameID, at + 6);
    StoreBigEndian16(static_cast<std::uint16_t>(record.text.size()), at + 8);
    StoreBigEndian16(static_cast<std::uint16_t>(storage.size()), at + 10);
    storage.insert(storage.end(), record.text.begin(), record.text.end());
  }
  table.insert(table.end(), storage.begin(), storage.end());
  return table;
}

std::string DisplayName(const std::vector<NameRecord>& records, std::uint16_t nameID) {
  const NameRecord* best = nullptr;
  int bestRank = 0;
  for (const NameRecord& record : records) {
    if (record.nameID != nameID) continue;
    int rank = 0;
    if (record.platformID == kWindowsPlatform) rank = record.languageID == kUsEnglish ? 4 : 3;
    if (record.platformID == kUnicodePlatform) rank = 2;
    if (record.platformID == kMacintoshPlatform && record.encodingID == 0) rank = 1;
    if (rank > bestRank) {
      best = &record;
      bestRank = rank;
    }
  }
  return best != nullptr ? Text(*best) : "";
}

std::string CopyTagOf(const std::vector<NameRecord>& records) {
  for (const NameRecord& record : records) {
    if (record.nameID != kVersionNameID) continue;
    const std::string text = Text(record);
    const std::size_t mark = text.rfind(kCopyMark);
    if (mark == std::string::npos) continue;
    const std::string tag = text.substr(mark + std::strlen(kCopyMark));
    if (IsCopyTag(tag)) return tag;
  }
  return "";
}

Renaming RenamedForCopy(const std::vector<NameRecord>& records, const std::string& family,
                        const std::string& tag, bool keepPostScriptName) {
  Renaming renaming;
  // Refused first, so that no record is given a name that is refused anyway.
  if (!family.empty() && Utf16Units(family) > kMaxFamilyUnits) {
    renaming.error = "the family " + family + " is longer than the " +
                     std::to_string(kMaxFamilyUnits) + " characters that Windows selects a font by";
    return renaming;
  }
  const FamilyRecords families = FamiliesOf(records);
  for (const auto& [language, record] : families) {
    if (Units(*record).empty()) {
      renaming.error =
          "a record of its family name is empty, so its copy would have no family of "
          "its own";
      return renaming;
    }
  }
  bool marked = false;
  for (const NameRecord& record : records) {
    const bool renamed = std::find(std::begin(kRenamedIDs), std::end(kRenamedIDs), record.nameID) !=
                             std::end(kRenamedIDs) &&
                         !(keepPostScriptName && record.nameID == kPostScriptNameID);
    NameRecord copy = record;
    if (renamed && !RenamedText(families, record, family, &copy.text)) continue;
    if (record.nameID == kVersionNameID) {
      copy.text = StoredAs(record, Marked(Units(record), tag));
      marked = marked || IsWide(record);
    }
    renaming.records.push_back(copy);
  }
  // Every copy carries the mark where it is looked for, also one whose font has no version.
  if (!marked) {
    renaming.records.push_back(
        {kWindowsPlatform, 1, kUsEnglish, kVersionNameID, Stored(Marked("", tag), true)});
  }
  renaming.family = DisplayName(renaming.records, kFamilyNameID);
  if (renaming.family.empty()) renaming.error = "it has no family name to rename";
  return renaming;
}

bool IsCopyTag(const std::string& tag) {
  return tag.size() == kCopyTagLength && std::all_of(tag.begin(), tag.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}
