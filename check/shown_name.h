// File names as they are shown to people, on a terminal or in a console window.
#pragma once

#include <string>

// Whether the name holds what a terminal would not show as it is, or as itself alone: a control
// character (C0, DEL, C1), a character that reorders or breaks the line (the bidirectional
// controls, U+2028, U+2029), one that shows as nothing or as a space (joiners, fillers,
// variation selectors, tags, spaces but U+0020), a private-use character, a byte that is not
// part of valid UTF-8, or a backslash, x and two hex digits, which would read as an escape.
bool NeedsEscaping(const std::string& name);

// The name as it can be shown: unchanged when it needs no escaping; otherwise each byte of such a
// character, and each backslash, written as \xHH, so that what is shown is all that was written.
std::string ShownName(const std::string& name);
