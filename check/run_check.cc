// Reads the command line, checks each file in turn and reports as it goes, so that a long list
// of fonts shows its first findings at once.
#include "check/run_check.h"

#include <algorithm>
#include <map>
#include <optional>

#include "check/check_options.h"
#include "check/report.h"
#include "check/shown_name.h"
#include "common/font_install.h"
#include "common/output.h"
#include "common/output_file.h"
#include "common/version.h"
#include "fixer/fix_copy.h"
#include "fixer/fix_font.h"
#include "install/fixed_copy.h"
#include "install/install_font.h"
#include "reader/cell_rule.h"
#include "reader/font_faces.h"
#include "reader/standard_input.h"

namespace {

constexpr char kProgram[] = "quenlo-check: ";

// The faces of file, or of the font on standard input for "-".
FontFaces ReadFacesOf(const std::string& file, const WidthRules& rules) {
  if (file != kStandardInput) return ReadFontFaces(file.c_str(), rules);
  FontFaces font;
  FileHandle input = 0;
  std::uint64_t size = 0;
  if (!OpenStandardInputFont(&input, &size, &font.error)) return font;
  font = ReadOpenFontFaces(input, size, rules);
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

// What is known of each face of file beyond it, with --installed or --install: its family and
// style, and the fixed copy that holds it, or why the copy leaves it out. Each face is paired
// with its own face of the copy, so that a face left out shifts no other.
std::vector<FaceContext> Contexts(const std::string& file, const Options& options,
                                  const FontFaces& font, const std::vector<FaceNames>& names,
                                  const std::vector<CopiedFace>& copied,
                                  const Installed& installed) {
  const std::vector<FaceSummary>& faces = font.faces;
  std::vector<FaceContext> contexts(faces.size());
  if (!options.installed && !options.install) return contexts;
  std::string copy = installed.path;
  std::vector<std::pair<std::size_t, std::string>> copyFamilies;
  for (const CopiedFace& face : copied) copyFamilies.emplace_back(face.face, face.family);
  const bool needsFix = std::any_of(faces.begin(), faces.end(),
                                    [](const FaceSummary& face) { return WantedWidth(face); });
  if (copy.empty() && !options.install && needsFix) {
    // A copy made earlier holds, in order, the faces that needed a copy then, as they do now.
    copy = InstalledCopyOf(file);
    const std::vector<std::string> families = CopyFamilies(copy);
    std::size_t next = 0;
    for (std::size_t i = 0; i < faces.size() && next < families.size(); ++i) {
      if (WantedWidth(faces[i]) && NotCopied(faces[i]).empty()) {
        copyFamilies.emplace_back(i, families[next++]);
      }
    }
  }
  for (std::size_t i = 0; i < faces.size(); ++i) {
    FaceContext& context = contexts[i];
    context.installed = options.installed;
    if (i < names.size()) {
      context.family = names[i].family;
      context.style = names[i].style;
    }
    context.notCopied = NotCopied(faces[i]);
  }
  if (!copy.empty()) {
    for (const auto& [face, family] : copyFamilies) {
      contexts[face].copy = copy;
      contexts[face].copyFamily = family;
    }
  }
  return contexts;
}

// Whether the file holds a font in a format that the check does not read.
bool OtherFormat(const FontFaces& font) {
  return font.error.empty() && font.faces.size() == 1 && !font.faces[0].index &&
         font.faces[0].error == kNotAFont;
}

bool AnyWrongCells(const FontFaces& font) {
  return std::any_of(font.faces.begin(), font.faces.end(),
                     [](const FaceSummary& face) { return WrongCellsOf(face).has_value(); });
}

// Checks, or with --fix fixes, or with --install installs a fixed copy of, one file and writes
// its report; returns the worst status among its faces (after the fix), or -1 when the report
// could not be written. A listed file is one that --installed found, not one the user named: it
// is fixed in place only where it is the user's own and its cells come out wrong; of its faces
// the report names only those whose cells come out wrong (and those fixed, or unreadable), and
// tally counts them all, and the file when it is missing or in another format.
int CheckFile(const std::string& file, Options options, const FixPrograms& programs, bool listed,
              bool* first, Fixable* fixable, InstalledTally* tally) {
  if (listed && LookAtPath(file).kind == PathKind::kNothing) {
    ++tally->missing;
    return kCheckAllOk;
  }
  // A font the system owns is its packages': a fix in place would be undone by their next
  // update and would break their checksums, so it gets a copy instead.
  if (listed && options.fix && !IsUserFontFile(file)) options.fix = false;
  FontFix fix;
  FontForCopy read;
  Installed installed;
  // The user's own font is written only where its cells show the fault, and is read first to
  // know.
  const bool readFirst = listed && options.fix;
  if (readFirst) {
    read = ReadFontForCopy(file, false, "", options.rules);
    options.fix = AnyWrongCells(read.font);
  }
  const std::optional<std::string> output =
      options.output ? std::optional<std::string>(OutputOf(options, file)) : std::nullopt;
  if (output) {
    fix = FixFontFileTo(file, *output, ShownName(*output), options.rules);
  } else if (options.fix) {
    fix = FixFontFile(file.c_str(), options.rules);
    if (options.installed && fix.error.empty() && !readFirst) {
      read.names = ReadFontForCopy(file, false, "", options.rules).names;
    }
  } else {
    if (file == kStandardInput) {
      read.font = ReadFacesOf(file, options.rules);
    } else if (!readFirst) {
      read = ReadFontForCopy(file, options.install, options.family, options.rules);
    }
    fix.font = std::move(read.font);
    fix.error = fix.font.error;
    fix.plan.faces.resize(fix.font.faces.size());
    if (options.install) installed = InstallFixedCopy(file, read.copy);
  }
  if (listed && OtherFormat(fix.font)) {
    ++tally->otherFormats;
    return kCheckAllOk;
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
  const auto sharing = options.fix || options.json || listed ? std::vector<const Members*>()
                                                             : TableSharers(fix, &groups);
  const auto copySharing =
      options.fix && !options.json ? CopySharers(fix, &copies) : std::vector<const Members*>();
  const std::vector<FaceContext> contexts =
      Contexts(file, options, fix.font, read.names, read.copy.faces, installed);
  int status = kCheckAllOk;
  for (std::size_t i = 0; i < fix.font.faces.size(); ++i) {
    const FaceSummary& face = fix.font.faces[i];
    const FaceFix& faceFix = fix.plan.faces[i];
    const bool wrongCells = WrongCellsOf(face).has_value();
    if (listed && face.error.empty()) {
      ++tally->faces;
      if (wrongCells) ++tally->wrongCells;
      if (!face.verdict.ok && !wrongCells && !faceFix.written) {
        ++tally->unseen;
        if (!options.json) continue;
      }
      if (face.verdict.ok && !options.json) continue;
    }
    if (!face.error.empty()) {
      PrintError(kProgram + FaceName(file, face) + ": " + face.error);
      if (options.json && !addJson(ErrorJson(file, face.index, face.error))) return -1;
      status = kCheckTrouble;
      continue;
    }
    bool added = true;
    if (options.json) {
      added = addJson(options.fix ? FixedFaceJson(file, face, faceFix.written, output)
                                  : FaceJson(file, face, contexts[i]));
    } else if (options.fix) {
      added = report.Add(FixedFaceLines(file, face, faceFix, *copySharing[i]));
    } else {
      // An installed font gets a copy, not a write in place, which its sharers would share.
      static const Members kNone;
      added =
          report.Add(FaceLines(file, face, listed ? kNone : *sharing[i], programs, contexts[i]));
    }
    if (!added) return -1;
    const bool copied = options.install && contexts[i].copy;
    if (!face.verdict.ok && !faceFix.written && !copied && (!listed || wrongCells)) {
      status = std::max(status, kCheckNeedsFix);
    }
    if (!options.fix && WantedWidth(face) && (!listed || wrongCells)) {
      if (fixable->files.empty() || fixable->files.back() != file) {
        fixable->files.push_back(file);
        fixable->facesOf.push_back(0);
      }
      ++fixable->faces;
      ++fixable->facesOf.back();
    }
  }
  if (output && !options.json && !report.Add(shown + ": written to " + ShownName(*output) + "\n")) {
    return -1;
  }
  if (!installed.error.empty()) {
    PrintError(kProgram + shown + ": " + ShownName(installed.error) + "; no copy was installed");
    status = kCheckTrouble;
  }
  std::vector<std::string> families;
  std::vector<std::string> notFixedPitch;
  for (const CopiedFace& face : read.copy.faces) {
    families.push_back(face.family);
    if (!SeenAsFixedPitch(fix.font.faces[face.face])) notFixedPitch.push_back(face.family);
  }
  if (!options.json && !report.Add(InstalledLines(file, installed.path, families, notFixedPitch))) {
    return -1;
  }
  if (!installed.path.empty()) ++tally->copiesInstalled;
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

// Removes the fixed copies installed for the user, and says which.
int Uninstall() {
  std::string why;
  const std::vector<RemovedCopy> removed = UninstallFixedCopies(&why);
  std::string lines;
  for (const RemovedCopy& copy : removed) lines += RemovedLine(copy.path, copy.families);
  if (removed.empty() && why.empty())
    lines = "No fixed copy made by Quenlo is installed for you.\n";
  if (!PrintOutput(lines)) return CannotWrite();
  if (why.empty()) return kCheckAllOk;
  PrintError(kProgram + ShownName(why));
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
  if (const std::string problem = OutputProblem(options); !problem.empty()) {
    PrintError(kProgram + problem + "\n\n" + kCheckUsage);
    return kCheckTrouble;
  }
  if (options.uninstall) return Uninstall();
  std::vector<std::string> files = options.files;
  const std::size_t named = files.size();
  if (options.installed) {
    const std::vector<std::string> installed = InstalledFontFiles();
    files.insert(files.end(), installed.begin(), installed.end());
  }
  if (files.empty()) {
    PrintError(std::string(kProgram) + (options.installed
                                            ? "no font is installed\n"
                                            : "no font given\n\n" + std::string(kCheckUsage)));
    return kCheckTrouble;
  }
  if (const std::string clash = OutputsClash(options); !clash.empty()) {
    PrintError(kProgram + clash);
    return kCheckTrouble;
  }
  if (options.json && !PrintOutput("[")) return CannotWrite();
  int status = kCheckAllOk;
  bool first = true;
  InstalledTally tally;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const int fileStatus =
        CheckFile(files[i], options, programs, i >= named, &first, fixable, &tally);
    if (fileStatus < 0) return CannotWrite();
    status = std::max(status, fileStatus);
  }
  if (options.json && !PrintOutput(first ? "]\n" : "\n]\n")) return CannotWrite();
  if (!options.json && options.installed && !PrintOutput(InstalledSummary(tally))) {
    return CannotWrite();
  }
  if (!options.json && tally.copiesInstalled > 0 && !PrintOutput(NewFontsStep() + "\n")) {
    return CannotWrite();
  }
  return status;
}
