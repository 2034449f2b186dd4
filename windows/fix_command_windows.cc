// The fix commands for the Windows command prompt: the name in double quotes unless it is plainly
// safe. A Windows file name cannot hold a double quote, so quoting always works.
#include <cstring>

#include "check/fix_command.h"
#include "common/limits.h"

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

std::string FixCommand(const FixPrograms& programs, const std::string& path, std::int32_t width) {
  // quenlo takes a name of up to its limit in bytes, which UTF-8 names reach sooner.
  if (path.size() > kMaxNameLength) return "";
  return Quoted(programs.quenlo) + " -w " + std::to_string(width) + " " + Quoted(path);
}

std::string CheckFixCommand(const FixPrograms& programs, const std::string& path) {
  // After "--" a name that starts with a dash is a font, not an option.
  return Quoted(programs.check) + " --fix " + (!path.empty() && path[0] == '-' ? "-- " : "") +
         Quoted(path);
}

FixPrograms ProgramsBeside(const std::string& check) {
  // The full path works from any folder, where a bare quenlo.exe works only in its own.
  return {check.substr(0, check.find_last_of("\\/") + 1) + "quenlo.exe", check};
}
