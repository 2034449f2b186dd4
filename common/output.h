// Where the command-line programs write: their output on standard output, problems on standard
// error; each platform defines these functions.
#pragma once

#include <string>

// Writes text to standard output; false when it could not be written whole.
bool PrintOutput(const std::string& text);

// Writes one line (text and a line feed) to standard error.
void PrintError(const std::string& text);
