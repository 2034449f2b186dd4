// Fuzz target for web fonts: any bytes as a WOFF or WOFF2 file. Parsing and decoding must answer
// or say why not, never crash, read out of bounds or decode more than the limits allow; a font
// written anew with its OS/2 table changed must decode to that table, and to every other table
// as it was.
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "fuzz/require.h"
#include "webfont/replace_tables.h"
#include "webfont/web_view.h"

namespace {

// The decoded bytes of each table of the view that is the font's own, by index.
std::map<std::size_t, std::vector<unsigned char>> Tables(const WebView& view) {
  std::map<std::size_t, std::vector<unsigned char>> tables;
  for (const ViewTable& table : view.tables) {
    const auto first = view.bytes.begin() + static_cast<std::ptrdiff_t>(table.offset);
    tables[table.table].assign(first, first + static_cast<std::ptrdiff_t>(table.length));
  }
  return tables;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<unsigned char> file(data, data + size);
  const WebFont font = ParseWebFont(file);
  if (!font.error.empty()) return 0;
  const WebView view = DecodeWebView(font, file);
  if (!view.error.empty()) return 0;
  Require(view.bytes.size() <= 2 * kMaxDecodedPerStoredByte * size + (1 << 20),
          "the view outgrew what the file's bytes allow");
  std::map<std::size_t, std::vector<unsigned char>> tables = Tables(view);
  for (const ViewTable& table : view.tables) {
    if (font.tables[table.table].tag != "OS/2" || table.rebuilt || table.length < 4) continue;
    std::map<std::size_t, TableRewrite> changes;
    TableRewrite& change = changes[table.table];
    change.before = tables[table.table];
    change.after = change.before;
    change.after[3] = static_cast<unsigned char>(change.after[3] ^ 1);
    std::vector<unsigned char> anew;
    if (!ReplaceWebTables(font, file, changes, &anew).empty()) return 0;
    const WebFont again = ParseWebFont(anew);
    Require(again.error.empty(), "the font written anew cannot be read");
    const WebView decoded = DecodeWebView(again, anew);
    Require(decoded.error.empty(), "the font written anew cannot be decoded");
    tables[table.table] = change.after;
    Require(Tables(decoded) == tables, "the font written anew holds other tables");
    break;
  }
  return 0;
}
