#include "check/wrapped.h"

#include <algorithm>

#include "common/utf8.h"

namespace {

bool Wide(std::uint32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

}  // namespace

std::size_t Columns(const std::string& text) {
  std::size_t columns = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8Length(text, i);
    columns += length != 0 && Wide(Utf8CodePoint(text, i, length)) ? 2u : 1u;
    i += length == 0 ? 1 : length;
  }
  return columns;
}

std::string Wrapped(const std::string& text, std::size_t indent, std::size_t hanging) {
  std::string lines;
  std::string line(indent, ' ');
  bool empty = true;  // the line holds no word yet
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t space = std::min(text.find(' ', at), text.size());
    const std::string word = text.substr(at, space - at);
    at = space + 1;
    if (word.empty()) continue;
    if (!empty && Columns(line) + 1 + Columns(word) > kConsoleColumns) {
      lines += line + "\n";
      line = std::string(hanging, ' ');
      empty = true;
    }
    line += (empty ? "" : " ") + word;
    empty = false;
  }
  return lines + line + "\n";
}
