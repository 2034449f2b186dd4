// Reads the command line, checks each file in turn and reports as it goes, so that a long list
// of fonts shows its first findings at once.
#include "check/run_check.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "check/report.h"
#include "check/shown_name.h"
#include "common/output.h"
#include "common/output_file.h"
#include "common/version.h"
#include "fixer/fix_copy.h"
#include "fixer/fix_font.h"
#include "reader/font_faces.h"

namespace {

constexpr char kUsage[] =
    "Usage: quenlo-check [--fix [--output PATH]] [--json] FONT...\n"
    "Tells whether each face of each font holds the xAvgCharWidth (OS/2 table) that Windows\n"
    "needs to size text cells, and prints the command that sets it.\n"
    "  --fix      write the width each face needs into the font, TrueType or CFF, and into\n"
    "             each member of a collection, keeping checksums valid; a table that members\n"
    "             share but need different values in is copied to the end of the file\n"
    "  -o, --output PATH\n"
    "             with --fix: write the fixed font to PATH, a new file put in place in one\n"
    "             step (for several fonts, a folder where each keeps its name), and leave\n"
    "             FONT as it was; a font that needs nothing is copied as it is\n"
    "  --json     write a JSON array, one object per face, instead of lines\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "  --         end of options: every argument after it is a font\n"
    "FONT - reads a font from standard input, once.\n"
    "Exit status: 0 when every face is ok (with --fix: afterwards), 1 when some face needs\n"
    "another width, 2 when a file cannot be read or written, the command line is wrong or the\n"
    "report cannot be written.";

constexpr char kProgram[] = "quenlo-check: ";

struct Options {
  bool fix = false;
  bool json = false;
  bool help = false;
  bool version = false;
  std::optional<std::string> output;
  std::vector<std::string> files;
  std::string wrong;  // the argument that is not an option, when there is one
};

Options ReadOptions(const std::vector<std::string>& arguments) {
  Options options;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
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
    } else if ((argument == "--output" || argument == "-o") && i + 1 < arguments.size()) {
      options.output = arguments[++i];
    } else if (options.wrong.empty()) {
      options.wrong = argument;
    }
  }
  return options;
}

// Why the files and --output do not go together, or "" when they do.
std::string OutputProblem(const Options& options) {
  const auto inputs = std::count(options.files.begin(), options.files.end(), kStandardInput);
  if (inputs > 1) return "standard input (-) can be read only once";
  if (options.output && !options.fix) return "--output goes with --fix";
  if (options.fix && inputs > 0 && !options.output) {
    return "a font read from standard input is fixed into a file: give --output";
  }
  if (options.output && !IsFolder(*options.output)) {
    if (options.files.size() > 1) return "with several fonts, --output names an existing folder";
  } else if (options.output && inputs > 0) {
    return "a font read from standard input needs --output to name a file, not a folder";
  }
  return "";
}

// Where --output puts the fixed copy of file.
std::string OutputOf(const Options& options, const std::string& file) {
  return IsFolder(*options.output) ? PathInFolder(*options.output, file) : *options.output;
}

// The faces of file, or of the font on standard input for "-".
FontFaces ReadFacesOf(const std::string& file) {
  if (file != kStandardInput) return ReadFontFaces(file.c_str());
  FontFaces font;
  FileHandle input = 0;
  std::uint64_t size = 0;
  std::string why;
  if (!FileOpenStandardInput(&input, &size, &why)) {
    font.error = "cannot read standard input: " + why;
    return font;
  }
  font = ReadOpenFontFaces(input, size);
  FileClose(input);
  return font;
}

// Each member's list of the members that use the same OS/2 table as it does, empty where they
// all need one value; the lists are shared, so this is linear in the members.
std::vector<const std::vector<std::uint32_t>*> SharingMembers(
    const FontFaces& font, std::map<std::uint32_t, std::vector<std::uint32_t>>* groups) {
  std::map<std::uint32_t, std::set<std::int32_t>> needed;
  for (const FaceSummary& face : font.faces) {
    if (!face.index || !face.error.empty()) continue;
    (*groups)[face.os2.offset].push_back(*face.index);
    needed[face.os2.offset].insert(NeededWidth(face));
  }
  static const std::vector<std::uint32_t> kNone;
  std::vector<const std::vector<std::uint32_t>*> sharing;
  for (const FaceSummary& face : font.faces) {
    const bool differ = face.index && face.error.empty() && needed[face.os2.offset].size() > 1;
    sharing.push_back(differ ? &(*groups)[face.os2.offset] : &kNone);
  }
  return sharing;
}

