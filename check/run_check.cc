// Reads the command line, checks each file in turn and reports as it goes, so that a long list
// of fonts shows its first findings at once.
#include "check/run_check.h"

#include <algorithm>
#include <map>
#include <optional>

#include "check/check_options.h"
#include "check/report.h"
#include "check/shown_name.h"
#include "common/output.h"
#include "common/output_file.h"
#include "common/version.h"
#include "fixer/fix_copy.h"
#include "fixer/fix_font.h"
#include "reader/font_faces.h"
#include "reader/standard_input.h"

namespace {

constexpr char kProgram[] = "quenlo-check: ";

// The faces of file, or of the font on standard input for "-".
FontFaces ReadFacesOf(const std::string& file) {
  if (file != kStandardInput) return ReadFontFaces(file.c_str());
  FontFaces font;
  FileHandle input = 0;
  std::uint64_t size = 0;
  if (!OpenStandardInputFont(&input, &size, &font.error)) return font;
  font = ReadOpenFontFaces(input, size);
  FileClose(input);
  return font;
}

using Members = std::vector<std::uint32_t>;

// Each face's list of the collection's members that share its key (keyOf gives none for a face
// that shares nothing), held once per key in groups, so that this is linear in the members.
template <typename KeyOf>
std::vector<const Members*> MembersSharing(const FontFix& fix,
                                           std::map<std::uint64_t, Members>* groups, KeyOf keyOf) {
  static const Members kNone;
  std::vector<std::optional<std::uint64_t>> keys;
  for (std::size_t i = 0; i < fix.font.faces.size(); ++i) {
    const std::optional<std::uint32_t>& index = fix.font.faces[i].index;
    keys.push_back(index ? keyOf(i) : std::nullopt);
    if (keys.back()) (*groups)[*keys.back()].push_back(*index);
  }
  std::vector<const Members*> sharing;
  for (const std::optional<std::uint64_t>& key : keys) {
    sharing.push_back(key ? &(*groups)[*key] : &kNone);
  }
  return sharing;
}

// Each readable member's list of those that use the same OS/2 table, named only where some of
// them need another value than the others.
std::vector<const Members*> TableSharers(const FontFix& fix,
                                         std::map<std::uint64_t, Members>* groups) {
  const std::vector<FaceSummary>& faces = fix.font.faces;
  const auto sharing = MembersSharing(fix, groups, [&](std::size_t i) {
    return faces[i].error.empty() ? std::optional<std::uint64_t>(faces[i].os2.offset)
                                  : std::nullopt;
  });
  // A collection's faces stand at their own member numbers.
  for (auto& [offset, members] : *groups) {
    const std::int32_t first = NeededWidth(faces[members[0]]);
    if (std::all_of(members.begin(), members.end(),
                    [&](std::uint32_t m) { return NeededWidth(faces[m]) == first; })) {
      members.clear();
    }
  }
  return sharing;
}

// Each member's list of those that now use the same new copy of the OS/2 table.
std::vector<const Members*> CopySharers(const FontFix& fix,
                                        std::map<std::uint64_t, Members>* copies) {
  return MembersSharing(fix, copies, [&](std::size_t i) {
    const std::uint64_t copyAt = fix.plan.faces[i].copyAt;
    return copyAt != 0 ? std::optional<std::uint64_t>(copyAt) : std::nullopt;
  });
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
    fix = FixFontFileTo(file, *output, ShownName(*output));
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
  std::map<std::uint64_t, Members> groups;
  std::map<std::uint64_t, Members> copies;
  const auto sharing =
      options.fix || options.json ? std::vector<const Members*>() : TableSharers(fix, &groups);
  const auto copySharing =
      options.fix && !options.json ? CopySharers(fix, &copies) : std::vector<const Members*>();
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
  if (const std::string problem = OptionAlsoAFileProblem(options); !problem.empty()) {
    PrintError(kProgram + problem);
    return kCheckTrouble;
  }
  if (!options.wrong.empty()) {
    PrintError(kProgram + ("unknown option " + ShownName(options.wrong)) + "\n\n" + kCheckUsage);
    return kCheckTrouble;
  }
  if (options.help || options.version) {
    const std::string text = options.help ? kCheckUsage : std::string("quenlo-check ") + kVersion;
    return PrintOutput(text + "\n") ? kCheckAllOk : CannotWrite();
  }
  if (options.files.empty()) {
    PrintError(std::string(kProgram) + "no font given\n\n" + kCheckUsage);
    return kCheckTrouble;
  }
  if (const std::string problem = OutputProblem(options); !problem.empty()) {
    PrintError(kProgram + problem + "\n\n" + kCheckUsage);
    return kCheckTrouble;
  }
  if (const std::string clash = OutputsClash(options); !clash.empty()) {
    PrintError(kProgram + clash);
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
