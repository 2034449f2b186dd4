// The command-tail scanner; character classes are exact byte values, whatever the locale.
#include "cmdline/scanner.h"

#include <limits>

namespace {

constexpr char kBlank = ' ';
constexpr char kQuote = '"';
constexpr char kTerminator = '\0';

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void SkipBlanks(const char*& cursor) {
  while (*cursor == kBlank) ++cursor;
}

std::int32_t ParseNumber(const char*& cursor) {
  constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();
  std::int32_t value = 0;
  while (IsDigit(*cursor)) {
    const std::int32_t digit = *cursor - '0';
    // Saturate instead of overflowing, so that any run of digits reads as "too large".
    value = value > (kLargest - digit) / 10 ? kLargest : value * 10 + digit;
    ++cursor;
  }
  return *cursor == kTerminator || *cursor == kBlank ? value : -1;
}

std::int32_t ParseWidthOption(const char*& cursor) {
  if (cursor[0] != '-' || cursor[1] != 'w') return 0;
  cursor += 2;
  SkipBlanks(cursor);
  return ParseNumber(cursor);
}

const char* ParseFileName(const char*& cursor, char* dest, std::size_t limit) {
  const bool quoted = *cursor == kQuote;
  if (quoted) ++cursor;
  std::size_t copied = 0;
  // The order of the tests matters: a closing quote is consumed even when the name fills dest.
  while (*cursor != kTerminator) {
    if (quoted && *cursor == kQuote) {
      ++cursor;
      break;
    }
    if (!quoted && *cursor == kBlank) break;
    if (copied == limit - 1) break;
    dest[copied++] = *cursor++;
  }
  dest[copied] = kTerminator;
  return cursor;
}
