// The fix commands for Windows, to be pasted into the command prompt or PowerShell: the programs
// by a path written bare, which both run, and the name bare or in double quotes. Inside double
// quotes both read every character as itself but % (the prompt's variables), ! (its delayed
// expansion), $ and ` (PowerShell's variables and escapes) and the typographic quotes, which
// PowerShell takes for quotes; a name that holds one of them, or that is shown escaped, gets no
// command: there is no one spelling of it that both read the same.
#include <cstring>

#include "check/fix_command.h"
#include "check/shown_name.h"
#include "common/limits.h"
#include "common/utf8.h"

namespace {

bool IsBare(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::strchr("_-.\\:~", c) != nullptr;
}

// Whether the code point reads as itself inside double quotes in both.
bool Quotable(std::uint32_t c) {
  if (c < 0x80) return c >= 0x20 && std::strchr("\"%!$`^", static_cast<int>(c)) == nullptr;
  return !(c >= 0x2013 && c <= 0x2015) && !(c >= 0x2018 && c <= 0x201E);
}

// The path written bare, when both read it so as itself: a command's program must be, as
// PowerShell runs no quoted path without &, which the prompt does not take; "" otherwise.
std::string Bare(const std::string& path) {
  if (path.empty() || path[0] == '-' || path[0] == '~' || NeedsEscaping(path)) return "";
  for (const char c : path) {
    if (!IsBare(c)) return "";
  }
  return path;
}

// The name as one argument that both read as the name itself, or "" when there is none.
std::string Word(const std::string& name) {
  if (!Bare(name).empty()) return name;
  if (name.empty() || NeedsEscaping(name)) return "";
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t length = Utf8Length(name, i);
    if (length == 0 || !Quotable(Utf8CodePoint(name, i, length))) return "";
    i += length;
  }
  return "\"" + name + "\"";
}

// A name that starts with a dash is read by no program as an option once it starts with ".\".
std::string AsPath(const std::string& name) {
  return !name.empty() && name[0] == '-' ? ".\\" + name : name;
}

// The command line that runs quenlo-check with option on path.
std::string CheckCommand(const FixPrograms& programs, const std::string& option,
                         const std::string& path) {
  const std::string program = Bare(programs.check);
  const std::string file = Word(AsPath(path));
  return program.empty() || file.empty() ? "" : program + " " + option + " " + file;
}

}  // namespace

std::string FixCommand(const FixPrograms& programs, const std::string& path, std::int32_t width) {
  // quenlo takes a name of up to its limit in bytes, which UTF-8 names reach sooner.
  const std::string name = AsPath(path);
  if (name.size() > kMaxNameLength) return "";
  const std::string program = Bare(programs.quenlo);
  const std::string file = Word(name);
  if (program.empty() || file.empty()) return "";
  return program + " -w " + std::to_string(width) + " " + file;
}

std::string CheckFixCommand(const FixPrograms& programs, const std::string& path) {
  return CheckCommand(programs, "--fix", path);
}

std::string CheckInstallCommand(const FixPrograms& programs, const std::string& path) {
  return CheckCommand(programs, "--install", path);
}

FixPrograms ProgramsBeside(const std::string& check) {
  // The full path works from any folder, where a bare quenlo.exe works only through PATH; a path
  // that cannot be written bare is left to PATH.
  if (Bare(check).empty()) return {"quenlo.exe", "quenlo-check.exe"};
  return {check.substr(0, check.find_last_of("\\/") + 1) + "quenlo.exe", check};
}
