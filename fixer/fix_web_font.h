// Fixes a web font in place: its tables' view is fixed as a font would be, then the web font is
// written anew with the tables that changed.
#pragma once

#include <cstdint>

#include "fixer/fix_font.h"

// Fixes the web font open for reading and writing, of size bytes, that no other program writes:
// decodes the view of its tables, fixes the view as FixReadFont fixes a font, then writes the
// file anew with the OS/2 and head tables that changed (see ReplaceWebTables), undoing its writes
// when one fails. A fix that would give a collection's members a table of their own, which a
// web font's directory cannot take, is refused before anything is written.
FontFix FixOpenWebFont(FileHandle file, std::uint64_t size, const WidthRules& rules);
