// Web fonts built in code: a round trip through the view and a rewrite, and the files that must be
// refused before anything is decoded or allocated by what they declare.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "sfnt/big_endian.h"
#include "webfont/compression.h"
#include "webfont/replace_tables.h"
#include "webfont/web_view.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct Table {
  std::string tag;
  Bytes bytes;
};

void Put32(Bytes* out, std::uint32_t value) {
  unsigned char b[4];
  StoreBigEndian32(value, b);
  out->insert(out->end(), b, b + 4);
}

void Put16(Bytes* out, std::uint32_t value) {
  out->push_back(static_cast<unsigned char>(value >> 8));
  out->push_back(static_cast<unsigned char>(value));
}

Bytes Os2(std::uint16_t width) {
  Bytes os2(96, 0);
  StoreBigEndian16(4, os2.data());
  StoreBigEndian16(width, os2.data() + 2);
  return os2;
}

// A WOFF of the tables, each compressed; origLength of the last one declared as given when not 0.
Bytes Woff(const std::vector<Table>& tables, std::uint32_t lastOrigLength = 0) {
  Bytes out;
  Put32(&out, kWoffSignature);
  Put32(&out, 0x00010000);
  Put32(&out, 0);  // length, below
  Put16(&out, static_cast<std::uint32_t>(tables.size()));
  Put16(&out, 0);
  Put32(&out, 0);
  for (int i = 0; i < 6; ++i) Put32(&out, 0);
  std::size_t data = out.size() + 20 * tables.size();
  Bytes stored;
  for (std::size_t i = 0; i < tables.size(); ++i) {
    Bytes packed = Deflate(tables[i].bytes);
    if (packed.size() >= tables[i].bytes.size()) packed = tables[i].bytes;
    out.insert(out.end(), tables[i].tag.begin(), tables[i].tag.end());
    Put32(&out, static_cast<std::uint32_t>(data + stored.size()));
    Put32(&out, static_cast<std::uint32_t>(packed.size()));
    const bool last = i + 1 == tables.size();
    Put32(&out, last && lastOrigLength != 0 ? lastOrigLength
                                            : static_cast<std::uint32_t>(tables[i].bytes.size()));
    Put32(&out, 0);
    stored.insert(stored.end(), packed.begin(), packed.end());
    stored.resize((stored.size() + 3) / 4 * 4, 0);
  }
  out.insert(out.end(), stored.begin(), stored.end());
  StoreBigEndian32(static_cast<std::uint32_t>(out.size()), out.data() + 8);
  return out;
}

// A WOFF2 of the tables, untransformed, whose stream holds extra bytes beyond them when asked.
Bytes Woff2(const std::vector<Table>& tables, std::size_t extra = 0) {
  Bytes stream;
  Bytes directory;
  for (const Table& table : tables) {
    // An arbitrary tag, and the null transform, which glyf and loca mark with version 3.
    directory.push_back(table.tag == "glyf" || table.tag == "loca" ? 0xFF : 0x3F);
    directory.insert(directory.end(), table.tag.begin(), table.tag.end());
    std::uint32_t length = static_cast<std::uint32_t>(table.bytes.size());
    Bytes digits = {static_cast<unsigned char>(length & 0x7F)};
    while (length >>= 7) digits.insert(digits.begin(), 0x80 | (length & 0x7F));
    directory.insert(directory.end(), digits.begin(), digits.end());
    stream.insert(stream.end(), table.bytes.begin(), table.bytes.end());
  }
  stream.resize(stream.size() + extra, 0);
  const Bytes packed = BrotliEncodeFont(stream);
  Bytes out;
  Put32(&out, kWoff2Signature);
  Put32(&out, 0x00010000);
  Put32(&out, static_cast<std::uint32_t>(48 + directory.size() + packed.size()));
  Put16(&out, static_cast<std::uint32_t>(tables.size()));
  Put16(&out, 0);
  Put32(&out, 0);
  Put32(&out, static_cast<std::uint32_t>(packed.size()));
  for (int i = 0; i < 6; ++i) Put32(&out, 0);
  out.resize(48);
  out.insert(out.end(), directory.begin(), directory.end());
  out.insert(out.end(), packed.begin(), packed.end());
  return out;
}

// The view's decoded bytes of each table, by tag.
std::map<std::string, Bytes> Decoded(const WebFont& font, const WebView& view) {
  std::map<std::string, Bytes> tables;
  for (const ViewTable& table : view.tables) {
    const auto first = view.bytes.begin() + static_cast<std::ptrdiff_t>(table.offset);
    tables[font.tables[table.table].tag].assign(first,
                                                first + static_cast<std::ptrdiff_t>(table.length));
  }
  return tables;
}

