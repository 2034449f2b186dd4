// Sets the average character width recorded in a TrueType font file.
#pragma once

#include "common/width.h"

// Writes width into the OS/2 table's xAvgCharWidth of the file, changing only those two bytes.
// Returns true once they are written; otherwise reports the failure through ShowError and
// returns false with the file unchanged. width must lie in 1..kMaxWidth.
bool SetAverageCharWidth(const char* fileName, Width width);
