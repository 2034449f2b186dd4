// A name that carries a carriage return, an escape sequence or a line feed could overwrite what a
// terminal shows, forge a line of the report or make a printed fix run something else; such
// names are shown with their bytes escaped, and the report prints no command for them.
#include "check/shown_name.h"

#include <cstdint>

#include "check/utf8.h"

namespace {

bool Unshowable(std::uint32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x200E || c == 0x200F ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void AppendEscaped(unsigned char byte, std::string* text) {
  const char digits[] = "0123456789abcdef";
  *text += "\\x";
  *text += digits[byte >> 4];
  *text += digits[byte & 0xF];
}

}  // namespace

bool NeedsEscaping(const std::string& name) {
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t length = Utf8Length(name, i);
    if (length == 0 || Unshowable(Utf8CodePoint(name, i, length))) return true;
    i += length;
  }
  return false;
}

std::string ShownName(const std::string& name) {
  if (!NeedsEscaping(name)) return name;
  std::string shown;
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t length = Utf8Length(name, i);
    const bool escaped =
        length == 0 || name[i] == '\\' || Unshowable(Utf8CodePoint(name, i, length));
    const std::size_t count = length == 0 ? 1 : length;
    for (std::size_t k = 0; k < count; ++k) {
      if (escaped) {
        AppendEscaped(static_cast<unsigned char>(name[i + k]), &shown);
      } else {
        shown += name[i + k];
      }
    }
    i += count;
  }
  return shown;
}
