// Fuzz target for a font read from standard input: any bytes as the stream, taken in through the
// real spooling steps into the in-memory file. It must take in no more than the font's headers
// and directories say it reaches (and 64 KiB more), refuse a stream that is no font after its
// first bytes, and hand on exactly what it took in; the reader must then read that.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/standard_input.h"
#include "fuzz/require.h"
#include "reader/font_extent.h"
#include "reader/font_faces.h"
#include "reader/standard_input.h"
#include "tests/fake_file.h"

namespace {

const std::uint8_t* stream = nullptr;
std::size_t streamSize = 0;
std::size_t taken = 0;  // how many of the stream's bytes were read

}  // namespace

bool StandardInputAsFile(FileHandle*, std::uint64_t*) { return false; }

bool SpoolCreate(FileHandle* spool, std::string*) {
  ResetFakeFile({});
  std::uint64_t size = 0;
  return FileOpen("spool", spool, &size);
}

bool SpoolMore(FileHandle spool, std::uint64_t want, std::uint64_t* have, std::string*) {
  Require(*have == taken, "the spool lost track of what it holds");
  const std::size_t count = static_cast<std::size_t>(
      std::min<std::uint64_t>(want > *have ? want - *have : 0, streamSize - taken));
  if (count > 0 && !FileWriteAt(spool, *have, stream + taken, count)) return false;
  taken += count;
  *have += count;
  return true;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  stream = data;
  streamSize = size;
  taken = 0;
  FileHandle file = 0;
  std::uint64_t length = 0;
  std::string why;
  const bool opened = OpenStandardInputFont(&file, &length, &why);

  // How far the font reaches, told from all of the stream at once.
  ResetFakeFile(std::vector<unsigned char>(data, data + size));
  std::uint64_t ignored = 0;
  FileHandle whole = 0;
  FileOpen("whole", &whole, &ignored);
  const FontExtent extent = MeasureFontExtent(whole, size);
  FileClose(whole);
  const std::uint64_t limit = extent.font ? (extent.needed + 3) / 4 * 4 + kMaxBytesPastFont + 1 : 4;
  Require(taken <= std::max<std::uint64_t>(limit, 4), "took in more than the font reaches");
  if (!opened) return 0;
  Require(length == taken && taken == size, "handed on other than all it took in");
  ResetFakeFile(std::vector<unsigned char>(data, data + size));
  FileOpen("spool", &file, &length);
  const FontFaces faces = ReadOpenFontFaces(file, length);
  Require(faces.error.empty() != faces.faces.empty(), "neither faces nor an error, or both");
  FileClose(file);
  return 0;
}