// Bytes that compress about as little as a real font's tables.
Bytes Noise(std::size_t count, std::uint32_t seed) {
  Bytes bytes(count);
  for (unsigned char& byte : bytes) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<unsigned char>(seed >> 16);
  }
  return bytes;
}

const std::vector<Table> kTables = {
    {"OS/2", Os2(1000)}, {"cmap", Noise(300, 1)}, {"glyf", Noise(5000, 2)}, {"head", Noise(54, 3)}};

TEST(WebFontTest, RewritingOneTableKeepsEveryOther) {
  for (const Bytes& file : {Woff(kTables), Woff2(kTables)}) {
    const WebFont font = ParseWebFont(file);
    ASSERT_EQ(font.error, "");
    const WebView view = DecodeWebView(font, file);
    ASSERT_EQ(view.error, "");
    std::map<std::string, Bytes> tables = Decoded(font, view);
    EXPECT_EQ(tables.count("glyf"), 0u);  // not read by the check, not decoded
    EXPECT_EQ(tables["cmap"], kTables[1].bytes);
    std::map<std::size_t, TableRewrite> changes;
    changes[0] = {Os2(1000), Os2(500)};
    Bytes anew;
    ASSERT_EQ(ReplaceWebTables(font, file, changes, &anew), "");
    const WebFont again = ParseWebFont(anew);
    ASSERT_EQ(again.error, "");
    tables["OS/2"] = Os2(500);
    EXPECT_EQ(Decoded(again, DecodeWebView(again, anew)), tables);
    if (font.flavour == WebFlavour::kWoff) {
      // The checksum moved by what the width's word moved: 500 - 1000.
      EXPECT_EQ(again.tables[0].origChecksum, font.tables[0].origChecksum - 500u);
      EXPECT_EQ(again.tables[2].offset - font.tables[2].offset,
                again.tables[0].storedLength - font.tables[0].storedLength +
                    (4 - (again.tables[0].storedLength - font.tables[0].storedLength) % 4) % 4);
    }
  }
}

Bytes WithLength(Bytes file, std::uint32_t length) {
  StoreBigEndian32(length, file.data() + 8);
  return file;
}

Bytes Cut(Bytes file, std::size_t size) {
  file.resize(size);
  return WithLength(file, static_cast<std::uint32_t>(size));
}

TEST(WebFontTest, RefusesWhatNoRealWebFontDeclares) {
  const Bytes woff = Woff(kTables);
  Bytes overlapping = woff;
  StoreBigEndian32(LoadBigEndian32(woff.data() + 44 + 4), overlapping.data() + 44 + 20 + 4);
  Bytes cmapTransformed = Woff2(kTables);
  cmapTransformed[48 + 4 + 1 + 1] = 0x3F | 0x40;  // the second entry, after OS/2's tag and length
  const struct {
    const char* name;
    Bytes file;
    const char* error;
  } cases[] = {
      {"header length", WithLength(woff, 9), "its header gives a length of 9 bytes"},
      {"directory cut", Cut(woff, 60), "its WOFF table directory runs past the end of the file"},
      {"zlib bomb", Woff({{"cmap", Bytes(1 << 20, 0)}}), "bytes decompressed, more than a real"},
      {"declared past the limit", Woff(kTables, 0xFFFFFFF0u), "bytes decompressed"},
      {"overlapping tables", overlapping, "its WOFF tables overlap"},
      {"brotli bomb", Woff2({{"OS/2", Os2(1000)}, {"post", Bytes(1 << 22, 0)}}),
       "bytes decompressed, more than"},
      {"unknown transform", cmapTransformed, "has a transform that no reader knows"},
      {"stream cut", Cut(Woff2(kTables), 80), "runs past the end of the file"},
  };
  for (const auto& c : cases) {
    const WebFont font = ParseWebFont(c.file);
    EXPECT_NE(font.error.find(c.error), std::string::npos) << c.name << ": " << font.error;
  }
}

TEST(WebFontTest, RefusesStreamsThatDecodeToAnotherLength) {
  // A head table declared longer than it decompresses to; a stream that holds more than its
  // tables.
  for (const Bytes& file : {Woff(kTables, 400), Woff2(kTables, 10)}) {
    const WebFont font = ParseWebFont(file);
    ASSERT_EQ(font.error, "");
    EXPECT_NE(DecodeWebView(font, file).error, "");
  }
}

}  // namespace
