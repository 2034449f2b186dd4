// Standard input as the source of a font, as each platform reads it: a file to read at its
// positions, or a stream whose bytes go into a temporary file without a name, as far as the font
// needs them. Each platform defines these functions once.
#pragma once

#include <cstdint>
#include <string>

#include "common/file.h"

// Opens standard input again, to read at positions, when it is a regular file, and stores its
// length in size; false when it is not one (a pipe, a terminal, closed).
bool StandardInputAsFile(FileHandle* file, std::uint64_t* size);

// Makes an empty temporary file, gone once closed, in the system's folder for them (TMPDIR, else
// /tmp, on POSIX systems; TMP or TEMP on Windows). On failure, stores in why, for the user, what
// kept it from being made.
bool SpoolCreate(FileHandle* spool, std::string* why);

// Reads standard input onto the end of spool, which holds *have bytes, until it holds want bytes
// or the input ends, waiting for a stream that has nothing to give yet; stores the count it then
// holds in have. False when reading or writing fails, with why, for the user.
bool SpoolMore(FileHandle spool, std::uint64_t want, std::uint64_t* have, std::string* why);
