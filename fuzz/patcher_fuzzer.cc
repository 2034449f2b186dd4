// Fuzz target for the patcher: any file content behind the in-memory file, with a width taken
// from the input's first two bytes. The outcome is compared with a direct reading of the bytes:
// the same message or the same two changed bytes, the handle closed on every path.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/width.h"
#include "font/avg_char_width.h"
#include "fuzz/require.h"
#include "tests/expected_messages.h"
#include "tests/fake_file.h"
#include "tests/recording_reporter.h"

namespace {

std::uint32_t Load32(const std::vector<unsigned char>& bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
         std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

struct Expected {
  std::string message;  // empty on success
  std::uint64_t fieldPosition = 0;
};

// What the patcher must do with these bytes, read straight from the file layout.
Expected Expect(const std::vector<unsigned char>& file) {
  const std::size_t size = file.size();
  if (size < 4) return {kEndOfFile};
  if (Load32(file, 0) != 0x00010000) return {kFormat};
  if (size < 6) return {kEndOfFile};
  const std::size_t numTables = std::size_t{file[4]} << 8 | file[5];
  std::uint32_t offset = 0;
  for (std::size_t i = 0; i < numTables; ++i) {
    const std::size_t record = 12 + 16 * i;
    if (record + 4 > size) {
      return {kEndOfFile};
    }
    if (std::string(&file[record], &file[record] + 4) != "OS/2") continue;
    if (record + 12 > size) {
      return {kEndOfFile};
    }
    offset = Load32(file, record + 8);
    break;
  }
  if (offset == 0) return {kNotFound};
  if (std::uint64_t{offset} + 4 > size) return {kBeyondEnd};
  return {"", std::uint64_t{offset} + 2};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const Width width = 1 + (data[0] << 8 | data[1]) % kMaxWidth;
  const std::vector<unsigned char> before(data + 2, data + size);
  ResetFakeFile(before);
  ShownErrors().clear();

  const bool result = SetAverageCharWidth("font.ttf", width);

  const FakeFile& fake = TheFakeFile();
  const Expected expected = Expect(before);
  Require(fake.closes == 1 && fake.callsWhileClosed == 0, "the file is closed once, then unused");
  Require(result == expected.message.empty(), "success exactly when the file is suitable");
  for (const FileAccess& write : fake.writes) {
    Require(write.position + write.count <= before.size(), "no write outside the file");
  }
  if (!result) {
    Require(ShownErrors() == std::vector<std::string>{expected.message}, "the expected message");
    Require(fake.writes.empty() && fake.bytes == before, "a refused file is unchanged");
    return 0;
  }
  Require(ShownErrors().empty(), "no message on success");
  std::vector<unsigned char> after = before;
  after[expected.fieldPosition] = static_cast<unsigned char>(width >> 8);
  after[expected.fieldPosition + 1] = static_cast<unsigned char>(width & 0xFF);
  Require(fake.bytes == after, "only the field changed, high byte first");
  return 0;
}
