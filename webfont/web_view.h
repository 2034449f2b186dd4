// What the reader reads of a web font: the tables the check reads, decoded, laid out as a font or
// a collection in memory, so that a web font is read as any other font is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "webfont/web_font.h"

// A table of the view, and the web font's table it was decoded from.
struct ViewTable {
  std::size_t table = 0;  // its index in WebFont::tables
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  // An hmtx rebuilt from WOFF2's transformed form: its advances are the font's, its side
  // bearings, which the check does not read, 0 where the form leaves them out.
  bool rebuilt = false;
};

struct WebView {
  std::string error;  // why the tables could not be decoded; empty when they were
  std::vector<unsigned char> bytes;
  std::vector<ViewTable> tables;
};

// Decodes the tables of font (read from file) that the check reads, and nothing else of WOFF's;
// of WOFF2's stream it keeps only those, as it decodes it once.
WebView DecodeWebView(const WebFont& font, const std::vector<unsigned char>& file);

// Decodes the whole of a WOFF2 font's stream, as its tables are stored in it; false when the
// stream is damaged or decodes to another length than its tables'.
bool DecodeWoff2Stream(const WebFont& font, const std::vector<unsigned char>& file,
                       std::vector<unsigned char>* stream);
