// Test double for the own console and the output: records what was shown and asked, in order,
// and answers every question alike.
#pragma once

#include <string>
#include <vector>

struct RecordingConsole {
  std::vector<std::string> console;  // "ask: QUESTION" and "wait: TEXT", in order
  std::string output;                // the report, and "error: TEXT" lines for errors
  bool answer = false;               // the answer to every question
};

// The one recording console that AskYesNo, WaitForKey, PrintOutput and PrintError use; reset
// it before each case.
RecordingConsole& TheConsole();
