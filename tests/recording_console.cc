// Defines the own console's and the output's functions over TheConsole(), recording each call.
#include "tests/recording_console.h"

#include "check/own_console.h"
#include "common/output.h"

RecordingConsole& TheConsole() {
  static RecordingConsole console;
  return console;
}

bool AskYesNo(const std::string& question) {
  TheConsole().console.push_back("ask: " + question);
  return TheConsole().answer;
}

void WaitForKey(const std::string& text) { TheConsole().console.push_back("wait: " + text); }

bool PrintOutput(const std::string& text) {
  TheConsole().output += text;
  return true;
}

void PrintError(const std::string& text) { TheConsole().output += "error: " + text + "\n"; }
