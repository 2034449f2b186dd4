// A font file fixed in place, whichever its format: a web font through the view of its tables,
// any other font directly.
#include "fixer/fix_font.h"
#include "fixer/fix_web_font.h"

FontFix FixOpenFile(FileHandle file, std::uint64_t size, const WidthRules& rules) {
  if (WebFlavourOfFile(file, size) != WebFlavour::kNone) return FixOpenWebFont(file, size, rules);
  return FixReadFont(file, size, ReadOpenFontFaces(file, size, rules));
}

FontFix FixFontFile(const char* path, const WidthRules& rules) {
  FileHandle file = 0;
  std::uint64_t size = 0;
  std::string why;
  if (!FileOpenToFix(path, &file, &size, &why)) {
    FontFix fix;
    fix.error = "cannot open it to fix: " + why;
    return fix;
  }
  FontFix fix = FixOpenFile(file, size, rules);
  FileClose(file);
  return fix;
}
