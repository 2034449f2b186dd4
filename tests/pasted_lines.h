// What the shells read from a fix line pasted into them: models of the only readings the check's
// lines may rely on, which the tests and fuzz targets hold every printed line to.
#pragma once

#include <string>
#include <vector>

// The words that sh, dash, bash, zsh and fish all read from the line: words apart by one space,
// each bare (letters, digits and ._/- only, not starting with -) or in single quotes holding no
// quote and no backslash, the two that fish reads as escapes there. Empty when the line holds
// anything else, which some of them would read as more than itself.
std::vector<std::string> ReadByPosixShells(const std::string& line);

// The words that the command prompt and PowerShell both read from the line: the program bare
// (PowerShell runs no quoted one without &), then words apart by spaces, each bare or in double
// quotes. Empty when the line holds % or ! (the prompt's expansions), $ or ` (PowerShell's), ^,
// the typographic quotes and dashes that PowerShell reads as quotes and dashes, or outside
// quotes a character either of them reads as an operator.
std::vector<std::string> ReadByPromptAndPowerShell(const std::string& line);
