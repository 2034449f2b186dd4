// Carries out a fix's writes, all of them or, as far as the file allows, none.
#pragma once

#include <cstdint>
#include <vector>

#include "common/file.h"
#include "fixer/fix_plan.h"

enum class WriteOutcome {
  kNotMade,      // no write was tried
  kWritten,      // every write was made
  kRestored,     // a write failed; the file is as it was before the first
  kNotRestored,  // a write failed, and so did putting the old bytes back or cutting the file
};

// Makes the writes in order on the open file of oldSize bytes. When one fails, writes back the
// old bytes of it and of every write before it, in reverse order, and cuts the file to oldSize.
WriteOutcome ApplyWrites(FileHandle file, std::uint64_t oldSize,
                         const std::vector<FileWrite>& writes);
