// Where the width check writes: the report on standard output, problems on standard error.
#pragma once

#include <string>

// Writes text to standard output; false when it could not be written whole.
bool PrintOutput(const std::string& text);

// Writes one line (text and a line feed) to standard error.
void PrintError(const std::string& text);
