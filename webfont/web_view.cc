// The view holds each table once, however many members list it, as a collection on disk does, so
// that the reader's rules about shared tables hold for it.
#include "webfont/web_view.h"

#include <algorithm>
#include <map>
#include <set>

#include "sfnt/big_endian.h"
#include "sfnt/checksum.h"
#include "sfnt/sfnt.h"
#include "webfont/compression.h"

namespace {

// The tables that the check reads, and the fixer writes or looks at.
bool ViewTag(const std::string& tag) {
  static const char* const kTags[] = {"OS/2", "cmap", "head", "hhea", "hmtx",
                                      "maxp", "name", "post", "DSIG"};
  return std::any_of(std::begin(kTags), std::end(kTags), [&](const char* t) { return tag == t; });
}

// hhea's numberOfHMetrics and maxp's numGlyphs.
constexpr std::size_t kNumberOfHMetricsInHhea = 34;
constexpr std::size_t kNumGlyphsInMaxp = 4;

// The stored bytes of each wanted table, by index: WOFF's each on its own, WOFF2's from one pass
// over the stream.
std::string DecodeTables(const WebFont& font, const std::vector<unsigned char>& file,
                         const std::vector<std::size_t>& wanted,
                         std::map<std::size_t, std::vector<unsigned char>>* decoded) {
  if (font.flavour == WebFlavour::kWoff) {
    for (const std::size_t index : wanted) {
      const WebTable& table = font.tables[index];
      std::vector<unsigned char>& bytes = (*decoded)[index];
      const unsigned char* stored = file.data() + table.offset;
      if (table.storedLength == table.origLength) {
        bytes.assign(stored, stored + table.storedLength);
      } else if (!Inflate(stored, table.storedLength, table.origLength, &bytes)) {
        return "its WOFF table '" + table.tag + "' does not decompress to its length";
      }
    }
    return "";
  }
  std::vector<StreamPart> parts;
  for (const std::size_t index : wanted) {
    parts.push_back({font.tables[index].offset, font.tables[index].storedLength, {}});
  }
  if (!BrotliDecodeParts(file.data() + font.streamOffset, font.streamLength, font.decodedLength,
                         &parts)) {
    return "its WOFF2 stream is damaged, or decodes to another length than its tables'";
  }
  for (std::size_t i = 0; i < wanted.size(); ++i) (*decoded)[wanted[i]] = std::move(parts[i].bytes);
  return "";
}

// WOFF2's transformed hmtx: a flags byte, the advances, then the side bearings that the flags do
// not leave out. Rebuilt with the advances and those side bearings, the others 0.
std::string RebuildHmtx(const std::vector<unsigned char>& stored,
                        const std::vector<unsigned char>& hhea,
                        const std::vector<unsigned char>& maxp, std::vector<unsigned char>* hmtx) {
  if (hhea.size() < kNumberOfHMetricsInHhea + 2 || maxp.size() < kNumGlyphsInMaxp + 2) {
    return "its transformed 'hmtx' table comes without the 'hhea' and 'maxp' that it needs";
  }
  const std::size_t longMetrics = LoadBigEndian16(hhea.data() + kNumberOfHMetricsInHhea);
  const std::size_t numGlyphs = LoadBigEndian16(maxp.data() + kNumGlyphsInMaxp);
  if (stored.empty() || (stored[0] & 0xFC) != 0 || longMetrics == 0 || longMetrics > numGlyphs) {
    return "its transformed 'hmtx' table cannot be rebuilt";
  }
  const bool lsbs = (stored[0] & 1) == 0;
  const bool bearings = (stored[0] & 2) == 0;
  const std::size_t need = 1 + 2 * longMetrics + (lsbs ? 2 * longMetrics : 0) +
                           (bearings ? 2 * (numGlyphs - longMetrics) : 0);
  if (stored.size() != need) return "its transformed 'hmtx' table has another length than it needs";
  hmtx->assign(4 * longMetrics + 2 * (numGlyphs - longMetrics), 0);
  const unsigned char* lsb = stored.data() + 1 + 2 * longMetrics;
  for (std::size_t i = 0; i < longMetrics; ++i) {
    std::copy_n(stored.data() + 1 + 2 * i, 2, hmtx->data() + 4 * i);
    if (lsbs) std::copy_n(lsb + 2 * i, 2, hmtx->data() + 4 * i + 2);
  }
  if (bearings) {
    const unsigned char* rest = lsb + (lsbs ? 2 * longMetrics : 0);
    std::copy_n(rest, 2 * (numGlyphs - longMetrics), hmtx->data() + 4 * longMetrics);
  }
  return "";
}

// The table of member with tag, or none.
const std::size_t* Find(const WebFont& font, const WebMember& member, const char* tag) {
  for (const std::size_t& index : member.tables) {
    if (font.tables[index].tag == tag) return &index;
  }
  return nullptr;
}

void Append(std::vector<unsigned char>* bytes, std::uint32_t value, int size) {
  unsigned char stored[4];
  StoreBigEndian32(value, stored);
  bytes->insert(bytes->end(), stored + 4 - size, stored + 4);
}

// An offset table with the search fields for numTables.
void AppendOffsetTable(std::vector<unsigned char>* bytes, std::uint32_t version,
                       std::uint32_t numTables) {
  std::uint32_t power = 1, log = 0;
  while (power * 2 <= numTables) {
    power *= 2;
    ++log;
  }
  Append(bytes, version, 4);
  Append(bytes, numTables, 2);
  Append(bytes, 16 * power, 2);
  Append(bytes, log, 2);
  Append(bytes, 16 * numTables - 16 * power, 2);
}

}  // namespace

