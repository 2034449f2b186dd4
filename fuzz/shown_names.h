// What the names fuzz targets require of a name as the check shows it.
#pragma once

#include <string>

#include "check/shown_name.h"
#include "common/utf8.h"
#include "fuzz/require.h"

// Shown as it is, or escaped so that it reads back as that one name and holds nothing that a
// terminal would not show as itself: printable ASCII, and characters of UTF-8 that need no
// escaping on their own.
inline void RequireShownAsItself(const std::string& name) {
  const std::string shown = ShownName(name);
  Require(NeedsEscaping(name) == (shown != name), "escaped without need, or needed and not");
  if (shown == name) return;
  std::string back;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const char c = shown[i];
    if (static_cast<unsigned char>(c) >= 0x80) {
      const std::size_t length = Utf8Length(shown, i);
      Require(length > 0 && !NeedsEscaping(shown.substr(i, length)),
              "an escaped name holds a character that a terminal would not show");
      back += shown.substr(i, length);
      i += length - 1;
      continue;
    }
    Require(c >= 0x20 && c < 0x7F, "an escaped name holds a control character");
    if (c == '\\') {
      Require(i + 3 < shown.size() && shown[i + 1] == 'x', "a backslash not escaped");
      back += static_cast<char>(std::stoi(shown.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      back += c;
    }
  }
  Require(back == name, "an escaped name that reads back as another");
}
