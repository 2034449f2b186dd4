// Options are read in one pass; an argument that is not one of them is kept to be named in the
// error, and --output takes the argument after it.
#include "check/check_options.h"

#include <algorithm>
#include <map>

#include "check/shown_name.h"
#include "common/output_file.h"
#include "reader/standard_input.h"

const char kCheckUsage[] =
    "Usage: quenlo-check [--fix [--output PATH] | --install [--family NAME]] [--json]\n"
    "                    [--installed] [--dual-width half|full] FONT...\n"
    "       quenlo-check --uninstall\n"
    "Tells whether each face of each font holds the xAvgCharWidth (OS/2 table) that Windows\n"
    "needs to size text cells, and prints the command that sets it.\n"
    "  --fix      write the width each face needs into the font, TrueType or CFF, and into\n"
    "             each member of a collection, keeping checksums valid; a table that members\n"
    "             share but need different values in is copied to the end of the file\n"
    "  -o, --output PATH\n"
    "             with --fix: write the fixed font to PATH, a new file put in place in one\n"
    "             step (for several fonts, a folder where each keeps its name), and leave\n"
    "             FONT as it was; a font that needs nothing is copied as it is\n"
    "  --installed  check every font installed for you and for all users, by family\n"
    "  --install  install for you alone a fixed copy of each font that needs it, under a new\n"
    "             family (the old one and \" Fixed\"), leaving the font as it is\n"
    "  --family NAME  with --install and one face: the copy's whole family\n"
    "  --uninstall  remove every fixed copy that --install installed for you\n"
    "  --dual-width half|full\n"
    "             the width a dual-width CJK face (ASCII monospaced, CJK at another width than\n"
    "             twice it) gets when it holds neither: half (the default, what cells need) or\n"
    "             full\n"
    "  --json     write a JSON array, one object per face, instead of lines\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "  --         end of options: every argument after it is a font\n"
    "FONT - reads a font from standard input, once.\n"
    "Exit status: 0 when every face is ok (with --fix: afterwards; with --install: or has a\n"
    "fixed copy), 1 when some face needs another width, 2 when a file cannot be read or\n"
    "written, the command line is wrong or the report cannot be written.";

Options ReadOptions(const std::vector<std::string>& arguments) {
  Options options;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    // "quenlo-check *" in a folder that holds a file named --fix, or -, would take it as an
    // option or as standard input.
    if (!optionsEnded && !argument.empty() && argument[0] == '-' && argument != "--" &&
        options.optionAlsoAFile.empty() && LookAtPath(argument).kind != PathKind::kNothing) {
      options.optionAlsoAFile = argument;
    }
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      options.files.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--fix") {
      options.fix = true;
    } else if (argument == "--json") {
      options.json = true;
    } else if (argument == "--installed") {
      options.installed = true;
    } else if (argument == "--install") {
      options.install = true;
    } else if (argument == "--uninstall") {
      options.uninstall = true;
    } else if (argument == "--family" && i + 1 < arguments.size()) {
      options.family = arguments[++i];
    } else if (argument == "--dual-width" && i + 1 < arguments.size()) {
      const std::string& value = arguments[++i];
      if (value == "full") {
        options.rules.dualWidth = DualWidth::kFull;
      } else if (value == "half") {
        options.rules.dualWidth = DualWidth::kHalf;
      } else {
        options.wrongDualWidth = value;
      }
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
  options.outputIsFolder = options.output && IsFolder(*options.output);
  return options;
}

std::string OptionAlsoAFileProblem(const Options& options) {
  const std::string& name = options.optionAlsoAFile;
  if (name.empty()) return "";
  const std::string shown = ShownName(name);
  const std::string taken =
      name == kStandardInput ? "- reads standard input" : shown + " was read as an option";
  return taken + ", but a file of that name is here too (did a wildcard give it?): write ./" +
         shown + " for the file, or -- before the fonts; nothing was done";
}

std::string OutputsClash(const Options& options) {
  if (!options.output || !options.outputIsFolder) return "";
  std::map<std::string, const std::string*> inputByIdentity;
  for (const std::string& file : options.files) {
    if (const std::string identity = FileIdentity(file); !identity.empty()) {
      inputByIdentity.emplace(identity, &file);
    }
  }
  std::map<std::string, const std::string*> inputByOutput;
  for (const std::string& file : options.files) {
    const std::string output = OutputOf(options, file);
    const auto known = inputByOutput.emplace(output, &file);
    if (!known.second) {
      return ShownName(*known.first->second) + " and " + ShownName(file) +
             " would both be written to " + ShownName(output) + "; nothing was written";
    }
    const auto overwritten = inputByIdentity.find(FileIdentity(output));
    if (overwritten != inputByIdentity.end() && *overwritten->second != file) {
      return "the output of " + ShownName(file) + ", " + ShownName(output) + ", is " +
             ShownName(*overwritten->second) + ", which is to be read too; nothing was written";
    }
  }
  return "";
}

std::string OutputProblem(const Options& options) {
  const auto inputs = std::count(options.files.begin(), options.files.end(), kStandardInput);
  if (options.uninstall &&
      (options.fix || options.install || options.installed || !options.files.empty())) {
    return "--uninstall goes alone";
  }
  if (options.install && options.fix) return "--install and --fix do not go together";
  if (!options.wrongDualWidth.empty()) {
    return "--dual-width takes half or full, not " + ShownName(options.wrongDualWidth);
  }
  if (!options.family.empty() && !options.install) return "--family goes with --install";
  if (options.install && inputs > 0) {
    return "a font read from standard input cannot be installed: give its file";
  }
  if (inputs > 1) return "standard input (-) can be read only once";
  if (options.output && !options.fix) return "--output goes with --fix";
  if (options.fix && inputs > 0 && !options.output) {
    return "a font read from standard input is fixed into a file: give --output";
  }
  if (options.output && !options.outputIsFolder) {
    if (options.files.size() > 1) return "with several fonts, --output names an existing folder";
  } else if (options.output && inputs > 0) {
    return "a font read from standard input needs --output to name a file, not a folder";
  }
  return "";
}

std::string OutputOf(const Options& options, const std::string& file) {
  return options.outputIsFolder ? PathInFolder(*options.output, file) : *options.output;
}
