// Only lengths change: a table's decoded length stays, so WOFF2's directory and the decoded font's
// layout stay as they were, and a WOFF's other tables keep their bytes, moved as a whole.
#include "webfont/replace_tables.h"

#include <algorithm>

#include "sfnt/big_endian.h"
#include "sfnt/checksum.h"
#include "sfnt/sfnt.h"
#include "webfont/compression.h"
#include "webfont/web_view.h"

namespace {

constexpr std::size_t kLengthInHeader = 8;
constexpr std::size_t kWoffEntriesStart = 44;
constexpr std::size_t kWoffEntrySize = 20;
constexpr std::size_t kTotalCompressedSizeInWoff2 = 20;
// Where the metadata's and the private block's offsets lie in each header.
constexpr std::size_t kWoffMetaOffset = 24, kWoffPrivOffset = 36;
constexpr std::size_t kWoff2MetaOffset = 28, kWoff2PrivOffset = 40;

// The table's checksum as a font's directory holds it: head's without its checkSumAdjustment.
std::uint32_t DirectoryChecksum(const WebTable& table, std::vector<unsigned char> bytes) {
  if (table.tag == "head" && bytes.size() >= kCheckSumAdjustmentInHead + 4) {
    std::fill_n(bytes.begin() + kCheckSumAdjustmentInHead, 4, 0);
  }
  return TableChecksum(bytes.data(), bytes.size());
}

// Moves an offset field by shift when it points at or past from.
void Move(std::vector<unsigned char>* out, std::size_t field, std::uint64_t from,
          std::int64_t shift) {
  const std::uint32_t offset = LoadBigEndian32(out->data() + field);
  if (offset >= from) {
    StoreBigEndian32(static_cast<std::uint32_t>(static_cast<std::int64_t>(offset) + shift),
                     out->data() + field);
  }
}

// Puts stored in place of the length bytes at offset, with zeros after it so that what follows
// moves by a multiple of four and keeps its alignment; moves the offsets that point past it.
std::int64_t Splice(std::vector<unsigned char>* out, std::uint64_t offset, std::uint64_t length,
                    std::vector<unsigned char> stored, const std::vector<std::size_t>& fields) {
  // Nothing to keep aligned after a span that ends the file: no bytes are added there.
  const bool last = offset + length == out->size();
  const std::uint64_t tail = last ? 0 : (4 - (stored.size() - length) % 4) % 4;
  stored.resize(stored.size() + tail, 0);
  const std::int64_t shift =
      static_cast<std::int64_t>(stored.size()) - static_cast<std::int64_t>(length);
  const auto at = out->begin() + static_cast<std::ptrdiff_t>(offset);
  out->erase(at, at + static_cast<std::ptrdiff_t>(length));
  out->insert(out->begin() + static_cast<std::ptrdiff_t>(offset), stored.begin(), stored.end());
  for (const std::size_t field : fields) Move(out, field, offset + length, shift);
  return shift;
}

std::string ReplaceInWoff(const WebFont& font, const std::map<std::size_t, TableRewrite>& changes,
                          std::vector<unsigned char>* out) {
  std::vector<std::size_t> fields = {kWoffMetaOffset, kWoffPrivOffset};
  for (std::size_t i = 0; i < font.tables.size(); ++i) {
    fields.push_back(kWoffEntriesStart + kWoffEntrySize * i + 4);
  }
  // From the last stored table to the first, so that each table's offset is still the one read.
  std::vector<std::size_t> order;
  for (const auto& change : changes) order.push_back(change.first);
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return font.tables[a].offset > font.tables[b].offset;
  });
  for (const std::size_t index : order) {
    const WebTable& table = font.tables[index];
    const TableRewrite& change = changes.at(index);
    std::vector<unsigned char> stored = change.after;
    if (table.storedLength < table.origLength) {
      std::vector<unsigned char> compressed = Deflate(change.after);
      if (compressed.empty()) return "zlib could not compress the changed table";
      if (compressed.size() < change.after.size()) stored = std::move(compressed);
    }
    const std::size_t entry = kWoffEntriesStart + kWoffEntrySize * index;
    StoreBigEndian32(static_cast<std::uint32_t>(stored.size()), out->data() + entry + 8);
    const std::uint32_t checksum = table.origChecksum + DirectoryChecksum(table, change.after) -
                                   DirectoryChecksum(table, change.before);
    StoreBigEndian32(checksum, out->data() + entry + 16);
    Splice(out, table.offset, table.storedLength, std::move(stored), fields);
  }
  return "";
}

std::string ReplaceInWoff2(const WebFont& font, const std::vector<unsigned char>& file,
                           const std::map<std::size_t, TableRewrite>& changes,
                           std::vector<unsigned char>* out) {
  std::vector<unsigned char> stream;
  if (!DecodeWoff2Stream(font, file, &stream)) {
    return "its WOFF2 stream is damaged, or decodes to another length than its tables'";
  }
  for (const auto& [index, change] : changes) {
    const WebTable& table = font.tables[index];
    if (table.transformed || change.after.size() != table.storedLength) {
      return "its WOFF2 table '" + table.tag + "' is stored transformed";
    }
    std::copy(change.after.begin(), change.after.end(),
              stream.begin() + static_cast<std::ptrdiff_t>(table.offset));
  }
  std::vector<unsigned char> compressed = BrotliEncodeFont(stream);
  if (compressed.empty()) return "Brotli could not compress the changed font";
  StoreBigEndian32(static_cast<std::uint32_t>(compressed.size()),
                   out->data() + kTotalCompressedSizeInWoff2);
  Splice(out, font.streamOffset, font.streamLength, std::move(compressed),
         {kWoff2MetaOffset, kWoff2PrivOffset});
  return "";
}

}  // namespace

std::string ReplaceWebTables(const WebFont& font, const std::vector<unsigned char>& file,
                             const std::map<std::size_t, TableRewrite>& changes,
                             std::vector<unsigned char>* out) {
  *out = file;
  const std::string error = font.flavour == WebFlavour::kWoff
                                ? ReplaceInWoff(font, changes, out)
                                : ReplaceInWoff2(font, file, changes, out);
  if (!error.empty()) return error;
  if (out->size() > kMaxWebFontBytes) return "the changed font would be too large";
  StoreBigEndian32(static_cast<std::uint32_t>(out->size()), out->data() + kLengthInHeader);
  return "";
}
