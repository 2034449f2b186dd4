// Whether a fix's writes in place touch only the fields they are meant for.
#pragma once

#include <vector>

#include "fixer/fix_plan.h"

// True when each write lands only in its own field: an xAvgCharWidth value in its own OS/2 table
// (os2Tables, which must not overlap) and in nothing else a face's reading depends on, a record
// write in its own record and in no table, checkSumAdjustment in its own head table and nowhere
// else; the writes must not overlap each other, nor the faces' table directories one another.
bool WritesStayInTheirFields(const FixInput& input, const std::vector<ByteSpan>& os2Tables,
                             const std::vector<FileWrite>& values,
                             const std::vector<FileWrite>& records,
                             const std::vector<FileWrite>& adjustment);
