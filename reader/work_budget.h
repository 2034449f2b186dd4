// How much work the reader may do on one file: a number of steps that grows with the bytes the
// file really holds, so that no font, however its counts and lengths are made, costs more.
#pragma once

#include <cstdint>

// A step is one unit of the reader's work: a table record, a long metric, a glyph's advance, a
// character map's group or segment, a code point of the rules visited or counted. A real font
// needs well under one step per byte it holds (a CJK font of 20 MiB about 0.1), and a face
// however small at most about 300,000 steps; what asks for more was made to stall readers.
constexpr std::uint64_t kStepsPerStoredByte = 4;
constexpr std::uint64_t kFreeSteps = std::uint64_t{1} << 22;

// Why a face is not read once the budget is spent.
constexpr char kTooMuchWork[] =
    "reading it would take more work than any real font of its size needs (its character maps "
    "and metrics claim far more than the file holds)";

struct WorkBudget {
  std::uint64_t stepsLeft = 0;
};

// The budget of a file that holds storedBytes bytes on its disk.
inline WorkBudget BudgetFor(std::uint64_t storedBytes) {
  const std::uint64_t most = (~std::uint64_t{0} - kFreeSteps) / kStepsPerStoredByte;
  return {kFreeSteps + kStepsPerStoredByte * (storedBytes < most ? storedBytes : most)};
}

// Takes steps from the budget; false, leaving it empty, when it holds fewer, so that once it is
// spent every later piece of work is refused and the reading does not depend on their sizes.
inline bool Spend(WorkBudget* budget, std::uint64_t steps) {
  if (steps > budget->stepsLeft) {
    budget->stepsLeft = 0;
    return false;
  }
  budget->stepsLeft -= steps;
  return true;
}
