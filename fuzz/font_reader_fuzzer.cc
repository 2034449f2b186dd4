// Fuzz target for the width check's reader: any file content behind the in-memory file. The
// reader must answer or say why not, never crash or read out of bounds, never write, and close
// the file; what it answers must hold together.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "check/report.h"
#include "fuzz/require.h"
#include "reader/font_faces.h"
#include "tests/fake_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ResetFakeFile(std::vector<unsigned char>(data, data + size));
  const FontFaces font = ReadFontFaces("font.ttf");
  const FakeFile& fake = TheFakeFile();
  Require(fake.writes.empty(), "the reader wrote");
  Require(fake.closes == 1 && fake.callsWhileClosed == 0, "the file was not closed exactly once");
  Require(font.error.empty() != font.faces.empty(), "neither faces nor an error, or both");
  for (const FaceSummary& face : font.faces) {
    if (!face.error.empty()) {
      ErrorJson("font.ttf", face.index, face.error);
      continue;
    }
    const WidthVerdict& v = face.verdict;
    Require(v.halfWidthCount >= 0 && v.halfWidthCount <= 95, "halfWidthCount out of range");
    Require(v.halfWidth.has_value() == (v.halfWidthCount > 0), "halfWidth without a count");
    Require(v.fullWidth.has_value() == (v.cjkCount > 0), "fullWidth without a count");
    Require(v.average >= 0 && v.average <= 65535, "average out of range");
    Require(v.kind == WidthKind::kProportional || v.suggested == *v.halfWidth,
            "a fixed-pitch face must get its half-width advance");
    FaceJson("font.ttf", face);
  }
  return 0;
}
