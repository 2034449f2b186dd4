// What quenlo-check does in a console window of its own, the one Windows opens for a program
// started from Explorer (double-clicked, or with fonts dropped on it): the report, an offer to
// fix what needs it, and a wait, so that the window does not close before it was read.
#pragma once

#include <string>
#include <vector>

#include "check/fix_command.h"

// Shows question and reads one key; true for y or Y. Defined by each platform that has such a
// console.
bool AskYesNo(const std::string& question);

// Shows text and waits for any key. Defined by each platform that has such a console.
void WaitForKey(const std::string& text);

// Without fonts, says to drop some on the program; with fonts, checks them, asks to fix the faces
// that --fix would write and fixes them on a yes; then waits for a key. Returns RunCheck's status
// of the last run.
int RunCheckInOwnConsole(const std::vector<std::string>& arguments, const FixPrograms& programs);
