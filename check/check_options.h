// The width check's command line: its options, the files, and whether they go together.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "reader/width_rules.h"

// The usage that --help prints and a wrong command line follows.
extern const char kCheckUsage[];

struct Options {
  bool fix = false;
  bool json = false;
  bool installed = false;      // also every font installed for this user and for all users
  bool install = false;        // install fixed copies for the user, leaving the fonts as they are
  bool uninstall = false;      // remove the fixed copies installed for the user
  std::string family;          // with --install, the whole family of the one face copied
  WidthRules rules;            // --dual-width
  std::string wrongDualWidth;  // a --dual-width that is neither half nor full
  bool help = false;
  bool version = false;
  std::optional<std::string> output;
  bool outputIsFolder = false;  // the output names an existing folder, looked at once
  std::vector<std::string> files;
  std::string wrong;  // the argument that is not an option, when there is one
  // The first argument taken as an option, or as standard input, that also names a file or
  // folder here, as a wildcard could have given it.
  std::string optionAlsoAFile;
};

// Reads "quenlo-check [--fix [--output PATH] | --install [--family NAME]] [--json] [--installed]
// FONT..." or "quenlo-check --uninstall" from the arguments after the program's name, and looks
// whether the output is a folder.
Options ReadOptions(const std::vector<std::string>& arguments);

// Why the files and the options do not go together, or "" when they do.
std::string OutputProblem(const Options& options);

// Why, with --output naming a folder, the outputs would overwrite each other or a font still to
// be read, as names shown to people; "" when they would not.
std::string OutputsClash(const Options& options);

// What to tell the user when an argument taken as an option also names a file here.
std::string OptionAlsoAFileProblem(const Options& options);

// Where --output puts the fixed copy of file: the output itself, or file's name in its folder.
std::string OutputOf(const Options& options, const std::string& file);
