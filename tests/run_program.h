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

struct RunOptions {
  std::vector<std::string> environment;  // "NAME=value" to set or "NAME" to remove
  bool asUnprivileged = false;     // a root caller runs it as the user nobody, bound by file modes
  std::vector<int> closedStreams;  // standard descriptors (0 to 2) it starts without
};

// Runs command (a program's path, then its arguments) in workDir and waits at most 20 s for it,
// killing it after that. A stream that it starts without reads as empty in the outcome.
Outcome RunCommand(const std::vector<std::string>& command, const std::string& workDir,
                   const RunOptions& options = {});

// Every regular file below the folder, with its bytes.
std::map<std::string, Bytes> Snapshot(const TempDir& folder);
