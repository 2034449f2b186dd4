// Fuzz target for the Windows fix lines: any bytes as a file name and as the check's own path.
// Every line printed must be read by the command prompt and PowerShell alike as the fix of
// exactly that file (by the model in tests/pasted_lines).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "check/fix_command.h"
#include "fuzz/require.h"
#include "fuzz/shown_names.h"
#include "tests/pasted_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  RequireShownAsItself(name);
  for (const FixPrograms& programs :
       {ProgramsBeside("C:\\Q\\quenlo-check.exe"), ProgramsBeside(name + "\\quenlo-check.exe")}) {
    const std::string quenlo = FixCommand(programs, name, 500);
    if (!quenlo.empty()) {
      const std::vector<std::string> words = ReadByPromptAndPowerShell(quenlo);
      Require(
          words.size() == 4 && words[0] == programs.quenlo && words[1] == "-w" && words[2] == "500",
          "a quenlo line that the prompt or PowerShell reads otherwise");
      Require(words[3] == name || words[3] == ".\\" + name, "a quenlo line for another file");
    }
    const std::string check = CheckFixCommand(programs, name);
    if (!check.empty()) {
      const std::vector<std::string> words = ReadByPromptAndPowerShell(check);
      Require(words.size() == 3 && words[0] == programs.check && words[1] == "--fix",
              "a check line that the prompt or PowerShell reads otherwise");
      Require(words[2] == name || words[2] == ".\\" + name, "a check line for another file");
    }
  }
  return 0;
}
