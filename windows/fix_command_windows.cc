// The fix commands for the Windows command prompt: the name in double quotes unless it is plainly
// safe. A Windows file name cannot hold a double quote, so quoting always works.
#include <cstring>

#include "check/fix_command.h"

namespace {

// The name as one argument of the command prompt.
std::string Quoted(const std::string& path) {
  bool plain = !path.empty();
  for (const char c : path) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      std::strchr("_-.\\:/", c) != nullptr;
    plain = plain && safe;
  }
  return plain ? path : "\"" + path + "\"";
}

}  // namespace

std::string FixCommand(const std::string& path, std::int32_t width) {
  return "quenlo.exe -w " + std::to_string(width) + " " + Quoted(path);
}

std::string CheckFixCommand(const std::string& path) {
  // After "--" a name that starts with a dash is a font, not an option.
  return std::string("quenlo-check.exe --fix ") + (!path.empty() && path[0] == '-' ? "-- " : "") +
         Quoted(path);
}
