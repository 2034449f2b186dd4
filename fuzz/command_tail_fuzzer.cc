// Fuzz target for the command front end: any command tail goes through the scanner and the
// entry, with a stand-in patcher and a recording reporter. Every run must end in status 0 or 1
// with at most one message, and hand the patcher only what it may receive.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/run.h"
#include "common/show_error.h"
#include "common/width.h"
#include "font/avg_char_width.h"
#include "fuzz/require.h"
#include "tests/recording_reporter.h"

namespace {

std::vector<std::string> patchedNames;
std::vector<Width> patchedWidths;
bool patcherResult = true;

}  // namespace

// Stands in for the real patcher, which shows its own message when it fails.
bool SetAverageCharWidth(const char* fileName, Width width) {
  patchedNames.push_back(fileName);
  patchedWidths.push_back(width);
  if (!patcherResult) ShowError("patcher failed");
  return patcherResult;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The tail ends at its first NUL, exactly as long as the heap block, so that AddressSanitizer
  // sees any read past its end.
  const std::uint8_t* end = std::find(data, data + size, 0);
  std::vector<char> tail(data, end);
  tail.push_back('\0');
  patchedNames.clear();
  patchedWidths.clear();
  ShownErrors().clear();
  patcherResult = tail.size() % 2 == 0;

  const int status = RunCommandTail(tail.data());

  Require(status == kExitSuccess || status == kExitFailure, "status is 0 or 1");
  Require(patchedNames.size() <= 1, "the patcher runs at most once");
  Require(ShownErrors().size() == (status == kExitSuccess ? 0u : 1u),
          "one message on failure, none on success");
  if (status == kExitSuccess) Require(patchedNames.size() == 1, "success means the patcher ran");
  if (!patchedNames.empty()) {
    const std::string& name = patchedNames[0];
    Require(patchedWidths[0] >= 1 && patchedWidths[0] <= kMaxWidth, "width in 1..32767");
    Require(!name.empty() && name.size() <= 2046, "a name of 1 to 2046 characters");
    Require(std::string(tail.data()).find(name) != std::string::npos, "the name is from the tail");
    Require(status == (patcherResult ? kExitSuccess : kExitFailure), "status follows the patcher");
  }
  return 0;
}
