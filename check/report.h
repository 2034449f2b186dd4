// How the width check describes a face: lines for people, JSON objects for machines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "check/fix_command.h"
#include "fixer/fix_plan.h"
#include "reader/cell_rule.h"
#include "reader/font_faces.h"

// Whether quenlo can set the face's width: a whole TrueType file, not a collection's member nor
// a web font.
bool Patchable(const FaceSummary& face);

// What is known of a face beyond its file: for an installed font, its family and style as
// programs show them, and the fixed copy installed for the user, if there is one.
struct FaceContext {
  bool installed = false;  // the font is installed: its fix is a copy installed for the user
  std::string family;
  std::string style;
  std::optional<std::string> copy;  // the path of the face's fixed copy; none when it has none
  std::string copyFamily;           // the copy's family
  std::string notCopied;            // why a copy leaves the face out; "" when it does not
};

// The face's name in messages: the file as ShownName shows it, #N for a collection's member, and
// the flavour of a web font ("font.woff2 (WOFF2)").
std::string FaceName(const std::string& file, const FaceSummary& face);

// How a face's cells come out wrong, for people: "its text cells come out too wide: 8 pixels for
// characters of 7, at 12 pixels".
std::string CellsLine(const WrongCells& cells);

// The value a face needs: its own when it is ok, else the suggested one.
std::int32_t NeededWidth(const FaceSummary& face);

// The lines for people about a readable face: the stored value, ok or the suggested value with
// the reason, then what fixes it. sharing lists, in order, every member of its collection that
// uses the same OS/2 table, face among them, given only when some of them need another value.
// The first of them names the others, each later one refers to the first, so that the report
// grows with the members and not with their square. The commands run the programs as given.
// With an installed font's context, the face is named by its family and style before its file,
// and its fix is a copy installed for the user.
std::string FaceLines(const std::string& file, const FaceSummary& face,
                      const std::vector<std::uint32_t>& sharing, const FixPrograms& programs,
                      const FaceContext& context = {});

// The lines for people about a face that --fix has dealt with: the face as it was found, then
// what was written, or why nothing was. copySharing lists, in order, every member that now uses
// the same new copy of the OS/2 table, face among them, named as sharing is in FaceLines.
std::string FixedFaceLines(const std::string& file, const FaceSummary& face, const FaceFix& fix,
                           const std::vector<std::uint32_t>& copySharing);

// The JSON object of a readable face, on one line; with an installed font's context, also
// "family", "style", "copy" and "copyFamily" (null when it has no copy).
std::string FaceJson(const std::string& file, const FaceSummary& face,
                     const FaceContext& context = {});

// The line for people about the fixed copy of file installed for the user, with the families to
// choose in programs, and a line for those of them that GDI does not report as fixed pitch,
// which fixed-pitch font lists leave out; "" when none was installed.
std::string InstalledLines(const std::string& file, const std::string& copy,
                           const std::vector<std::string>& families,
                           const std::vector<std::string>& notFixedPitch = {});

// The line for people about a fixed copy that --uninstall removed: its families and its file.
std::string RemovedLine(const std::string& copy, const std::vector<std::string>& families);

// What a run found that its last lines tell: with --installed, of the installed fonts beyond the
// faces it names; with --install, how many copies it installed.
struct InstalledTally {
  int faces = 0;         // readable faces checked
  int wrongCells = 0;    // of them, those whose cells come out wrong (see WrongCellsOf)
  int unseen = 0;        // those that store another value than the rules give, which no cell shows
  int otherFormats = 0;  // files in formats the check does not read (Type 1, bitmap fonts)
  int missing = 0;       // files that the system lists but that are not there
  int copiesInstalled = 0;  // fixed copies that --install installed, of any file
};

// The lines that end --installed's report: how many faces were checked and how many give wrong
// cells, how many store another value that no cell shows (not named above), and the files not
// checked.
std::string InstalledSummary(const InstalledTally& tally);

// The JSON object of a face that --fix has dealt with: the face as it was found, "written", the
// value now stored for it, or null when its value did not change, and with --output "output",
// the file that holds it.
std::string FixedFaceJson(const std::string& file, const FaceSummary& face,
                          const std::optional<std::int32_t>& written,
                          const std::optional<std::string>& output = std::nullopt);

// The JSON object of a file, or a collection's member (index), that could not be read.
std::string ErrorJson(const std::string& file, const std::optional<std::uint32_t>& index,
                      const std::string& error);

// text as a JSON string: quotes, backslashes and control characters escaped, valid UTF-8 kept,
// and each byte that is not part of valid UTF-8 written as the lone surrogate \udcXX of its
// value, so that the exact bytes can be had back.
std::string JsonString(const std::string& text);
