// A web font's header and directories. Every number in them is untrusted: each is checked
// before anything is read or allocated by it, by subtraction from what remains.
#include <algorithm>

#include "sfnt/big_endian.h"
#include "sfnt/sfnt.h"
#include "webfont/web_font.h"

namespace {

constexpr std::uint64_t kWoffHeaderSize = 44;
constexpr std::uint64_t kWoffEntrySize = 20;
constexpr std::uint64_t kWoff2HeaderSize = 48;
constexpr std::uint32_t kArbitraryTag = 63;

// The tags that a WOFF2 table's flags byte names by number.
constexpr const char* kKnownTags[] = {
    "cmap", "head", "hhea", "hmtx", "maxp", "name", "OS/2", "post", "cvt ", "fpgm", "glyf",
    "loca", "prep", "CFF ", "VORG", "EBDT", "EBLC", "gasp", "hdmx", "kern", "LTSH", "PCLT",
    "VDMX", "vhea", "vmtx", "BASE", "GDEF", "GPOS", "GSUB", "EBSC", "JSTF", "MATH", "CBDT",
    "CBLC", "COLR", "CPAL", "SVG ", "sbix", "acnt", "avar", "bdat", "bloc", "bsln", "cvar",
    "fdsc", "feat", "fmtx", "fvar", "gvar", "hsty", "just", "lcar", "mort", "morx", "opbd",
    "prop", "trak", "Zapf", "Silf", "Glat", "Gloc", "Feat", "Sill"};

// Reads the file's bytes from a position on; each read says whether it fitted.
struct Cursor {
  const std::vector<unsigned char>& bytes;
  std::uint64_t at = 0;

