// The width check's entry on Windows: a console program whose wide arguments go to the shared
// check in UTF-8, so that every file name arrives whole whatever the code pages are.
#include <windows.h>

#include <string>
#include <vector>

#include "check/run_check.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string argument(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, argument.data(), length, nullptr, nullptr);
    argument.resize(argument.size() - 1);
    arguments.push_back(argument);
  }
  return RunCheck(arguments);
}
