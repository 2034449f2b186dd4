// What the report says of a fixed copy installed for the user: where it went, and the families
// that the user now chooses in programs.
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
