// The programs of the printed fix lines as the user runs them: by their bare names where the
// command prompt and PowerShell find these very programs through PATH (an activated virtual
// environment's Scripts folder, a folder the user put on PATH).
#pragma once

#include <string>

#include "check/fix_command.h"

// The programs beside the check at check (see ProgramsBeside), each named by its bare name where
// the first program of that name in PATH's folders is the same file, and the current folder,
// which the command prompt searches first, holds no other.
FixPrograms ProgramsAsRun(const std::string& check);
