// Defines ShowError for test programs so that every message can be checked.
#include "tests/recording_reporter.h"

#include "common/show_error.h"

std::vector<std::string>& ShownErrors() {
  static std::vector<std::string> shown;
  return shown;
}

void ShowError(const char* text) { ShownErrors().push_back(text); }
