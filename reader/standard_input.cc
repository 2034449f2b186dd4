// A stream cannot be read at a position, so its bytes go to a temporary file first, in steps:
// each step's bytes tell how far the font reaches, and nothing past that is taken in, so that a
// stream of anything else costs no more than its first bytes.
#include "reader/standard_input.h"

#include "common/standard_input.h"
#include "reader/font_extent.h"
#include "reader/font_faces.h"

namespace {

bool Refuse(FileHandle spool, const std::string& reason, std::string* why) {
  FileClose(spool);
  *why = reason;
  return false;
}

}  // namespace

bool OpenStandardInputFont(FileHandle* file, std::uint64_t* size, std::string* why) {
  if (StandardInputAsFile(file, size)) return true;
  FileHandle spool = 0;
  if (!SpoolCreate(&spool, why)) return false;
  std::uint64_t have = 0;
  std::uint64_t want = 4;
  for (;;) {
    if (!SpoolMore(spool, want, &have, why)) return Refuse(spool, *why, why);
    if (have < want) break;  // the stream ended inside the font; the reader says where
    const FontExtent extent = MeasureFontExtent(spool, have);
    if (!extent.font) return Refuse(spool, kNotAFont, why);
    if (extent.needed <= have) break;
    if (extent.needed > kMaxFontBytes) {
      return Refuse(spool, "the font claims more than the 4 GiB that its offsets reach", why);
    }
    want = extent.needed;
  }
  // The padding after the last table, and any bytes a real file carries past it, are kept.
  const std::uint64_t padded = (have + 3) / 4 * 4;
  if (!SpoolMore(spool, padded + kMaxBytesPastFont + 1, &have, why)) {
    return Refuse(spool, *why, why);
  }
  if (have > padded + kMaxBytesPastFont) {
    return Refuse(spool,
                  "the stream goes on for more than 64 KiB past the end of the font: it holds "
                  "something more than one font",
                  why);
  }
  *file = spool;
  *size = have;
  return true;
}
