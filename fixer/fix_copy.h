// Fixes a copy of a font into another file, leaving the font itself as it was.
#pragma once

#include <string>

#include "fixer/fix_font.h"

// Copies the font at source (standard input for "-") to a new file beside output, with the
// font's permissions, fixes the copy as FixFontFile would fix the font in place, and puts it in
// the place of output in one step, also when nothing needed fixing. The font is read under a
// shared lock, and read again before that step: a font that changed meanwhile gives no output.
// Holes of a sparse font stay holes. When anything fails, or no face of the font can be read,
// output is left as it was and the copy is removed. Refuses an output that is the font itself, a
// link, anything but a regular file, and a file that this user could not write; messages name
// the output as shownOutput.
FontFix FixFontFileTo(const std::string& source, const std::string& output,
                      const std::string& shownOutput, const WidthRules& rules = {});
