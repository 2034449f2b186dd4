// PATH is searched as the shells search it: its folders in order, an empty one for the current
// folder, the first executable file of the name winning.
#include "posix/programs_on_path.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

std::string RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? resolved : "";
}

// name when PATH finds the program at path under it, else path.
std::string NameOnPath(const std::string& path, const std::string& name) {
  const char* search = getenv("PATH");
  if (path.find('/') == std::string::npos || search == nullptr) return path;
  const std::string wanted = RealPath(path);
  const std::string folders = search;
  for (std::size_t start = 0; start <= folders.size();) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = end == start ? "." : folders.substr(start, end - start);
    const std::string candidate = folder + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) {
      return !wanted.empty() && RealPath(candidate) == wanted ? name : path;
    }
    start = end + 1;
  }
  return path;
}

}  // namespace

FixPrograms ProgramsAsRun(const std::string& started) {
  FixPrograms programs = ProgramsBeside(started);
  programs.check = NameOnPath(programs.check, "quenlo-check");
  programs.quenlo = NameOnPath(programs.quenlo, "quenlo");
  return programs;
}
