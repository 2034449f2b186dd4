// The web font formats, WOFF and WOFF2: a font's tables compressed (in WOFF each on its own with
// zlib, in WOFF2 all in one Brotli stream, some of them transformed), behind a header and a
// table directory of their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class WebFlavour { kNone, kWoff, kWoff2 };

constexpr std::uint32_t kWoffSignature = 0x774F4646;   // 'wOFF'
constexpr std::uint32_t kWoff2Signature = 0x774F4632;  // 'wOF2'

// The flavour that a file's first four bytes announce.
WebFlavour WebFlavourOf(std::uint32_t signature);

// "WOFF" or "WOFF2", as reports name the flavour; "" for kNone.
const char* WebFlavourName(WebFlavour flavour);

// Real web fonts decode to a few times their stored bytes (Unifont's WOFF2, of bitmap-like
// outlines, to under six), and none holds more than a few tens of MiB: a file that declares more
// tables' bytes than either limit allows was made to exhaust its reader's memory and time.
constexpr std::uint64_t kMaxDecodedPerStoredByte = 16;
constexpr std::uint64_t kMaxDecodedBytes = std::uint64_t{256} << 20;
// The file itself is read whole, to decode and to rewrite it.
constexpr std::uint64_t kMaxWebFontBytes = std::uint64_t{128} << 20;

struct WebTable {
  std::string tag;
  // In WOFF, where its stored bytes lie in the file; in WOFF2, where they lie in the decoded
  // stream, in which the tables follow each other without padding.
  std::uint64_t offset = 0;
  std::uint64_t storedLength = 0;  // WOFF's compLength; in WOFF2, its bytes in the stream
  std::uint64_t origLength = 0;    // the table's length in the font
  std::uint32_t origChecksum = 0;  // WOFF only: the table's checksum in the font
  bool transformed = false;        // WOFF2 only: stored in a transformed form (glyf, loca, hmtx)
};

// One font of the web font: its sfnt version and its tables, as indices into WebFont::tables.
struct WebMember {
  std::uint32_t flavor = 0;
  std::vector<std::size_t> tables;
};

struct WebFont {
  std::string error;  // why the file is no web font that can be read; empty when it is one
  WebFlavour flavour = WebFlavour::kNone;
  std::uint32_t flavor = 0;  // the sfnt version of the font, or 'ttcf' for a collection
  std::uint32_t collectionVersion = 0;
  std::vector<WebTable> tables;
  std::vector<WebMember> members;  // a single font's one member holds every table
  // WOFF2: the compressed stream's place in the file, and the length of what it decodes to.
  std::uint64_t streamOffset = 0;
  std::uint64_t streamLength = 0;
  std::uint64_t decodedLength = 0;
  // The optional metadata and private blocks, kept as they are.
  std::uint64_t metaOffset = 0, metaLength = 0, privOffset = 0, privLength = 0;
};

// Reads a web font's header and directories from the whole file. Every offset and length is
// checked against the file, the tables' declared lengths against the limits above, and a WOFF's
// stored tables against each other, so that what decodes them reads only within the file.
WebFont ParseWebFont(const std::vector<unsigned char>& file);
