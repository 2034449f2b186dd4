// The width check's entry, shared by every platform: arguments in, report out, exit status back.
#pragma once

#include <string>
#include <vector>

#include "check/fix_command.h"

constexpr int kCheckAllOk = 0;
constexpr int kCheckNeedsFix = 1;
constexpr int kCheckTrouble = 2;

// Runs "quenlo-check [--fix] [--json] FONT..." on the arguments after the program's name (in
// UTF-8 on Windows). Returns kCheckAllOk when every face is ok (with --fix, afterwards),
// kCheckNeedsFix when some face is not, and kCheckTrouble when a file could not be read or
// written, the command line is wrong or the report could not be written. The printed commands
// run the programs as given.
int RunCheck(const std::vector<std::string>& arguments, const FixPrograms& programs);

// The faces that --fix would write, and the files that hold them, in order.
struct Fixable {
  int faces = 0;
  std::vector<std::string> files;
  std::vector<int> facesOf;  // how many faces of each file
};

// Runs as RunCheck does and, without --fix, counts into fixable the faces that --fix would write.
int RunCheckCounting(const std::vector<std::string>& arguments, const FixPrograms& programs,
                     Fixable* fixable);