  bool Has(std::uint64_t count) const { return at <= bytes.size() && count <= bytes.size() - at; }
  bool Byte(std::uint32_t* value) {
    if (!Has(1)) return false;
    *value = bytes[at++];
    return true;
  }
  bool U16(std::uint32_t* value) {
    if (!Has(2)) return false;
    *value = LoadBigEndian16(bytes.data() + at);
    at += 2;
    return true;
  }
  bool U32(std::uint32_t* value) {
    if (!Has(4)) return false;
    *value = LoadBigEndian32(bytes.data() + at);
    at += 4;
    return true;
  }
  bool Tag(std::string* tag) {
    if (!Has(kTagSize)) return false;
    tag->assign(reinterpret_cast<const char*>(bytes.data() + at), kTagSize);
    at += kTagSize;
    return true;
  }
  // WOFF2's variable-length numbers: base 128 in at most five bytes, no leading zeros.
  bool Base128(std::uint64_t* value) {
    std::uint64_t sum = 0;
    for (int i = 0; i < 5; ++i) {
      std::uint32_t byte = 0;
      if (!Byte(&byte) || (i == 0 && byte == 0x80) || (sum >> 25) != 0) return false;
      sum = sum << 7 | (byte & 0x7F);
      if ((byte & 0x80) == 0) {
        *value = sum;
        return true;
      }
    }
    return false;
  }
  // WOFF2's 255UInt16: one byte, or a code byte and one or two more.
  bool U255(std::uint32_t* value) {
    std::uint32_t code = 0;
    if (!Byte(&code)) return false;
    if (code == 253) return U16(value);
    std::uint32_t next = 0;
    if (code == 254 || code == 255) {
      if (!Byte(&next)) return false;
      *value = next + (code == 255 ? 253 : 506);
      return true;
    }
    *value = code;
    return true;
  }
};

bool Within(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
  return offset <= size && length <= size - offset;
}

WebFont Refused(std::string why) {
  WebFont font;
  font.error = std::move(why);
  return font;
}

// The header's fields after its length, which both formats share but for WOFF2's
// totalCompressedSize; cursor stands at numTables.
bool ReadBlocks(Cursor* cursor, WebFont* font) {
  std::uint32_t metaOffset = 0, metaLength = 0, metaOrigLength = 0, privOffset = 0, privLength = 0,
                version = 0;
  if (!cursor->U32(&version) || !cursor->U32(&metaOffset) || !cursor->U32(&metaLength) ||
      !cursor->U32(&metaOrigLength) || !cursor->U32(&privOffset) || !cursor->U32(&privLength)) {
    return false;
  }
  font->metaOffset = metaLength == 0 ? 0 : metaOffset;
  font->metaLength = metaLength;
  font->privOffset = privLength == 0 ? 0 : privOffset;
  font->privLength = privLength;
  const std::uint64_t size = cursor->bytes.size();
  return Within(font->metaOffset, font->metaLength, size) &&
         Within(font->privOffset, font->privLength, size);
}

std::string CheckDecodedLengths(const WebFont& font, std::uint64_t fileSize) {
  std::uint64_t declared = 0;
  for (const WebTable& table : font.tables)
    declared += std::max(table.origLength, table.storedLength);
  declared = std::max(declared, font.decodedLength);
  if (declared > kMaxDecodedBytes || declared / kMaxDecodedPerStoredByte > fileSize) {
    return "its tables claim " + std::to_string(declared) + " bytes decompressed, more than a " +
           "real web font of " + std::to_string(fileSize) + " bytes holds";
  }
  return "";
}

// Whether a font lists a tag twice; a collection's members may each have a table of a tag.
bool DuplicateTags(const WebFont& font) {
  for (const WebMember& member : font.members) {
    std::vector<std::string> tags;
    for (const std::size_t index : member.tables) tags.push_back(font.tables[index].tag);
    std::sort(tags.begin(), tags.end());
    if (std::adjacent_find(tags.begin(), tags.end()) != tags.end()) return true;
  }
  return false;
}

WebFont ParseWoff(const std::vector<unsigned char>& file) {
  WebFont font;
  font.flavour = WebFlavour::kWoff;
  Cursor cursor{file, 4};
  std::uint32_t length = 0, numTables = 0, reserved = 0, totalSfntSize = 0;
  if (!cursor.U32(&font.flavor) || !cursor.U32(&length) || !cursor.U16(&numTables) ||
      !cursor.U16(&reserved) || !cursor.U32(&totalSfntSize) || !ReadBlocks(&cursor, &font)) {
    return Refused("its WOFF header is cut short or points past the end of the file");
  }
  if (font.flavor == kCollectionTag) return Refused("a WOFF file cannot hold a collection");
  if (numTables == 0) return Refused("its WOFF header lists no table");
  if (!cursor.Has(numTables * kWoffEntrySize)) {
    return Refused("its WOFF table directory runs past the end of the file");
  }
  const std::uint64_t directoryEnd = kWoffHeaderSize + numTables * kWoffEntrySize;
  // The stored spans, which must lie apart, so that a table rewritten in place of its own
  // bytes moves nothing else.
  std::vector<std::pair<std::uint64_t, std::uint64_t>> spans = {{0, directoryEnd}};
  if (font.metaLength > 0) spans.push_back({font.metaOffset, font.metaOffset + font.metaLength});
  if (font.privLength > 0) spans.push_back({font.privOffset, font.privOffset + font.privLength});
  font.members.resize(1);
  font.members[0].flavor = font.flavor;
  for (std::uint32_t i = 0; i < numTables; ++i) {
    WebTable table;
    std::uint32_t offset = 0, compLength = 0, origLength = 0;
    cursor.Tag(&table.tag);
    cursor.U32(&offset);
    cursor.U32(&compLength);
    cursor.U32(&origLength);
    cursor.U32(&table.origChecksum);
    if (!Within(offset, compLength, file.size()) || compLength > origLength) {
      return Refused("its WOFF table " + std::string("'") + table.tag +
                     "' lies past the end of the file or is longer stored than decoded");
    }
    table.offset = offset;
    table.storedLength = compLength;
    table.origLength = origLength;
    if (compLength > 0) spans.push_back({offset, std::uint64_t{offset} + compLength});
    font.members[0].tables.push_back(font.tables.size());
    font.tables.push_back(table);
  }
  std::sort(spans.begin(), spans.end());
  for (std::size_t i = 1; i < spans.size(); ++i) {
    if (spans[i].first < spans[i - 1].second) {
      return Refused("its WOFF tables overlap each other or its directory");
    }
  }
  font.error = CheckDecodedLengths(font, file.size());
  return font;
}

// A WOFF2 collection's directory: each font's sfnt version and its tables by number.
bool ReadCollectionDirectory(Cursor* cursor, WebFont* font) {
  std::uint32_t numFonts = 0;
  if (!cursor->U32(&font->collectionVersion) || !cursor->U255(&numFonts) || numFonts == 0) {
    return false;
  }
  for (std::uint32_t member = 0; member < numFonts; ++member) {
    std::uint32_t numTables = 0;
    WebMember web;
    if (!cursor->U255(&numTables) || numTables == 0 || !cursor->U32(&web.flavor)) return false;
    for (std::uint32_t i = 0; i < numTables; ++i) {
      std::uint32_t index = 0;
      if (!cursor->U255(&index) || index >= font->tables.size()) return false;
      web.tables.push_back(index);
    }
    font->members.push_back(std::move(web));
  }
  return true;
}

WebFont ParseWoff2(const std::vector<unsigned char>& file) {
  WebFont font;
  font.flavour = WebFlavour::kWoff2;
  Cursor cursor{file, 4};
  std::uint32_t length = 0, numTables = 0, reserved = 0, totalSfntSize = 0, compressed = 0;
  if (!cursor.U32(&font.flavor) || !cursor.U32(&length) || !cursor.U16(&numTables) ||
      !cursor.U16(&reserved) || !cursor.U32(&totalSfntSize) || !cursor.U32(&compressed) ||
      !ReadBlocks(&cursor, &font) || cursor.at != kWoff2HeaderSize) {
    return Refused("its WOFF2 header is cut short or points past the end of the file");
  }
  if (numTables == 0) return Refused("its WOFF2 header lists no table");
  for (std::uint32_t i = 0; i < numTables; ++i) {
    WebTable table;
    std::uint32_t flags = 0;
    std::uint64_t origLength = 0;
    if (!cursor.Byte(&flags)) return Refused("its WOFF2 table directory is cut short");
    const std::uint32_t known = flags & 0x3F;
    if (known == kArbitraryTag) {
      if (!cursor.Tag(&table.tag)) return Refused("its WOFF2 table directory is cut short");
    } else {
      table.tag = kKnownTags[known];
    }
    const std::uint32_t transform = flags >> 6;
    const bool glyphs = table.tag == "glyf" || table.tag == "loca";
    table.transformed = glyphs ? transform != 3 : transform != 0;
    if (!cursor.Base128(&origLength)) return Refused("its WOFF2 table directory is cut short");
    table.origLength = origLength;
    table.storedLength = origLength;
    if (table.transformed && !cursor.Base128(&table.storedLength)) {
      return Refused("its WOFF2 table directory is cut short");
    }
    if (table.transformed && !glyphs && !(table.tag == "hmtx" && transform == 1)) {
      return Refused("its WOFF2 table '" + table.tag + "' has a transform that no reader knows");
    }
    table.offset = font.decodedLength;
    font.decodedLength += table.storedLength;
    font.tables.push_back(table);
  }
  if (font.flavor == kCollectionTag) {
    if (!ReadCollectionDirectory(&cursor, &font)) {
      return Refused("its WOFF2 collection directory is cut short or names no table");
    }
  } else {
    font.members.resize(1);
    font.members[0].flavor = font.flavor;
    for (std::size_t i = 0; i < font.tables.size(); ++i) font.members[0].tables.push_back(i);
  }
  font.streamOffset = cursor.at;
  font.streamLength = compressed;
  if (!Within(font.streamOffset, font.streamLength, file.size())) {
    return Refused("its WOFF2 compressed stream runs past the end of the file");
  }
  font.error = CheckDecodedLengths(font, file.size());
  return font;
}

}  // namespace

WebFlavour WebFlavourOf(std::uint32_t signature) {
  if (signature == kWoffSignature) return WebFlavour::kWoff;
  if (signature == kWoff2Signature) return WebFlavour::kWoff2;
  return WebFlavour::kNone;
}

const char* WebFlavourName(WebFlavour flavour) {
  switch (flavour) {
    case WebFlavour::kWoff:
      return "WOFF";
    case WebFlavour::kWoff2:
      return "WOFF2";
    case WebFlavour::kNone:
      break;
  }
  return "";
}

WebFont ParseWebFont(const std::vector<unsigned char>& file) {
  if (file.size() < 4) return Refused("it ends before its header");
  const std::uint32_t signature = LoadBigEndian32(file.data());
  WebFont font = WebFlavourOf(signature) == WebFlavour::kWoff ? ParseWoff(file) : ParseWoff2(file);
  if (!font.error.empty()) return font;
  if (DuplicateTags(font)) return Refused("its table directory lists a table twice");
  const std::uint32_t length = LoadBigEndian32(file.data() + 8);
  if (length != file.size()) {
    return Refused("its header gives a length of " + std::to_string(length) + " bytes, the file " +
                   "holds " + std::to_string(file.size()));
  }
  return font;
}
