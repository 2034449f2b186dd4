// A font read from standard input, as a file that the reader and the fixer can read at positions.
#pragma once

#include <cstdint>
#include <string>

#include "common/file.h"

// The name by which a font is read from standard input.
constexpr char kStandardInput[] = "-";

// A stream gives at most this many bytes past the end of the font (its last table, padded), as
// real files may carry a few: more is refused, as something else than one font.
constexpr std::uint64_t kMaxBytesPastFont = 65536;

// Opens standard input as a font to read: itself when it is a regular file; else a temporary
// file holding what the stream gives, read only as far as the font's headers and directories say
// it reaches. A stream whose first bytes are no font's is refused at once, with the reader's
// reason, and so is one that claims more than the 4 GiB that offsets reach, or goes on past the
// font. On failure, stores in why, for the user, what kept it from being read.
bool OpenStandardInputFont(FileHandle* file, std::uint64_t* size, std::string* why);
