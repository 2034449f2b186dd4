// Fixes a font file in place: opens it exclusively, reads every face through that one handle,
// decides, writes, closes.
#pragma once

#include <string>

#include "fixer/fix_plan.h"
#include "reader/font_faces.h"

struct FontFix {
  std::string
      error;       // why the file could not be read or fixed; empty when the plan was carried out
  FontFaces font;  // the faces as they were found
  FixPlan plan;    // what was decided, and written when error is empty
  bool signatureBroken = false;  // something was written, and a DSIG table held signatures
};

// Gives each face that is not ok the width it needs, where that can be done (see PlanFix).
FontFix FixFontFile(const char* path, const WidthRules& rules = {});

// Fixes, as FixFontFile does, a file already open for reading and writing, of size bytes, that
// no other program writes; leaves it open. A web font is fixed as FixOpenWebFont fixes it.
FontFix FixOpenFile(FileHandle file, std::uint64_t size, const WidthRules& rules = {});

// Fixes, as FixOpenFile does, a font file (no web font) whose faces were read as font.
FontFix FixReadFont(FileHandle file, std::uint64_t size, FontFaces font);
