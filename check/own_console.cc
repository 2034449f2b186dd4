// The user of an Explorer window has no command line to type the printed fix into, so the
// window offers it, and stays open until a key is pressed. A font the program cannot change in
// place (one that Windows owns or holds, or a read-only file) is offered a fixed copy installed
// for the user instead, and double-clicked alone the program looks at the installed fonts.
#include "check/own_console.h"

#include <algorithm>
#include <set>

#include "check/run_check.h"
#include "check/shown_name.h"
#include "common/file.h"
#include "common/font_install.h"
#include "common/output.h"
#include "fixer/fix_layout.h"
#include "install/install_font.h"
#include "reader/font_faces.h"

namespace {

constexpr char kAbout[] =
    "quenlo-check tells which average character width (xAvgCharWidth) each face of a font\n"
    "needs for Windows to size its text cells, and can write it into the font, or install a\n"
    "fixed copy of an installed font for you under a new name. Drop font files (.ttf, .otf,\n"
    ".ttc) on quenlo-check.exe to check them.\n";
constexpr char kClose[] = "Press any key to close.";

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

// The families of the faces of file that need another width, as programs show them.
std::string FamiliesNeedingFix(const std::string& file) {
  const FontForCopy read = ReadFontForCopy(file, false, "");
  std::set<std::string> families;
  for (std::size_t i = 0; i < read.font.faces.size(); ++i) {
    if (WantedWidth(read.font.faces[i]) && i < read.names.size()) {
      families.insert(read.names[i].family);
    }
  }
  std::string text;
  for (const std::string& family : families) text += (text.empty() ? "" : ", ") + family;
  return ShownName(text);
}

// Asks to install fixed copies of the files, installs them on a yes and says what to choose.
int OfferCopies(const std::vector<std::string>& files, int status) {
  if (files.empty()) return status;
  const std::string question =
      "\nInstall fixed copies of " + std::to_string(files.size()) + " font(s) for you? [y/N] ";
  if (!AskYesNo(question)) return status;
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
      PrintOutput("Installed \"" + ShownName(face.family) + "\": choose it in your programs.\n");
    }
  }
  return status;
}

// Double-clicked alone: the installed fonts that give wide cells, by family, and the offer.
int CheckInstalledFonts() {
  PrintOutput(kAbout);
  PrintOutput("\nLooking at the fonts installed in Windows...\n");
  std::vector<std::string> wide;
  for (const std::string& file : InstalledFontFiles()) {
    const std::string families = FamiliesNeedingFix(file);
    if (families.empty()) continue;
    const std::string copy = InstalledCopyOf(file);
    if (!copy.empty()) {
      PrintOutput("  " + families + ": a fixed copy is installed for you already\n");
      continue;
    }
    PrintOutput("  " + families + " (" + ShownName(file) + ") gives wide text cells\n");
    wide.push_back(file);
  }
  if (wide.empty()) PrintOutput("No installed font gives wide text cells.\n");
  return OfferCopies(wide, wide.empty() ? kCheckAllOk : kCheckNeedsFix);
}

}  // namespace

int RunCheckInOwnConsole(const std::vector<std::string>& arguments, const FixPrograms& programs) {
  int status = kCheckAllOk;
  if (arguments.empty()) {
    status = CheckInstalledFonts();
  } else {
    Fixable fixable;
    status = RunCheckCounting(arguments, programs, &fixable);
    const std::vector<std::string> all = InstalledFontFiles();
    const std::set<std::string> installed(all.begin(), all.end());
    std::vector<std::string> inPlace;
    std::vector<std::string> copies;
    int faces = 0;
    for (std::size_t i = 0; i < fixable.files.size(); ++i) {
      const bool here = FixableInPlace(fixable.files[i], installed);
      (here ? inPlace : copies).push_back(fixable.files[i]);
      faces += here ? fixable.facesOf[i] : 0;
    }
    const std::string question = "\nFix " + std::to_string(faces) + " face(s) in " +
                                 std::to_string(inPlace.size()) + " file(s) now? [y/N] ";
    if (!inPlace.empty() && AskYesNo(question)) {
      std::vector<std::string> fix = {"--fix", "--"};
      fix.insert(fix.end(), inPlace.begin(), inPlace.end());
      status = RunCheck(fix, programs);
    }
    if (!copies.empty()) {
      PrintOutput("\n" + std::to_string(copies.size()) +
                  " font(s) cannot be changed in place (installed in Windows, in use, or "
                  "read-only).\n");
      status = OfferCopies(copies, status);
    }
  }
  PrintOutput("\n");
  WaitForKey(kClose);
  return status;
}
