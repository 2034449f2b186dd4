// Whether a fix's writes in place touch only the fields they are meant for.
#pragma once

#include <vector>

#include "fixer/fix_layout.h"

// The bytes that a fix writes in place, by kind.
struct WriteSpans {
  std::vector<ByteSpan> values;      // xAvgCharWidth fields
  std::vector<ByteSpan> records;     // checksums and offsets of OS/2 table records
  std::vector<ByteSpan> adjustment;  // a single font's checkSumAdjustment
};

// True when each write lands only in its own field: an xAvgCharWidth value in its own OS/2 table
// (os2Tables, which must not overlap) and in no other table, table directory or collection
// header; a record write in its own record and in no table, collection header or directory of a
// face that could not be read; checkSumAdjustment in its own head table and nowhere else. The
// writes must not overlap each other, nor the readable faces' table directories one another.
bool WritesStayInTheirFields(const FixInput& input, const std::vector<ByteSpan>& os2Tables,
                             const WriteSpans& writes);
