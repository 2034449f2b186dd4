// Test launcher for the Windows program: starts it with a command line read byte for byte from a
// file and exits with its exit code. Wine rebuilds a command line from its own arguments by the
// usual quoting rules, so tails such as an unclosed quote or a tab can only be given this way.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: launcher <program.exe> <file holding the command line>\n");
    return 125;
  }
  std::ifstream in(argv[2], std::ios::binary);
  std::string commandLine((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return 125;

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "CreateProcessA failed: %lu\n", GetLastError());
    return 126;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 126;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(exitCode);
}
