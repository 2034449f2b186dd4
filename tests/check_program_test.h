// What the width check's end-to-end tests share: the built check run in a fresh folder, and the
// reason it gives for the CJK test font.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/files.h"
#include "tests/run_program.h"

// The reason the check gives for CjkFont(): 1:2 widths at 500 and 1000.
inline const std::string kCjkReason =
    "half-width advance of a CJK font with 1:2 widths: 95 of 95 ASCII characters at 500, full "
    "width 1000 (1000 CJK characters)";

class CheckProgramTest : public testing::Test {
 protected:
  // Runs the check with the arguments in the test's folder.
  Outcome Check(std::vector<std::string> arguments, const RunOptions& options = {}) {
    arguments.insert(arguments.begin(), QUENLO_CHECK_PROGRAM);
    return RunCommand(arguments, dir_.Path(""), options);
  }
  TempDir dir_;
};
