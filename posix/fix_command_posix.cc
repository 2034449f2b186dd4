// The fix commands for a POSIX shell: the name in single quotes unless it is plainly safe.
#include <cstring>

#include "check/fix_command.h"
#include "common/limits.h"

namespace {

// Characters that no shell treats specially.
bool IsPlain(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::strchr("_-+=.,/:@%", c) != nullptr;
}

bool NeedsQuotes(const std::string& text) {
  for (const char c : text) {
    if (!IsPlain(c)) return true;
  }
  return text.empty();
}

// The name as one shell word.
std::string Quoted(const std::string& name) {
  if (!NeedsQuotes(name)) return name;
  std::string quoted = "'";
  for (const char c : name) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::string FixCommand(const FixPrograms& programs, const std::string& path, std::int32_t width) {
  // quenlo refuses an argument that starts with a quote, or that holds one beside a blank or a
  // control character, or is longer than its limit; "./" in front mends the first.
  std::string name = path;
  bool blankOrControl = false;
  for (const char c : name) blankOrControl |= static_cast<unsigned char>(c) <= ' ';
  if (blankOrControl && name.find('"') != std::string::npos) return "";
  if (!name.empty() && name[0] == '"') name = "./" + name;
  if (name.size() > kMaxNameLength) return "";

  return Quoted(programs.quenlo) + " -w " + std::to_string(width) + " " + Quoted(name);
}

std::string CheckFixCommand(const FixPrograms& programs, const std::string& path) {
  // After "--" a name that starts with a dash is a font, not an option.
  return Quoted(programs.check) + " --fix " + (!path.empty() && path[0] == '-' ? "-- " : "") +
         Quoted(path);
}

FixPrograms ProgramsBeside(const std::string& started) {
  // A name without a slash was found through PATH, where quenlo lies beside it; a path reaches
  // quenlo in the same folder the same way.
  const std::size_t slash = started.rfind('/');
  if (slash == std::string::npos) return {"quenlo", "quenlo-check"};
  return {started.substr(0, slash + 1) + "quenlo", started};
}
