// The program's entry logic, shared by every platform: command tail in, exit status out.
#pragma once

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;

// Reads "[-w <Width>] <Full TTF file name>" from the command tail (the command line after the
// program's name, with the blanks that follow the name removed) and sets the font's width.
// Returns kExitSuccess once the width is written; otherwise shows one message and returns
// kExitFailure.
int RunCommandTail(const char* commandTail);
