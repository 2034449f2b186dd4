// Fuzz target for the fixed copy installed for the user: any bytes as the font, read behind the
// in-memory file. Making its copy must never crash or read out of bounds, and a copy that is
// made must be no larger than the bound it keeps to, and must read back as a font of the copied
// faces, each holding the width written for it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/require.h"
#include "install/fixed_copy.h"
#include "tests/fake_file.h"

namespace {

void RequireReadsBack(const FixedCopy& copy, std::size_t fontSize) {
  if (!copy.error.empty() || copy.bytes.empty()) return;
  // Its directories and tables, at most three bytes of padding for each 16-byte record, and a
  // collection's header.
  const std::size_t most = 2 * fontSize + (std::size_t{1} << 20);
  Require(copy.bytes.size() <= most + most / 4 + 16 + 4 * copy.faces.size(),
          "the copy is larger than its bound");
  ResetFakeFile(copy.bytes);
  const FontFaces read = ReadFontFaces("copy.ttc");
  Require(read.error.empty() && read.faces.size() == copy.faces.size(),
          "the copy does not read back as its faces");
  for (std::size_t i = 0; i < read.faces.size(); ++i) {
    Require(read.faces[i].error.empty(), "a face of the copy cannot be read");
    Require(read.faces[i].xAvgCharWidth == copy.faces[i].written,
            "a face of the copy does not hold its width");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const FileBytes bytes(data, data + size);
  ResetFakeFile(bytes);
  const FontFaces font = ReadFontFaces("font.ttc");
  RequireReadsBack(MakeFixedCopy(bytes, font, ""), size);
  RequireReadsBack(MakeFixedCopy(bytes, font, "Fuzz Mono"), size);
  return 0;
}
