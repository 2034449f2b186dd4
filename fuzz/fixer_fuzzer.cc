// Fuzz target for the fixer: any file content behind the in-memory file. It must never crash or
// read out of bounds, close the file once, change only what a fix may change (each OS/2 table's
// xAvgCharWidth, records' checksums and offsets, checkSumAdjustment, bytes past the old end) and
// change nothing when run a second time.
#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

#include "fixer/fix_font.h"
#include "fuzz/require.h"
#include "tests/fake_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<unsigned char> before(data, data + size);
  ResetFakeFile(before);
  const FontFix fix = FixFontFile("font.ttc");
  const std::vector<unsigned char> after = TheFakeFile().bytes;
  Require(TheFakeFile().closes == 1 && TheFakeFile().callsWhileClosed == 0,
          "the file was not closed exactly once");
  Require(after.size() >= before.size(), "the file got shorter");

  // The places the fix may write within the old bytes.
  std::set<std::uint64_t> allowed;
  const auto allow = [&](std::uint64_t first, std::uint64_t count) {
    for (std::uint64_t i = 0; i < count; ++i) allowed.insert(first + i);
  };
  for (const FaceSummary& face : fix.font.faces) {
    if (face.os2.record != 0) {
      allow(face.os2.offset + 2u, 2);
      allow(face.os2.record + 4, 8);
    }
    if (face.head.record != 0 && !face.index) allow(face.head.offset + 8u, 4);
  }
  for (std::size_t i = 0; i < before.size(); ++i) {
    Require(before[i] == after[i] || allowed.count(i) != 0, "a byte changed outside the fields");
  }
  if (!fix.error.empty()) Require(after == before, "a failed fix changed the file");

  ResetFakeFile(after);
  const FontFix again = FixFontFile("font.ttc");
  Require(TheFakeFile().bytes == after, "a second fix changed the file");
  Require(again.plan.writes.empty(), "a second fix planned writes");
  return 0;
}
