// The programs of the printed fix lines as the user runs them: by their bare names where PATH
// finds these very programs (an activated virtual environment, a package's bin folder).
#pragma once

#include <string>

#include "check/fix_command.h"

// The programs beside the check started as started (see ProgramsBeside), each named by its bare
// name where the first program of that name that PATH finds is the same file.
FixPrograms ProgramsAsRun(const std::string& started);
