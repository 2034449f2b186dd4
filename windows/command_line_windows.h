// The process's command line in an 8-bit code page, converted so that no name turns into another.
#pragma once

// Bytes that hold any command line converted: Windows limits one to 32767 UTF-16 units, and
// no code page takes more than three bytes for one of them.
constexpr int kNarrowCommandLineSize = 3 * 32767 + 1;

// Converts the wide commandLine to codePage, NUL-terminated, into narrow (narrowSize bytes)
// without best fit: a character that the code page cannot hold, and an unpaired surrogate,
// become '?', which no Windows file name may contain, so a name that holds one fails to open
// rather than naming a look-alike file. Returns false when the line cannot be converted.
bool NarrowCommandLine(const wchar_t* commandLine, unsigned codePage, char* narrow, int narrowSize);
