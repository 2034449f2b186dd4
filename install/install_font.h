// Installs fixed copies of fonts for the current user, finds them again, and removes them.
#pragma once

#include <string>
#include <vector>

#include "install/fixed_copy.h"

struct Installed {
  std::string error;  // why no copy was installed; empty when one was, or none was needed
  std::string path;   // where the copy was installed; empty when none was
  std::vector<CopiedFace> faces;
};

// Makes the fixed copy of the font at source (see MakeFixedCopy, with family) and installs it for
// the current user: written whole into the user's font folder as NAME-Fixed.EXT, after the
// source's name, in place of an earlier copy of the same font, and only then registered, so
// that nothing is left half installed. The source is only read. Refuses to replace a file of
// that name that is not a copy of Quenlo's.
Installed InstallFixedCopy(const std::string& source, const std::string& family);

// The family and style of a face, as programs show them, and whether it is a fixed copy.
struct FaceNames {
  std::string family;
  std::string style;
  bool copy = false;
};

// The names of each face of the font at path, in the order the reader finds its faces; empty
// names for a face whose name table cannot be read, or whose directory the reader refuses.
std::vector<FaceNames> ReadFaceNames(const std::string& path);

// Where InstallFixedCopy puts the copy of source, or has put it: "" when there is none.
std::string InstalledCopyOf(const std::string& source);

// Removes every copy that Quenlo installed for the current user, and only those; returns the
// paths removed. Stores in why what could not be removed, if anything.
std::vector<std::string> UninstallFixedCopies(std::string* why);
