// The user of an Explorer window has no command line to type a printed fix into, so the window
// offers what can be done there, says it in plain words within the 80 columns of Wine's
// console, and stays open until a key is pressed. A font the program cannot change in place
// (one that Windows owns or holds, or a read-only file), or one that would clash with an
// installed family once fixed, is offered a fixed copy installed for the user instead, and
// double-clicked alone the program looks at the installed fonts.
#include "check/own_console.h"

#include <set>

#include "check/report.h"
#include "check/run_check.h"
#include "check/shown_name.h"
#include "check/wrapped.h"
#include "common/file.h"
#include "common/font_install.h"
#include "common/output.h"
#include "fixer/fix_layout.h"
#include "install/install_font.h"
#include "reader/cell_rule.h"
#include "reader/font_faces.h"

namespace {

constexpr char kAbout[] =
    "Some fonts make programs draw text in cells that are wider (or narrower) than\n"
    "their letters, because the font records the wrong average character width.\n"
    "quenlo-check finds them among your installed fonts and can install a fixed\n"
    "copy of each for you, under a new name. To check font files instead, drop\n"
    "them on quenlo-check.exe.\n";
constexpr char kClose[] = "Press any key to close.";
constexpr char kUndo[] =
    "To remove the copies again, run quenlo-check.exe --uninstall, or remove them in Settings, "
    "Personalization, Fonts.";

std::string Quoted(const std::string& family) { return "\"" + ShownName(family) + "\""; }

std::string Plural(std::size_t count, const std::string& one, const std::string& more) {
  return std::to_string(count) + " " + (count == 1 ? one : more);
}

// Whether the fix can be written into file itself: it is not an installed font, and it can be
// opened to be fixed (not read-only, not held by another program).
bool FixableInPlace(const std::string& file, const std::set<std::string>& installed) {
  if (installed.count(file) != 0) return false;
  FileHandle handle = 0;
  std::uint64_t size = 0;
  std::string why;
  if (!FileOpenToFix(file.c_str(), &handle, &size, &why)) return false;
  FileClose(handle);
  return true;
}

// The families of a font whose cells come out wrong, each once, with how they do at the first
// of its faces.
struct WrongFamily {
  std::string family;
  WrongCells cells;
};

std::vector<WrongFamily> WrongFamilies(const FontForCopy& read) {
  std::vector<WrongFamily> wrong;
  std::set<std::string> seen;
  for (std::size_t i = 0; i < read.font.faces.size() && i < read.names.size(); ++i) {
    const std::optional<WrongCells> cells = WrongCellsOf(read.font.faces[i]);
    if (cells && seen.insert(read.names[i].family).second) {
      wrong.push_back({read.names[i].family, *cells});
    }
  }
  return wrong;
}

// One line for a family whose cells come out wrong, in the file it is in.
std::string WrongLine(const WrongFamily& wrong, const std::string& file) {
  return Wrapped(ShownName(wrong.family) + ": cells too " +
                     (wrong.cells.cell > wrong.cells.characters ? "wide" : "narrow") + ", " +
                     std::to_string(wrong.cells.cell) + " pixels for letters of " +
                     std::to_string(wrong.cells.characters) + " at " +
                     std::to_string(wrong.cells.pixels) + " pixels (" + ShownName(file) + ")",
                 2, 4);
}

// Installs fixed copies of the files, says what to choose, and how to go back. A copy that GDI
// does not report as fixed pitch, as it keeps its original's flags, is in no fixed-pitch font
// list: the programs that show its cells right are named once, for all such copies.
int InstallCopies(const std::vector<std::string>& files, int status) {
  bool any = false;
  bool proportional = false;
  for (const std::string& file : files) {
    const FontForCopy read = ReadFontForCopy(file, true, "");
    const Installed installed = read.font.error.empty() ? InstallFixedCopy(file, read.copy)
                                                        : Installed{read.font.error, ""};
    if (!installed.error.empty()) {
      PrintError("quenlo-check: " + ShownName(file) + ": " + ShownName(installed.error) +
                 "; no copy was installed");
      status = kCheckTrouble;
      continue;
    }
    for (const CopiedFace& face : read.copy.faces) {
      const bool fixedPitch = SeenAsFixedPitch(read.font.faces[face.face]);
      PrintOutput(Wrapped("Installed " + Quoted(face.family) +
                              (fixedPitch ? ": choose it in your programs." : " (*)."),
                          0, 2));
      any = true;
      proportional = proportional || !fixedPitch;
    }
  }
  if (proportional) {
    PrintOutput(
        Wrapped("(*) Windows does not report it as fixed pitch, so fixed-pitch font "
                "lists (the console's, PuTTY's) do not offer it; choose it in the "
                "programs that take the cell width of any font: Notepad, mintty, "
                "ConEmu, Wine's programs and Firefox's text fields.",
                0, 4));
  }
  if (any) PrintOutput("\n" + Wrapped(NewFontsStep()) + Wrapped(kUndo));
  return status;
}

// Says what installing will make, asks, and installs on a yes.
int OfferCopies(const std::vector<std::string>& files, std::size_t families, int status) {
  PrintOutput("\n" + Wrapped("A fixed copy of each would be installed for you alone, in your own "
                             "fonts folder, named with \" Fixed\" at the end. The installed "
                             "fonts stay as they are."));
  const std::string question =
      "Install fixed copies of " + Plural(families, "font family", "font families") + "? [y/N] ";
  if (!AskYesNo(question)) {
    PrintOutput("Nothing was changed.\n");
    return status;
  }
  return InstallCopies(files, status);
}

// Double-clicked alone: the installed families whose cells come out wrong, the copies installed
// already, and the offer.
int CheckInstalledFonts() {
  PrintOutput(kAbout);
  PrintOutput("\nLooking at the installed fonts...\n");
  std::vector<std::string> offered;
  std::set<std::string> families;
  std::string wrongLines;
  std::string copyLines;
  for (const std::string& file : InstalledFontFiles()) {
    const std::vector<WrongFamily> wrong = WrongFamilies(ReadFontForCopy(file, false, ""));
    if (wrong.empty()) continue;
    if (const std::string copy = InstalledCopyOf(file); !copy.empty()) {
      std::set<std::string> named;
      for (const std::string& family : CopyFamilies(copy)) {
        if (named.insert(family).second) copyLines += Wrapped(Quoted(family), 2, 4);
      }
      continue;
    }
    for (const WrongFamily& family : wrong) {
      wrongLines += WrongLine(family, file);
      families.insert(family.family);
    }
    offered.push_back(file);
  }
  if (!copyLines.empty()) {
    PrintOutput(
        "\nFixed copies are installed for you already; choose these names in your\n"
        "programs:\n" +
        copyLines);
  }
  if (offered.empty()) {
    PrintOutput(copyLines.empty()
                    ? "\nNone of the installed fonts draws text cells of the wrong width.\n"
                    : "\nNo other installed font draws text cells of the wrong width.\n");
    return kCheckAllOk;
  }
  PrintOutput("\n" + Plural(families.size(), "font family draws", "font families draw") +
              " text cells of the wrong width:\n" + wrongLines);
  return OfferCopies(offered, families.size(), kCheckNeedsFix);
}

// The families of the installed fonts, read from their names alone.
std::set<std::string> InstalledFamilies(const std::vector<std::string>& files) {
  std::set<std::string> families;
  for (const std::string& file : files) {
    for (const std::string& family : CopyFamilies(file)) families.insert(family);
  }
  return families;
}

// An installed family that the font holds, which a fix in place would keep; "" when it holds
// none.
std::string ClashingFamily(const FontForCopy& read, const std::set<std::string>& installed) {
  for (const FaceNames& names : read.names) {
    if (installed.count(names.family) != 0) return names.family;
  }
  return "";
}

// Dropped fonts: the report, without commands, then a fix in place of those that can have one,
// and copies of the others whose cells come out wrong.
int CheckDroppedFonts(const std::vector<std::string>& arguments, const FixPrograms& programs) {
  FixPrograms window = programs;
  window.commands = false;
  Fixable fixable;
  int status = RunCheckCounting(arguments, window, &fixable);
  const std::vector<std::string> all = InstalledFontFiles();
  const std::set<std::string> installed(all.begin(), all.end());
  std::set<std::string> families;  // of the installed fonts
  bool familiesRead = false;
  std::set<std::string> copied;  // of the fonts offered a copy
  std::vector<std::string> inPlace;
  std::vector<std::string> copies;
  int faces = 0;
  std::string notes;
  for (std::size_t i = 0; i < fixable.files.size(); ++i) {
    const std::string& file = fixable.files[i];
    const bool here = FixableInPlace(file, installed);
    if (here && !familiesRead) {
      families = InstalledFamilies(all);
      familiesRead = true;
    }
    const FontForCopy read = ReadFontForCopy(file, false, "");
    const std::string clash = here ? ClashingFamily(read, families) : "";
    if (here && clash.empty()) {
      inPlace.push_back(file);
      faces += fixable.facesOf[i];
      continue;
    }
    const std::vector<WrongFamily> wrong = WrongFamilies(read);
    if (!clash.empty()) {
      notes += Wrapped(ShownName(file) + " holds " + Quoted(clash) +
                       ", a family that is installed already: fixed in place it would keep "
                       "that name and clash with the installed one" +
                       (wrong.empty() ? "." : ", so a fixed copy under a new name is offered."));
    } else {
      notes += Wrapped(ShownName(file) +
                       " cannot be changed in place (installed in Windows, in use, or "
                       "read-only)" +
                       (wrong.empty() ? ", and its text cells come out right: nothing is offered."
                                      : ": a fixed copy is offered."));
    }
    if (wrong.empty()) continue;
    copies.push_back(file);
    for (const WrongFamily& family : wrong) copied.insert(family.family);
  }
  if (!inPlace.empty()) {
    const std::string question = "\nFix " + std::to_string(faces) + " face(s) in " +
                                 std::to_string(inPlace.size()) + " file(s) now? [y/N] ";
    if (AskYesNo(question)) {
      std::vector<std::string> fix = {"--fix", "--"};
      fix.insert(fix.end(), inPlace.begin(), inPlace.end());
      status = RunCheck(fix, programs);
    } else {
      PrintOutput("Nothing was changed.\n");
    }
  }
  if (!notes.empty()) PrintOutput("\n" + notes);
  if (!copies.empty()) status = OfferCopies(copies, copied.size(), status);
  return status;
}

}  // namespace

int RunCheckInOwnConsole(const std::vector<std::string>& arguments, const FixPrograms& programs) {
  const int status =
      arguments.empty() ? CheckInstalledFonts() : CheckDroppedFonts(arguments, programs);
  PrintOutput("\n");
  WaitForKey(kClose);
  return status;
}
