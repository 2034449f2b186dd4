// Decoding by the table of well-formed sequences of the Unicode standard, byte by byte, so that
// a name's bytes are never taken for more than they are.
#include "common/utf8.h"

std::size_t Utf8Length(const std::string& text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - i < length || byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return length;
}

std::uint32_t Utf8CodePoint(const std::string& text, std::size_t i, std::size_t length) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
  if (length == 1) return byte(0);
  // The lead byte keeps 7 - length bits; each continuation byte adds 6.
  std::uint32_t codePoint = byte(0) & (0x7Fu >> length);
  for (std::size_t k = 1; k < length; ++k) codePoint = codePoint << 6 | (byte(k) & 0x3Fu);
  return codePoint;
}

std::string Utf8PrefixOfUtf16Units(const std::string& text, std::size_t units) {
  std::size_t taken = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t length = Utf8Length(text, i);
    const std::size_t more = length == 4 ? 2 : 1;
    if (taken + more > units) break;
    taken += more;
    i += length == 0 ? 1 : length;
  }
  return text.substr(0, i);
}
