// The fix commands for the shells of POSIX systems (sh, dash, bash, zsh, fish): a name is written
// bare when it holds only letters, digits and ._/-, else in single quotes, inside which each of
// them reads every character as itself but the quote and, in fish, the backslash. A name that
// holds either of those, or that is shown escaped, gets no command: there is no one spelling of
// it that every shell reads the same, and a command that runs something else is worse than none.
#include <cstring>

#include "check/fix_command.h"
#include "check/shown_name.h"
#include "common/limits.h"

namespace {

bool IsBare(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::strchr("_-./", c) != nullptr;
}

// The name as one word that every one of these shells reads as the name itself, or "" when
// there is none.
std::string Word(const std::string& name) {
  if (name.empty() || NeedsEscaping(name)) return "";
  bool bare = name[0] != '-';
  for (const char c : name) {
    if (c == '\'' || c == '\\') return "";
    bare = bare && IsBare(c);
  }
  return bare ? name : "'" + name + "'";
}

// A name that starts with a dash is read by no program as an option once it starts with "./".
std::string AsPath(const std::string& name) {
  return !name.empty() && name[0] == '-' ? "./" + name : name;
}

// The command line that runs quenlo-check with option on path.
std::string CheckCommand(const FixPrograms& programs, const std::string& option,
                         const std::string& path) {
  const std::string program = Word(programs.check);
  const std::string file = Word(AsPath(path));
  return program.empty() || file.empty() ? "" : program + " " + option + " " + file;
}

}  // namespace

std::string FixCommand(const FixPrograms& programs, const std::string& path, std::int32_t width) {
  // quenlo refuses an argument that starts with a quote, or that holds one beside a blank or a
  // control character, or is longer than its limit; "./" in front mends the first.
  std::string name = AsPath(path);
  bool blankOrControl = false;
  for (const char c : name) blankOrControl |= static_cast<unsigned char>(c) <= ' ';
  if (blankOrControl && name.find('"') != std::string::npos) return "";
  if (!name.empty() && name[0] == '"') name = "./" + name;
  if (name.size() > kMaxNameLength) return "";
  const std::string program = Word(programs.quenlo);
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

FixPrograms ProgramsBeside(const std::string& started) {
  // A name without a slash was found through PATH, where quenlo lies beside it; a path reaches
  // quenlo in the same folder the same way. A folder that no command can name is left to PATH.
  const std::size_t slash = started.rfind('/');
  if (slash == std::string::npos || Word(started).empty()) return {"quenlo", "quenlo-check"};
  return {started.substr(0, slash + 1) + "quenlo", started};
}
