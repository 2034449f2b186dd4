// What the report says of fixed copies installed for the user (where each went, and the
// families that the user now chooses in programs), and of installed files it did not check.
#include <set>
#include <string>
#include <vector>

#include "check/report.h"
#include "check/shown_name.h"

std::string InstalledLines(const std::string& file, const std::string& copy,
                           const std::vector<std::string>& families) {
  if (copy.empty()) return "";
  std::set<std::string> named;
  std::string chosen;
  for (const std::string& family : families) {
    if (!named.insert(family).second) continue;
    chosen += (chosen.empty() ? "\"" : ", \"") + ShownName(family) + "\"";
  }
  return ShownName(file) + ": installed a fixed copy for you as " + chosen + ", in " +
         ShownName(copy) + ": choose " + (named.size() > 1 ? "them" : "it") + " in your programs\n";
}

std::string NotCheckedLine(int otherFormats, int missing) {
  std::string parts;
  if (otherFormats > 0) {
    parts = std::to_string(otherFormats) +
            " in formats the check does not read (such as Type 1 and bitmap fonts)";
  }
  if (missing > 0) {
    parts += (parts.empty() ? "" : ", and ") + std::to_string(missing) +
             " that the system lists but that are missing";
  }
  return parts.empty() ? "" : "Not checked among the installed font files: " + parts + ".\n";
}
