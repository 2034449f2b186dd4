// A name that carries a carriage return, an escape sequence or a line feed could overwrite what a
// terminal shows, forge a line of the report or make a printed fix run something else; one that
// carries an invisible character, a space other than the space, or a backslash and x that read
// as an escape would look like another name. Such names are shown with their bytes escaped, and
// the report prints no command for them.
#include "check/shown_name.h"

#include <cstdint>

#include "common/utf8.h"

namespace {

struct CodePoints {
  std::uint32_t first;
  std::uint32_t last;
};

// The code points that a terminal shows as nothing, as a space, or not as themselves: C0, DEL
// and C1 controls; spaces but U+0020; invisible joiners, fillers, marks and selectors; the
// bidirectional controls and the line and paragraph separators; tags; private use and the
// noncharacters, which show as an empty box whatever they are.
constexpr CodePoints kUnshowable[] = {
    {0x00, 0x1F},     {0x7F, 0xA0},       {0xAD, 0xAD},       {0x34F, 0x34F},      {0x61C, 0x61C},
    {0x115F, 0x1160}, {0x1680, 0x1680},   {0x17B4, 0x17B5},   {0x180B, 0x180F},    {0x2000, 0x200F},
    {0x2028, 0x202F}, {0x205F, 0x206F},   {0x3000, 0x3000},   {0x3164, 0x3164},    {0xE000, 0xF8FF},
    {0xFDD0, 0xFDEF}, {0xFE00, 0xFE0F},   {0xFEFF, 0xFEFF},   {0xFFA0, 0xFFA0},    {0xFFF0, 0xFFFB},
    {0xFFFE, 0xFFFF}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0000, 0x10FFFF},
};

bool Unshowable(std::uint32_t c) {
  for (const CodePoints& range : kUnshowable) {
    if (c >= range.first && c <= range.last) return true;
  }
  return false;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Whether the name holds a backslash, x and two hex digits, which an escaped name would show for
// a byte.
bool HoldsEscapeLookalike(const std::string& name) {
  for (std::size_t i = 0; i + 3 < name.size(); ++i) {
    if (name[i] == '\\' && name[i + 1] == 'x' && IsHexDigit(name[i + 2]) &&
        IsHexDigit(name[i + 3])) {
      return true;
    }
  }
  return false;
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
  return HoldsEscapeLookalike(name);
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
