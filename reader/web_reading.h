// A web font (WOFF or WOFF2) as the reader and the fixer read it: its file's bytes, its layout,
// and the view of the tables the check reads, in a temporary file read as any font is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/file.h"
#include "webfont/web_font.h"
#include "webfont/web_view.h"

// The flavour of the open file of size bytes, from its first four bytes.
WebFlavour WebFlavourOfFile(FileHandle file, std::uint64_t size);

struct WebReading {
  std::string error;  // why the web font cannot be read; empty when it was
  std::vector<unsigned char> file;
  std::uint64_t storedBytes = 0;  // what the file takes on its disk, which the work is paid from
  WebFont font;
  WebView view;
  FileHandle spool = 0;  // the view, open when error is empty: the caller closes it
};

// Reads the whole web font of size bytes, decodes the tables that the check reads and writes
// their view to a temporary file.
WebReading ReadWebFont(FileHandle file, std::uint64_t size);
