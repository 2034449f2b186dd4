// Installs fixed copies of fonts for the current user, finds them again, and removes them.
#pragma once

#include <string>
#include <vector>

#include "install/fixed_copy.h"

// The family and style of a face, as programs show them.
struct FaceNames {
  std::string family;
  std::string style;
};

// A font read once for the installed-fonts path: its faces, their names and, when asked for,
// its fixed copy, all from that one reading.
struct FontForCopy {
  FontFaces font;
  std::vector<FaceNames> names;  // one per face, in the order of font.faces
  FixedCopy copy;
};

// Why a web font gets no fixed copy: programs that lay text out in cells take installed fonts.
constexpr char kWebFontNotCopied[] =
    "a web font gets no fixed copy: install the TrueType or CFF font it was made from, or fix "
    "the web font itself with --fix";

// Reads the font at source once (see ReadOpenFontFaces), and the names of its faces and, with
// makeCopy, its fixed copy (see MakeFixedCopy, with family and the source's tag) from that
// reading and the same open file. A web font's copy holds kWebFontNotCopied as its error.
FontForCopy ReadFontForCopy(const std::string& source, bool makeCopy, const std::string& family,
                            const WidthRules& rules = {});

// The names of each face of font, read from its open file of size bytes: empty ones for a face
// whose name table cannot be read, or that the reader refused. Each name table is read once,
// however many members list it (the reader keeps members' name tables the same or apart), and no
// more of them than twice the bytes the file holds.
std::vector<FaceNames> ReadFaceNames(FileHandle file, std::uint64_t size, const FontFaces& font);

struct Installed {
  std::string error;  // why no copy was installed; empty when one was, or none was needed
  std::string path;   // where the copy was installed; empty when none was
};

// Installs copy, made from the font at source, for the current user: written whole into the
// user's font folder under CopyFileName, in place of an earlier copy of the same source, and
// only then registered, so that nothing is left half installed. Refuses to replace a file of
// that name that is not that source's copy.
Installed InstallFixedCopy(const std::string& source, const FixedCopy& copy);

// Where InstallFixedCopy has put the copy of source: "" when there is none.
std::string InstalledCopyOf(const std::string& source);

// The families of the faces of the copy at path, in order.
std::vector<std::string> CopyFamilies(const std::string& path);

// Removes every copy that Quenlo installed for the current user, and only those: the files of
// the user's font folder whose name has the form of a copy's and whose version string carries
// the same tag. Returns those removed; stores in why what could not be removed, if anything.
struct RemovedCopy {
  std::string path;
  std::vector<std::string> families;  // the families of its faces, in order
};
std::vector<RemovedCopy> UninstallFixedCopies(std::string* why);
