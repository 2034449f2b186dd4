// Reads the command line, checks each file in turn and reports as it goes, so that a long list
// of fonts shows its first findings at once.
#include "check/run_check.h"

#include <algorithm>

#include "check/report.h"
#include "common/output.h"
#include "common/version.h"
#include "fixer/fix_font.h"
#include "reader/font_faces.h"

namespace {

constexpr char kUsage[] =
    "Usage: quenlo-check [--fix] [--json] FONT...\n"
    "Tells whether each face of each font holds the xAvgCharWidth (OS/2 table) that Windows\n"
    "needs to size text cells, and prints the command that sets it.\n"
    "  --fix      write the width each face needs into the font, TrueType or CFF, and into\n"
    "             each member of a collection, keeping checksums valid; a table that members\n"
    "             share but need different values in is copied to the end of the file\n"
    "  --json     write a JSON array, one object per face, instead of lines\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "  --         end of options: every argument after it is a font\n"
    "Exit status: 0 when every face is ok (with --fix: afterwards), 1 when some face needs\n"
    "another width, 2 when a file cannot be read or written, the command line is wrong or the\n"
    "report cannot be written.";

constexpr char kProgram[] = "quenlo-check: ";

struct Options {
  bool fix = false;
  bool json = false;
  bool help = false;
  bool version = false;
  std::vector<std::string> files;
  std::string wrong;  // the argument that is not an option, when there is one
};

Options ReadOptions(const std::vector<std::string>& arguments) {
  Options options;
  bool optionsEnded = false;
  for (const std::string& argument : arguments) {
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      options.files.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--fix") {
      options.fix = true;
    } else if (argument == "--json") {
      options.json = true;
    } else if (argument == "--help") {
      options.help = true;
    } else if (argument == "--version") {
      options.version = true;
    } else if (options.wrong.empty()) {
      options.wrong = argument;
    }
  }
  return options;
}

// The members of the collection other than face that use the same OS/2 table, when one of them
// needs another value than face does.
std::vector<std::uint32_t> SharingMembers(const FontFaces& font, const FaceSummary& face) {
  std::vector<std::uint32_t> members;
  bool another = false;
  for (const FaceSummary& other : font.faces) {
    if (&other != &face && other.index && other.error.empty() &&
        other.os2.offset == face.os2.offset) {
      members.push_back(*other.index);
      another = another || NeededWidth(other) != NeededWidth(face);
    }
  }
  return another ? members : std::vector<std::uint32_t>{};
}

// The other members that now use the same new copy of the OS/2 table as face i.
std::vector<std::uint32_t> CopySharers(const FontFix& fix, std::size_t i) {
  std::vector<std::uint32_t> members;
  const std::uint64_t copyAt = fix.plan.faces[i].copyAt;
  for (std::size_t k = 0; k < fix.font.faces.size(); ++k) {
    if (k != i && copyAt != 0 && fix.plan.faces[k].copyAt == copyAt) {
      members.push_back(*fix.font.faces[k].index);
    }
  }
  return members;
}

// Checks, or with --fix fixes, one file and writes its report; returns the worst status among
// its faces (after the fix), or -1 when the report could not be written.
int CheckFile(const std::string& file, const Options& options, const FixPrograms& programs,
              bool* first, Fixable* fixable) {
  FontFix fix;
  if (options.fix) {
    fix = FixFontFile(file.c_str());
  } else {
    fix.font = ReadFontFaces(file.c_str());
    fix.error = fix.font.error;
    fix.plan.faces.resize(fix.font.faces.size());
  }
  std::string report;
  const auto addJson = [&](const std::string& object) {
    report += (*first ? "\n" : ",\n") + object;
    *first = false;
  };
  if (!fix.error.empty()) {
    PrintError(kProgram + file + ": " + fix.error);
    if (options.json) addJson(ErrorJson(file, std::nullopt, fix.error));
    return PrintOutput(report) ? kCheckTrouble : -1;
  }
  int status = kCheckAllOk;
  for (std::size_t i = 0; i < fix.font.faces.size(); ++i) {
    const FaceSummary& face = fix.font.faces[i];
    const FaceFix& faceFix = fix.plan.faces[i];
    if (!face.error.empty()) {
      PrintError(kProgram + FaceName(file, face) + ": " + face.error);
      if (options.json) addJson(ErrorJson(file, face.index, face.error));
      status = kCheckTrouble;
      continue;
    }
    if (options.json) {
      addJson(options.fix ? FixedFaceJson(file, face, faceFix.written) : FaceJson(file, face));
    } else if (options.fix) {
      report += FixedFaceLines(file, face, faceFix, CopySharers(fix, i));
    } else {
      report += FaceLines(file, face, SharingMembers(fix.font, face), programs);
    }
    if (!face.verdict.ok && !faceFix.written) status = std::max(status, kCheckNeedsFix);
    if (!options.fix && WantedWidth(face)) {
      if (fixable->files.empty() || fixable->files.back() != file) fixable->files.push_back(file);
      ++fixable->faces;
    }
  }
  if (fix.signatureBroken) {
    PrintError(kProgram + file +
               ": its digital signature (the 'DSIG' table) no longer matches the font; sign it "
               "again if it must be signed");
  }
  return PrintOutput(report) ? status : -1;
}

int CannotWrite() {
  PrintError(std::string(kProgram) + "cannot write the report to standard output");
  return kCheckTrouble;
}

}  // namespace

int RunCheck(const std::vector<std::string>& arguments, const FixPrograms& programs) {
  Fixable fixable;
  return RunCheckCounting(arguments, programs, &fixable);
}

int RunCheckCounting(const std::vector<std::string>& arguments, const FixPrograms& programs,
                     Fixable* fixable) {
  const Options options = ReadOptions(arguments);
  if (!options.wrong.empty()) {
    PrintError(kProgram + ("unknown option " + options.wrong) + "\n\n" + kUsage);
    return kCheckTrouble;
  }
  if (options.help || options.version) {
    const std::string text = options.help ? kUsage : std::string("quenlo-check ") + kVersion;
    return PrintOutput(text + "\n") ? kCheckAllOk : CannotWrite();
  }
  if (options.files.empty()) {
    PrintError(std::string(kProgram) + "no font given\n\n" + kUsage);
    return kCheckTrouble;
  }
  if (options.json && !PrintOutput("[")) return CannotWrite();
  int status = kCheckAllOk;
  bool first = true;
  for (const std::string& file : options.files) {
    const int fileStatus = CheckFile(file, options, programs, &first, fixable);
    if (fileStatus < 0) return CannotWrite();
    status = std::max(status, fileStatus);
  }
  if (options.json && !PrintOutput(first ? "]\n" : "\n]\n")) return CannotWrite();
  return status;
}
