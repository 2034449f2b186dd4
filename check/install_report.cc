// What the report says of fixed copies installed for the user (where each went, and the
// families that the user now chooses in programs), and what --installed found in all.
#include <set>
#include <string>
#include <vector>

#include "check/report.h"
#include "check/shown_name.h"

namespace {

// The families, each once, quoted and shown safely: "A", "B"; and how many there are.
std::string QuotedFamilies(const std::vector<std::string>& families, std::size_t* count) {
  std::set<std::string> named;
  std::string quoted;
  for (const std::string& family : families) {
    if (!named.insert(family).second) continue;
    quoted += (quoted.empty() ? "\"" : ", \"") + ShownName(family) + "\"";
  }
  *count = named.size();
  return quoted;
}

}  // namespace

std::string InstalledLines(const std::string& file, const std::string& copy,
                           const std::vector<std::string>& families,
                           const std::vector<std::string>& notFixedPitch) {
  if (copy.empty()) return "";
  std::size_t count = 0;
  const std::string chosen = QuotedFamilies(families, &count);
  std::string lines = ShownName(file) + ": installed a fixed copy for you as " + chosen + ", in " +
                      ShownName(copy) + ": choose " + (count > 1 ? "them" : "it") +
                      " in your programs\n";
  if (notFixedPitch.empty()) return lines;
  const std::string named = QuotedFamilies(notFixedPitch, &count);
  return lines + "  " + named + (count > 1 ? " are" : " is") +
         " not reported as fixed pitch, as the original is not: fixed-pitch font lists (the "
         "console's, PuTTY's) leave " +
         (count > 1 ? "them" : "it") +
         " out, and Notepad, mintty, ConEmu, Wine's programs and Firefox use " +
         (count > 1 ? "their" : "its") + " cells\n";
}

std::string RemovedLine(const std::string& copy, const std::vector<std::string>& families) {
  std::size_t count = 0;
  const std::string quoted = QuotedFamilies(families, &count);
  return "removed the fixed copy " + (count == 0 ? "" : quoted + ", ") + ShownName(copy) + "\n";
}

std::string InstalledSummary(const InstalledTally& tally) {
  const std::string faces = std::to_string(tally.faces) + " face" + (tally.faces == 1 ? "" : "s");
  std::string lines = tally.wrongCells == 0
                          ? "None of the " + faces +
                                " of the installed fonts gives text cells of the wrong width.\n"
                          : std::to_string(tally.wrongCells) + " of the " + faces +
                                " of the installed fonts " +
                                (tally.wrongCells == 1 ? "gives" : "give") +
                                " text cells of the wrong width (named above).\n";
  if (tally.unseen > 0) {
    lines += std::to_string(tally.unseen) + (tally.unseen == 1 ? " more stores" : " more store") +
             " another value than the rules give, which no text cell shows (in "
             "proportional fonts, or rounded to the same whole pixels): check a file by name to "
             "see them.\n";
  }
  std::string parts;
  if (tally.otherFormats > 0) {
    parts = std::to_string(tally.otherFormats) +
            " in formats the check does not read (such as Type 1 and bitmap fonts)";
  }
  if (tally.missing > 0) {
    parts += (parts.empty() ? "" : ", and ") + std::to_string(tally.missing) +
             " that the system lists but that are missing";
  }
  if (!parts.empty()) lines += "Not checked among the installed font files: " + parts + ".\n";
  return lines;
}
