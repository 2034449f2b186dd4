// The report for people: one line per face with the numbers behind its verdict, and a second
// with the command that fixes it, or why quenlo cannot.
#include <string>

#include "check/fix_command.h"
#include "check/report.h"
#include "check/shown_name.h"
#include "common/width.h"
#include "reader/cell_rule.h"
#include "reader/standard_input.h"
#include "sfnt/sfnt.h"

namespace {

std::string Number(std::int64_t value) { return std::to_string(value); }

// larger / smaller to two decimals, rounded half up: "1.67".
std::string Ratio(std::int64_t larger, std::int64_t smaller) {
  const std::int64_t hundredths = smaller > 0 ? (200 * larger + smaller) / (2 * smaller) : 0;
  const std::string cents = Number(hundredths % 100);
  return Number(hundredths / 100) + "." + (cents.size() < 2 ? "0" : "") + cents;
}

std::string Reason(const FaceSummary& face) {
  const WidthVerdict& v = face.verdict;
  const std::string ascii =
      v.halfWidth ? Number(v.halfWidthCount) + " of 95 ASCII characters at " + Number(*v.halfWidth)
                  : "none of the 95 ASCII characters mapped";
  switch (v.kind) {
    case WidthKind::kDuospaced:
      return "half-width advance of a CJK font with 1:2 widths: " + ascii + ", full width " +
             Number(v.fullWidth.value_or(0)) + " (" + Number(v.cjkCount) + " CJK characters)";
    case WidthKind::kMonospaced:
      return "half-width advance of a fixed-pitch font: " + ascii;
    case WidthKind::kDualWidth: {
      const std::int64_t half = v.halfWidth.value_or(0);
      const std::int64_t full = v.fullWidth.value_or(0);
      return std::string(v.suggested == full ? "full" : "half") +
             " width of a CJK font with dual widths " + Number(half) + ":" + Number(full) +
             " (1:" + Ratio(full, half) + "), either of which it may hold: " + ascii +
             ", full width " + Number(full) + " (" + Number(v.cjkCount) + " CJK characters)";
    }
    case WidthKind::kProportional:
      break;
  }
  // A proportional face shows its most common ASCII advance too, so that a font sold as
  // monospaced shows why it does not count as one.
  const std::string proportional = "for a proportional font (" + ascii + ")";
  const std::string version = "OS/2 version " + Number(face.os2Version);
  if (v.keptStored) {
    const WidthRange kept = KeptRange(v);
    return "kept: it lies from the lower average to the highest of the averages and the full "
           "width (" +
           Number(kept.lowest) + " to " + Number(kept.highest) +
           "), where no program is known to need one value over another, " + proportional +
           " with " + Number(v.cjkCount) + " CJK characters";
  }
  if (face.os2Version <= 2 && v.weightedAverage) {
    return "weighted average of a-z and the space, the rule of " + version + ", " + proportional;
  }
  if (face.os2Version <= 2) {
    return "average advance of the glyphs: the weighted average of " + version +
           " needs all of a-z and the space, and some are missing (" + ascii + ")";
  }
  return "average advance of the glyphs, the rule of " + version + ", " + proportional;
}

std::string Remedy(const std::string& file, const FaceSummary& face, const FixPrograms& programs,
                   const FaceContext& context) {
  const std::int32_t width = face.verdict.suggested;
  if (width < 1 || width > kMaxWidth) {
    return "  it cannot be fixed: a width must lie in 1.." + Number(kMaxWidth) + "\n";
  }
  if (context.copy) {
    return "  a fixed copy is installed for you: choose \"" + ShownName(context.copyFamily) +
           "\" in your programs\n";
  }
  if (!context.notCopied.empty()) return "  no fixed copy: " + context.notCopied + "\n";
  // A command with "-" would read standard input again, or a file of that name.
  if (file == kStandardInput) {
    return "  fix: it came from standard input: give the same input to quenlo-check --fix "
           "--output FILE -\n";
  }
  // A name that a terminal cannot show as it is could not be pasted as shown either.
  if (NeedsEscaping(file)) {
    return "  fix: rename the file first, then check it again: its name holds characters that "
           "cannot be shown or pasted safely (written \\xHH above)\n";
  }
  // quenlo patches single TrueType-outline fonts only; the check's own fix writes the others. A
  // name that quenlo cannot take (a quote beside a blank, a length past its limit) is no problem
  // for the check's fix.
  // An installed font belongs to the system or is in use: a renamed copy is installed instead.
  if (!programs.commands) return "";
  std::string command = context.installed ? CheckInstallCommand(programs, file)
                        : Patchable(face) ? FixCommand(programs, file, width)
                                          : "";
  if (command.empty() && !context.installed) command = CheckFixCommand(programs, file);
  if (command.empty()) {
    return "  fix: rename the file first, then check it again: its name holds a character that "
           "some shell would read as more than itself\n";
  }
  return "  fix: " + command + "\n";
}

// The members other than face, in ascending order, with runs of three or more as ranges:
// "#1, #2, #5-#9".
std::string OtherMembers(const std::vector<std::uint32_t>& members, std::uint32_t face) {
  std::string text;
  for (std::size_t i = 0; i < members.size();) {
    if (members[i] == face) {
      ++i;
      continue;
    }
    std::size_t last = i;
    while (last + 1 < members.size() && members[last + 1] == members[last] + 1 &&
           members[last + 1] != face) {
      ++last;
    }
    if (!text.empty()) text += ", ";
    if (last - i >= 2) {
      text += "#" + Number(members[i]) + "-#" + Number(members[last]);
      i = last + 1;
    } else {
      text += "#" + Number(members[i]);
      ++i;
    }
  }
  return text;
}

// Who else uses the table: named in full under the first of them, referred to under the others.
std::string Sharers(const std::vector<std::uint32_t>& members, std::uint32_t face) {
  if (members.front() == face) return OtherMembers(members, face);
  return "#" + Number(members.front()) + " and the members named under it";
}

// The face's stored value and its verdict, on one line; an installed font's face by its family and
// style first.
std::string VerdictLine(const std::string& file, const FaceSummary& face,
                        const FaceContext& context = {}) {
  const std::string names =
      context.style.empty() ? context.family : context.family + " " + context.style;
  const std::string label =
      names.empty() ? FaceName(file, face) : ShownName(names) + " (" + FaceName(file, face) + ")";
  const std::string found = label + ": xAvgCharWidth " + Number(face.xAvgCharWidth);
  if (face.verdict.ok) return found + " ok: " + Reason(face) + "\n";
  return found + ", should be " + Number(face.verdict.suggested) + ": " + Reason(face) + "\n";
}

}  // namespace

