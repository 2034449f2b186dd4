// Runs a program as a separate process for end-to-end tests and captures what it did.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tests/files.h"
#include "tests/font_builder.h"

struct Outcome {
  int status = -1;  // the exit status, or -1 when the program did not exit by itself
  std::string out;
  std::string err;
};

// Runs command (a program's path, then its arguments) in workDir and waits at most 20 s for it,
// killing it after that. Each entry of environment is "NAME=value" to set or "NAME" to remove.
// With asUnprivileged, a root caller runs it as the user nobody, to whom file modes apply.
Outcome RunCommand(const std::vector<std::string>& command, const std::string& workDir,
                   const std::vector<std::string>& environment = {}, bool asUnprivileged = false);

// Every regular file below the folder, with its bytes.
std::map<std::string, Bytes> Snapshot(const TempDir& folder);
