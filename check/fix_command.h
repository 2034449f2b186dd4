// The commands that fix a font, written for the platform's own command line, so that they run as
// printed from the shell and folder that the check was started in.
#pragma once

#include <cstdint>
#include <string>

// The programs the commands run, as that shell reaches them: a name it finds through PATH, or a
// path to the program.
struct FixPrograms {
  std::string quenlo;
  std::string check;
  bool commands = true;  // false in a window of its own, where no command can be typed
};

// The command line that runs quenlo on path with width, quoted so that it works when pasted;
// "" when quenlo cannot take that name on this platform, or one that long.
std::string FixCommand(const FixPrograms& programs, const std::string& path, std::int32_t width);

// The command line that runs quenlo-check --fix on path, quoted so that it works when pasted;
// "" when no such line can carry the name.
std::string CheckFixCommand(const FixPrograms& programs, const std::string& path);

// The command line that runs quenlo-check --install on path, as CheckFixCommand does --fix.
std::string CheckInstallCommand(const FixPrograms& programs, const std::string& path);

// The programs beside the running check, from the path it was started by (argv[0] on POSIX
// systems, the program's full path on Windows).
FixPrograms ProgramsBeside(const std::string& check);
