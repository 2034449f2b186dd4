// The commands that fix a font, written for the platform's own command line.
#pragma once

#include <cstdint>
#include <string>

// The command line that runs quenlo on path with width, quoted so that it works when pasted;
// "" when quenlo cannot take that name on this platform.
std::string FixCommand(const std::string& path, std::int32_t width);

// The command line that runs quenlo-check --fix on path, quoted so that it works when pasted.
std::string CheckFixCommand(const std::string& path);
