// What the report says of a fixed copy installed for the user: where it went, and the families
// that the user now chooses in programs.
#include <string>
#include <vector>

#include "check/report.h"
#include "check/shown_name.h"

std::string InstalledLines(const std::string& file, const std::string& copy,
                           const std::vector<std::string>& families) {
  if (copy.empty()) return "";
  std::string chosen;
  for (const std::string& family : families) {
    if (chosen.find("\"" + ShownName(family) + "\"") != std::string::npos) continue;
    chosen += (chosen.empty() ? "\"" : ", \"") + ShownName(family) + "\"";
  }
  const bool one = chosen.find(", ") == std::string::npos;
  return ShownName(file) + ": installed a fixed copy for you as " + chosen + ", in " +
         ShownName(copy) + ": choose " + (one ? "it" : "them") + " in your programs\n";
}
