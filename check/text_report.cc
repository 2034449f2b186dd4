// The report for people: one line per face with the numbers behind its verdict, and a second
// with the command that fixes it, or why quenlo cannot.
#include <string>

#include "check/fix_command.h"
#include "check/report.h"
#include "common/width.h"
#include "sfnt/sfnt.h"

namespace {

std::string Number(std::int64_t value) { return std::to_string(value); }

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
    case WidthKind::kProportional:
      break;
  }
  // A proportional face shows its most common ASCII advance too, so that a font sold as
  // monospaced shows why it does not count as one.
  const std::string proportional = "for a proportional font (" + ascii + ")";
  const std::string version = "OS/2 version " + Number(face.os2Version);
  if (v.keptAverage) {
    const bool weighted = v.weightedAverage && v.suggested == *v.weightedAverage;
    return (weighted ? "weighted average of a-z and the space" : "average advance of the glyphs") +
           std::string(", kept: either OpenType average will do ") + proportional + " with " +
           Number(v.cjkCount) + " CJK characters";
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

std::string Remedy(const std::string& file, const FaceSummary& face, const FixPrograms& programs) {
  const std::int32_t width = face.verdict.suggested;
  if (width < 1 || width > kMaxWidth) {
    return "  it cannot be fixed: a width must lie in 1.." + Number(kMaxWidth) + "\n";
  }
  // quenlo patches single TrueType-outline fonts only; the check's own fix writes the others.
  if (!Patchable(face)) return "  fix: " + CheckFixCommand(programs, file) + "\n";
  // A name that quenlo cannot take (a quote beside a blank) is no problem for the check's fix.
  const std::string command = FixCommand(programs, file, width);
  return "  fix: " + (command.empty() ? CheckFixCommand(programs, file) : command) + "\n";
}

// "#1, #2" for the members numbered 1 and 2.
std::string Members(const std::vector<std::uint32_t>& members) {
  std::string text;
  for (std::size_t i = 0; i < members.size(); ++i) {
    text += (i == 0 ? "#" : ", #") + Number(members[i]);
  }
  return text;
}

// The face's stored value and its verdict, on one line.
std::string VerdictLine(const std::string& file, const FaceSummary& face) {
  const std::string found = FaceName(file, face) + ": xAvgCharWidth " + Number(face.xAvgCharWidth);
  if (face.verdict.ok) return found + " ok: " + Reason(face) + "\n";
  return found + ", should be " + Number(face.verdict.suggested) + ": " + Reason(face) + "\n";
}

}  // namespace

std::int32_t NeededWidth(const FaceSummary& face) {
  return face.verdict.ok ? face.xAvgCharWidth : face.verdict.suggested;
}

std::string FaceLines(const std::string& file, const FaceSummary& face,
                      const std::vector<std::uint32_t>& sharedWith, const FixPrograms& programs) {
  std::string lines = VerdictLine(file, face);
  if (!face.verdict.ok) lines += Remedy(file, face, programs);
  if (!sharedWith.empty()) {
    lines +=
        "  its OS/2 table is shared with " + Members(sharedWith) + ": one write changes them all\n";
  }
  return lines;
}

std::string FixedFaceLines(const std::string& file, const FaceSummary& face, const FaceFix& fix,
                           const std::vector<std::uint32_t>& copySharedWith) {
  std::string lines = VerdictLine(file, face);
  if (fix.written) {
    lines += "  fixed: " + Number(face.xAvgCharWidth) + " -> " + Number(*fix.written);
    if (fix.copyAt != 0) {
      lines += ", in a new copy of its OS/2 table at byte " +
               Number(static_cast<std::int64_t>(fix.copyAt));
      if (!copySharedWith.empty()) lines += ", shared with " + Members(copySharedWith);
    }
    lines += "\n";
  } else if (!fix.notFixed.empty()) {
    lines += "  not fixed: " + fix.notFixed + "\n";
  }
  return lines;
}