// Each member's list of the members that now use the same new copy of the OS/2 table.
std::vector<const std::vector<std::uint32_t>*> CopySharers(
    const FontFix& fix, std::map<std::uint64_t, std::vector<std::uint32_t>>* copies) {
  for (std::size_t i = 0; i < fix.font.faces.size(); ++i) {
    const std::uint64_t copyAt = fix.plan.faces[i].copyAt;
    if (copyAt != 0 && fix.font.faces[i].index)
      (*copies)[copyAt].push_back(*fix.font.faces[i].index);
  }
  static const std::vector<std::uint32_t> kNone;
  std::vector<const std::vector<std::uint32_t>*> sharing;
  for (std::size_t i = 0; i < fix.font.faces.size(); ++i) {
    const std::uint64_t copyAt = fix.plan.faces[i].copyAt;
    sharing.push_back(copyAt != 0 ? &(*copies)[copyAt] : &kNone);
  }
  return sharing;
}

// The report on standard output, written in pieces of at most about 64 KiB as it is made, so
// that no report is ever held whole.
class Output {
 public:
  bool Add(const std::string& text) {
    pending_ += text;
    return pending_.size() < kPiece || Flush();
  }
  bool Flush() {
    const bool written = PrintOutput(pending_);
    pending_.clear();
    return written;
  }

 private:
  static constexpr std::size_t kPiece = 65536;
  std::string pending_;
};

// Checks, or with --fix fixes, one file and writes its report; returns the worst status among
// its faces (after the fix), or -1 when the report could not be written.
int CheckFile(const std::string& file, const Options& options, const FixPrograms& programs,
              bool* first, Fixable* fixable) {
  FontFix fix;
  const std::optional<std::string> output =
      options.output ? std::optional<std::string>(OutputOf(options, file)) : std::nullopt;
  if (output) {
    fix = FixFontFileTo(file, *output);
  } else if (options.fix) {
    fix = FixFontFile(file.c_str());
  } else {
    fix.font = ReadFacesOf(file);
    fix.error = fix.font.error;
    fix.plan.faces.resize(fix.font.faces.size());
  }
  Output report;
  const auto addJson = [&](const std::string& object) {
    const bool added = report.Add((*first ? "\n" : ",\n") + object);
    *first = false;
    return added;
  };
  const std::string shown = ShownName(file);
  if (!fix.error.empty()) {
    PrintError(kProgram + shown + ": " + fix.error);
    if (options.json && !addJson(ErrorJson(file, std::nullopt, fix.error))) return -1;
    return report.Flush() ? kCheckTrouble : -1;
  }
  std::map<std::uint32_t, std::vector<std::uint32_t>> groups;
  std::map<std::uint64_t, std::vector<std::uint32_t>> copies;
  const auto sharing = options.fix || options.json
                           ? std::vector<const std::vector<std::uint32_t>*>()
                           : SharingMembers(fix.font, &groups);
  const auto copySharing = options.fix && !options.json
                               ? CopySharers(fix, &copies)
                               : std::vector<const std::vector<std::uint32_t>*>();
  int status = kCheckAllOk;
  for (std::size_t i = 0; i < fix.font.faces.size(); ++i) {
    const FaceSummary& face = fix.font.faces[i];
    const FaceFix& faceFix = fix.plan.faces[i];
    if (!face.error.empty()) {
      PrintError(kProgram + FaceName(file, face) + ": " + face.error);
      if (options.json && !addJson(ErrorJson(file, face.index, face.error))) return -1;
      status = kCheckTrouble;
      continue;
    }
    bool added = true;
    if (options.json) {
      added = addJson(options.fix ? FixedFaceJson(file, face, faceFix.written, output)
                                  : FaceJson(file, face));
    } else if (options.fix) {
      added = report.Add(FixedFaceLines(file, face, faceFix, *copySharing[i]));
    } else {
      added = report.Add(FaceLines(file, face, *sharing[i], programs));
    }
    if (!added) return -1;
    if (!face.verdict.ok && !faceFix.written) status = std::max(status, kCheckNeedsFix);
    if (!options.fix && WantedWidth(face)) {
      if (fixable->files.empty() || fixable->files.back() != file) fixable->files.push_back(file);
      ++fixable->faces;
    }
  }
  if (output && !options.json && !report.Add(shown + ": written to " + ShownName(*output) + "\n")) {
    return -1;
  }
  if (fix.signatureBroken) {
    PrintError(kProgram + shown +
               ": its digital signature (the 'DSIG' table) no longer matches the font; sign it "
               "again if it must be signed");
  }
  return report.Flush() ? status : -1;
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
    PrintError(kProgram + ("unknown option " + ShownName(options.wrong)) + "\n\n" + kUsage);
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
  if (const std::string problem = OutputProblem(options); !problem.empty()) {
    PrintError(kProgram + problem + "\n\n" + kUsage);
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
