// Decides how to fix a font file: from what was read of it to the list of writes, as a pure
// function, so that every choice can be tested without a file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fixer/fix_layout.h"

struct FileWrite {
  std::uint64_t position = 0;
  Bytes bytes;  // what goes there
  Bytes old;    // what was there, as long as bytes; empty for bytes past the file's old end
};

// Why a fix stops when the bytes it reads again differ from the first reading.
constexpr char kFileChanged[] =
    "the file changed while it was being fixed (another program wrote to it)";

struct FixPlan {
  std::string error;              // why nothing may be written; empty when the plan holds
  std::vector<FileWrite> writes;  // in the order they must be made
  std::vector<FaceFix> faces;     // one per face of the input, in its order
};

// Decides the writes: each OS/2 table whose faces all want one value gets it in place; a table
// whose faces want different values keeps the value of the faces that keep theirs (or else of
// the lowest-numbered face), and each other value gets a copy of the table appended at the end,
// to which the records of the faces that want it then point. Every record of a changed or new
// table gets its checksum, and a single font's checkSumAdjustment moves by the change in the
// file's sum. Order: appended copies, values in place, records, checkSumAdjustment. The layout
// is LayOutFix's; the bytes come from the OS/2 tables of the input.
FixPlan PlanFix(const FixInput& input);
