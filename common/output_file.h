// The file access that a fix into another file, and a font read from standard input, need; each
// platform defines these functions once.
#pragma once

#include <cstdint>
#include <string>

#include "common/file.h"

// Opens standard input as a file to read: itself when it is a regular file, else a copy of all
// it holds, up to 4 GiB, in a temporary file that is gone once closed. On failure, stores in
// why, for the user, what kept it from opening.
bool FileOpenStandardInput(FileHandle* file, std::uint64_t* size, std::string* why);

// Creates a new, empty file for reading and writing in the folder of path, named after path so
// that it is plainly a temporary of this program, and stores its name in created.
bool FileCreateBeside(const std::string& path, FileHandle* file, std::string* created,
                      std::string* why);

// Whether path names the file that is open as file: the same file, also through a link.
bool FileIsOpenAs(FileHandle file, const std::string& path);

// Writes what was written to the file through to its disk; false when that fails.
bool FileFlush(FileHandle file);

// Puts the file at from in the place of to in one step, so that to is always either what it was
// or the whole new file.
bool FileRename(const std::string& from, const std::string& to, std::string* why);

// Removes the file at path, as far as it can.
void FileRemove(const std::string& path);

// Whether path names an existing folder.
bool IsFolder(const std::string& path);

// The path of the file named as file's last part, in folder.
std::string PathInFolder(const std::string& folder, const std::string& file);
