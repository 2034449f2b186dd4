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
      Number(v.halfWidthCount) + " of 95 ASCII characters at " + Number(v.halfWidth.value_or(0));
  switch (v.kind) {
    case WidthKind::kDuospaced:
      return "half-width advance of a CJK font with 1:2 widths: " + ascii + ", full width " +
             Number(v.fullWidth.value_or(0)) + " (" + Number(v.cjkCount) + " CJK characters)";
    case WidthKind::kMonospaced:
      return "half-width advance of a fixed-pitch font: " + ascii;
    case WidthKind::kProportional:
      break;
  }
  const std::string version = "OS/2 version " + Number(face.os2Version);
  if (face.os2Version <= 2 && v.weightedAverage) {
    return "weighted average of a-z and the space, the rule of " + version +
           ", for a proportional font";
  }
  if (face.os2Version <= 2) {
    return "average advance of the glyphs: the weighted average of " + version +
           " needs all of a-z and the space, and some are missing";
  }
  return "average advance of the glyphs, the rule of " + version + ", for a proportional font";
}

std::string Remedy(const std::string& file, const FaceSummary& face) {
  const std::int32_t width = face.verdict.suggested;
  if (!Patchable(face)) {
    const std::string what = face.index                          ? "a member of a collection"
                             : face.sfntVersion == kAppleVersion ? "an Apple 'true' font"
                                                                 : "a CFF font";
    return "  quenlo cannot fix it: it patches single TrueType-outline fonts only, and this is " +
           what + "\n";
  }
  if (width < 1 || width > kMaxWidth) {
    return "  quenlo cannot fix it: it sets widths of 1 to " + Number(kMaxWidth) + " only\n";
  }
  const std::string command = FixCommand(file, width);
  if (command.empty()) {
    return "  quenlo cannot take this file name: rename the file, then run quenlo -w " +
           Number(width) + " on it\n";
  }
  return "  fix: " + command + "\n";
}

}  // namespace

std::string FaceLines(const std::string& file, const FaceSummary& face,
                      const std::vector<std::uint32_t>& sharedWith) {
  std::string lines = FaceName(file, face) + ": xAvgCharWidth " + Number(face.xAvgCharWidth);
  if (face.verdict.ok) {
    lines += " ok: " + Reason(face) + "\n";
  } else {
    lines += ", should be " + Number(face.verdict.suggested) + ": " + Reason(face) + "\n";
    lines += Remedy(file, face);
  }
  if (!sharedWith.empty()) {
    lines += "  its OS/2 table is shared with";
    for (std::size_t i = 0; i < sharedWith.size(); ++i) {
      lines += (i == 0 ? " #" : ", #") + Number(sharedWith[i]);
    }
    lines += ": one write changes them all\n";
  }
  return lines;
}