bool DecodeWoff2Stream(const WebFont& font, const std::vector<unsigned char>& file,
                       std::vector<unsigned char>* stream) {
  std::vector<StreamPart> parts = {{0, font.decodedLength, {}}};
  if (!BrotliDecodeParts(file.data() + font.streamOffset, font.streamLength, font.decodedLength,
                         &parts)) {
    return false;
  }
  *stream = std::move(parts[0].bytes);
  return true;
}

WebView DecodeWebView(const WebFont& font, const std::vector<unsigned char>& file) {
  WebView view;
  std::vector<std::size_t> wanted;
  for (std::size_t i = 0; i < font.tables.size(); ++i) {
    if (ViewTag(font.tables[i].tag)) wanted.push_back(i);
  }
  std::map<std::size_t, std::vector<unsigned char>> decoded;
  view.error = DecodeTables(font, file, wanted, &decoded);
  if (!view.error.empty()) return view;
  std::set<std::size_t> rebuilt;
  for (const WebMember& member : font.members) {
    const std::size_t* hmtx = Find(font, member, "hmtx");
    if (hmtx == nullptr || !font.tables[*hmtx].transformed || rebuilt.count(*hmtx) != 0) continue;
    const std::size_t* hhea = Find(font, member, "hhea");
    const std::size_t* maxp = Find(font, member, "maxp");
    static const std::vector<unsigned char> kMissing;
    std::vector<unsigned char> table;
    view.error = RebuildHmtx(decoded[*hmtx], hhea ? decoded[*hhea] : kMissing,
                             maxp ? decoded[*maxp] : kMissing, &table);
    if (!view.error.empty()) return view;
    decoded[*hmtx] = std::move(table);
    rebuilt.insert(*hmtx);
  }

  // The directories first, then each table once, each at a multiple of four.
  const bool collection = font.flavor == kCollectionTag;
  std::vector<std::vector<std::size_t>> listed;
  std::uint64_t position = collection ? kCollectionHeaderSize + 4 * font.members.size() : 0;
  for (const WebMember& member : font.members) {
    std::vector<std::size_t> tables;
    for (const std::size_t index : member.tables) {
      if (decoded.count(index) != 0) tables.push_back(index);
    }
    std::sort(tables.begin(), tables.end(), [&](std::size_t a, std::size_t b) {
      return font.tables[a].tag < font.tables[b].tag;
    });
    position += kOffsetTableSize + kTableRecordSize * tables.size();
    listed.push_back(std::move(tables));
  }
  std::map<std::size_t, std::uint64_t> placed;
  for (const auto& [index, bytes] : decoded) {
    placed[index] = position;
    view.tables.push_back({index, position, bytes.size(), rebuilt.count(index) != 0});
    position += (bytes.size() + 3) / 4 * 4;
  }

  std::vector<unsigned char>& out = view.bytes;
  out.reserve(position);
  if (collection) {
    Append(&out, kCollectionTag, 4);
    Append(&out, 0x00010000, 4);
    Append(&out, static_cast<std::uint32_t>(font.members.size()), 4);
    std::uint64_t directory = kCollectionHeaderSize + 4 * font.members.size();
    for (const std::vector<std::size_t>& tables : listed) {
      Append(&out, static_cast<std::uint32_t>(directory), 4);
      directory += kOffsetTableSize + kTableRecordSize * tables.size();
    }
  }
  for (std::size_t m = 0; m < font.members.size(); ++m) {
    AppendOffsetTable(&out, font.members[m].flavor, static_cast<std::uint32_t>(listed[m].size()));
    for (const std::size_t index : listed[m]) {
      const WebTable& table = font.tables[index];
      const std::vector<unsigned char>& bytes = decoded[index];
      out.insert(out.end(), table.tag.begin(), table.tag.end());
      Append(&out,
             font.flavour == WebFlavour::kWoff ? table.origChecksum
                                               : TableChecksum(bytes.data(), bytes.size()),
             4);
      Append(&out, static_cast<std::uint32_t>(placed[index]), 4);
      Append(&out, static_cast<std::uint32_t>(bytes.size()), 4);
    }
  }
  // Each table's decoded bytes are let go once in the view, so that a large one is held twice
  // at most while it moves.
  for (auto& [index, bytes] : decoded) {
    out.insert(out.end(), bytes.begin(), bytes.end());
    out.resize((out.size() + 3) / 4 * 4, 0);
    std::vector<unsigned char>().swap(bytes);
  }
  return view;
}
