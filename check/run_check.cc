// Reads the command line, checks each file in turn and reports as it goes, so that a long list
// of fonts shows its first findings at once.
#include "check/run_check.h"

#include <algorithm>

#include "check/report.h"
#include "common/output.h"
#include "common/version.h"
#include "reader/font_faces.h"

namespace {

constexpr char kUsage[] =
    "Usage: quenlo-check [--json] FONT...\n"
    "Tells whether each face of each font holds the xAvgCharWidth (OS/2 table) that Windows\n"
    "needs to size text cells, and prints the quenlo command that sets it.\n"
    "  --json     write a JSON array, one object per face, instead of lines\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "  --         end of options: every argument after it is a font\n"
    "Exit status: 0 when every face is ok, 1 when some face needs another width, 2 when a file\n"
    "cannot be read, the command line is wrong or the report cannot be written.";

constexpr char kProgram[] = "quenlo-check: ";

struct Options {
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

// The members of the collection other than face that use the same OS/2 table.
std::vector<std::uint32_t> SharingMembers(const FontFaces& font, const FaceSummary& face) {
  std::vector<std::uint32_t> members;
  for (const FaceSummary& other : font.faces) {
    if (&other != &face && other.index && other.error.empty() &&
        other.os2Offset == face.os2Offset) {
      members.push_back(*other.index);
    }
  }
  return members;
}

// Checks one file and writes its report; returns the worst status among its faces, or -1 when
// the report could not be written.
int CheckFile(const std::string& file, bool json, bool* first) {
  const FontFaces font = ReadFontFaces(file.c_str());
  std::string report;
  const auto addJson = [&](const std::string& object) {
    report += (*first ? "\n" : ",\n") + object;
    *first = false;
  };
  int status = kCheckAllOk;
  if (!font.error.empty()) {
    PrintError(kProgram + file + ": " + font.error);
    if (json) addJson(ErrorJson(file, std::nullopt, font.error));
    status = kCheckTrouble;
  }
  for (const FaceSummary& face : font.faces) {
    if (!face.error.empty()) {
      PrintError(kProgram + FaceName(file, face) + ": " + face.error);
      if (json) addJson(ErrorJson(file, face.index, face.error));
      status = kCheckTrouble;
      continue;
    }
    if (json) {
      addJson(FaceJson(file, face));
    } else {
      report += FaceLines(file, face, SharingMembers(font, face));
    }
    if (!face.verdict.ok) status = std::max(status, kCheckNeedsFix);
  }
  return PrintOutput(report) ? status : -1;
}

int CannotWrite() {
  PrintError(std::string(kProgram) + "cannot write the report to standard output");
  return kCheckTrouble;
}

}  // namespace

int RunCheck(const std::vector<std::string>& arguments) {
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
    const int fileStatus = CheckFile(file, options.json, &first);
    if (fileStatus < 0) return CannotWrite();
    status = std::max(status, fileStatus);
  }
  if (options.json && !PrintOutput(first ? "]\n" : "\n]\n")) return CannotWrite();
  return status;
}
