// Fixes a copy of a font into another file, leaving the font itself as it was.
#pragma once

#include <string>

#include "fixer/fix_font.h"

// The name by which a font is read from standard input.
constexpr char kStandardInput[] = "-";

// Copies the font at source (standard input for "-") to a new file beside output, fixes the copy
// as FixFontFile would fix the font in place, and puts it in the place of output in one step,
// also when nothing needed fixing. When anything fails, or no face of the font can be read,
// output is left as it was and the copy is removed. Refuses an output that is the font itself.
FontFix FixFontFileTo(const std::string& source, const std::string& output);
