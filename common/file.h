// The file access that the patcher, the fonts' reader and the fixer need; each platform defines
// these functions once, tests fake them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// An open file as the platform knows it (a descriptor or a handle), carried as a plain value.
using FileHandle = std::intptr_t;

// Opens an existing regular file for reading and writing, held exclusively until FileClose, and
// stores its length in bytes in size.
bool FileOpen(const char* path, FileHandle* file, std::uint64_t* size);

// Opens an existing regular file for reading only, shared with every other reader and writer,
// and stores its length in bytes in size. The path is UTF-8 on Windows, as the system's on others.
// On failure, stores in why, for the user, what kept it from opening.
bool FileOpenForReading(const char* path, FileHandle* file, std::uint64_t* size, std::string* why);

// Opens an existing regular file for reading and writing, held exclusively until FileClose as
// FileOpen holds it, for a fix that the user asked for. A file marked read-only is refused. On
// failure, stores in why, for the user, what kept it from opening (in use by another program,
// read-only, not a regular file, ...).
bool FileOpenToFix(const char* path, FileHandle* file, std::uint64_t* size, std::string* why);

// Reads exactly count bytes at position; false when the read fails or the file ends first.
bool FileReadAt(FileHandle file, std::uint64_t position, unsigned char* buffer, std::size_t count);

// Writes exactly count bytes at position; false when the write fails or stops short.
bool FileWriteAt(FileHandle file, std::uint64_t position, const unsigned char* bytes,
                 std::size_t count);

// Cuts the file, or lengthens it with zeros, to length bytes; false when that fails.
bool FileSetLength(FileHandle file, std::uint64_t length);

// Makes every other program that opens the file wait until FileLetOthersIn, where the system
// can (a write lease on Linux, granted only while no other program has the file open); false
// where it cannot, and then only programs that take the lock are kept out.
bool FileKeepOthersOut(FileHandle file);

// Ends what FileKeepOthersOut began.
void FileLetOthersIn(FileHandle file);

// The bytes the file holds on its disk, at most size, its length: fewer for a sparse file, whose
// holes read as zeros but take no room; size when the system does not say.
std::uint64_t FileStoredBytes(FileHandle file, std::uint64_t size);

// Releases a file that FileOpen opened.
void FileClose(FileHandle file);
