// A web font written anew with some of its tables changed, every other table's stored bytes kept.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "webfont/web_font.h"

// A table's decoded bytes as they were and as they are to be, of the same length.
struct TableRewrite {
  std::vector<unsigned char> before;
  std::vector<unsigned char> after;
};

// The file of font with the tables of changes (by index) changed. WOFF stores each changed table
// anew, compressed as it was stored, with its checksum moved by what changed (a head table's
// checkSumAdjustment, which its checksum leaves out, moves it by nothing), and moves what follows
// it by a multiple of four; WOFF2 has its stream compressed anew. The header's length and the
// blocks' offsets follow. Stores the file in out; returns why it could not be made, or "".
std::string ReplaceWebTables(const WebFont& font, const std::vector<unsigned char>& file,
                             const std::map<std::size_t, TableRewrite>& changes,
                             std::vector<unsigned char>* out);
