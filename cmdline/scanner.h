// Reads the tokens of the command tail: blanks, a decimal number, the width option, a file name.
// Each operation advances the cursor it is given past what it consumed and reports only through
// its result; none of them shows anything to the user.
#pragma once

#include <cstddef>
#include <cstdint>

// Moves the cursor past spaces; a tab or any other character stops it, as does the terminator.
void SkipBlanks(const char*& cursor);

// Reads decimal digits, staying at the largest int32 once the value would exceed it. Returns the
// value (0 for no digit) when they end at a space or the terminator, else -1 with the cursor on
// the offending character.
std::int32_t ParseNumber(const char*& cursor);

// On "-w" (lower-case only), steps over it and any spaces and returns ParseNumber's result;
// anywhere else returns 0 and leaves the cursor where it was.
std::int32_t ParseWidthOption(const char*& cursor);

// Copies a file name to dest: one in double quotes, which may hold spaces, or a plain one, which
// ends at the first space. At most limit - 1 characters are kept and a NUL is written after them;
// limit is at least 1. Returns the cursor, which rests on what ended the name, or just past the
// closing quote.
const char* ParseFileName(const char*& cursor, char* dest, std::size_t limit);