std::string CellsLine(const WrongCells& cells) {
  return std::string("its text cells come out too ") +
         (cells.cell > cells.characters ? "wide" : "narrow") + ": " + Number(cells.cell) +
         " pixels for characters of " + Number(cells.characters) + ", at " + Number(cells.pixels) +
         " pixels";
}

std::int32_t NeededWidth(const FaceSummary& face) {
  return face.verdict.ok ? face.xAvgCharWidth : face.verdict.suggested;
}

std::string FaceLines(const std::string& file, const FaceSummary& face,
                      const std::vector<std::uint32_t>& sharing, const FixPrograms& programs,
                      const FaceContext& context) {
  std::string lines = VerdictLine(file, face, context);
  if (const std::optional<WrongCells> cells = WrongCellsOf(face); cells && context.installed) {
    lines += "  " + CellsLine(*cells) + "\n";
  }
  if (!face.verdict.ok) lines += Remedy(file, face, programs, context);
  if (sharing.size() > 1 && face.index) {
    lines += "  its OS/2 table is shared with " + Sharers(sharing, *face.index) +
             ": one write changes them all\n";
  }
  return lines;
}

std::string FixedFaceLines(const std::string& file, const FaceSummary& face, const FaceFix& fix,
                           const std::vector<std::uint32_t>& copySharing) {
  std::string lines = VerdictLine(file, face);
  if (fix.written) {
    lines += "  fixed: " + Number(face.xAvgCharWidth) + " -> " + Number(*fix.written);
    if (fix.copyAt != 0) {
      lines += ", in a new copy of its OS/2 table at byte " +
               Number(static_cast<std::int64_t>(fix.copyAt));
      if (copySharing.size() > 1 && face.index) {
        lines += ", shared with " + Sharers(copySharing, *face.index);
      }
    }
    lines += "\n";
  } else if (!fix.notFixed.empty()) {
    lines += "  not fixed: " + fix.notFixed + "\n";
  }
  return lines;
}
