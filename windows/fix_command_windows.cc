// The fix command for the Windows command prompt: the name in double quotes unless it is plainly
// safe. A Windows file name cannot hold a double quote, so quoting always works.
#include <cstring>

#include "check/fix_command.h"

std::string FixCommand(const std::string& path, std::int32_t width) {
  bool plain = !path.empty();
  for (const char c : path) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      std::strchr("_-.\\:/", c) != nullptr;
    plain = plain && safe;
  }
  const std::string name = plain ? path : "\"" + path + "\"";
  return "quenlo.exe -w " + std::to_string(width) + " " + name;
}
