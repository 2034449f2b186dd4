// Fuzz target for names from anywhere, as the check shows them and writes them into the lines a
// person pastes: any bytes as a file name, and as the path the check was started by. What is
// shown escaped must read back as that one name and hold only what every terminal shows; a
// JSON string must hold no raw control character; every fix line that is printed must be read by
// sh, dash, bash, zsh and fish as the fix of exactly that file (by the model in
// tests/pasted_lines), and a line that is not a command must be one of the sentences.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "check/fix_command.h"
#include "check/report.h"
#include "check/shown_name.h"
#include "fuzz/require.h"
#include "fuzz/shown_names.h"
#include "tests/pasted_lines.h"

namespace {

// The lines of the report for a face of the named file that needs 500.
void CheckReportLines(const std::string& name, const FixPrograms& programs, bool patchable) {
  FaceSummary face;
  if (!patchable) face.index = 0;
  face.xAvgCharWidth = 980;
  face.verdict.suggested = 500;
  face.verdict.kind = WidthKind::kMonospaced;
  face.verdict.halfWidth = 500;
  const std::string lines = FaceLines(name, face, {}, programs);
  for (const char c : lines) {
    Require(c == '\n' || static_cast<unsigned char>(c) >= 0x20, "a control character in a line");
  }
  // The fix line is the second; the first starts with the name, which may hold anything.
  const std::size_t at = lines.find("\n  fix: ");
  Require(at != std::string::npos, "no fix line");
  const std::string line = lines.substr(at + 8, lines.find('\n', at + 1) - at - 8);
  if (line.rfind("rename the file first", 0) == 0 || line.rfind("it came from standard", 0) == 0) {
    return;
  }
  const std::vector<std::string> words = ReadByPosixShells(line);
  Require(words.size() == 4 || words.size() == 3, "a fix line the shells read otherwise");
  const std::string& file = words.back();
  Require(file == name || file == "./" + name, "a fix line for another file");
  Require(words[0] == programs.quenlo || words[0] == programs.check, "a fix line's program");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  RequireShownAsItself(name);
  const std::string json = JsonString(name);
  for (const char c : json) {
    Require(static_cast<unsigned char>(c) >= 0x20, "a control character in a JSON string");
  }
  for (const FixPrograms& programs :
       {FixPrograms{"quenlo", "quenlo-check"}, ProgramsBeside(name + "/quenlo-check")}) {
    for (const bool patchable : {true, false}) CheckReportLines(name, programs, patchable);
    const std::string line = FixCommand(programs, name, 500);
    if (!line.empty()) {
      const std::vector<std::string> words = ReadByPosixShells(line);
      Require(words.size() == 4 && words[1] == "-w" && words[2] == "500",
              "a quenlo line the shells read otherwise");
      Require(words[3] == name || words[3] == "./" + name, "a quenlo line for another file");
    }
  }
  return 0;
}
