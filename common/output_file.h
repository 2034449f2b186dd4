// The file access that a fix into another file needs; each platform defines these functions once.
#pragma once

#include <cstdint>
#include <string>

#include "common/file.h"

// What is at a path, as the path itself names it: a link is a link, not what it points at.
enum class PathKind { kNothing, kFile, kFolder, kLink, kOther };

struct PathFacts {
  PathKind kind = PathKind::kNothing;
  bool writable = false;  // a file that this user may write and that is not marked read-only
};

PathFacts LookAtPath(const std::string& path);

// What tells the file that path names, following links, from every other: the same for two
// names of one file; "" when path names no file.
std::string FileIdentity(const std::string& path);

// Opens an existing regular file to read and copy it, shared with other readers but not with a
// program that holds it to write it (flock on POSIX systems, share modes on Windows), and stores
// its length in size. On failure, stores in why, for the user, what kept it from opening.
bool FileOpenToCopy(const char* path, FileHandle* file, std::uint64_t* size, std::string* why);

// The bits that say who may read and write the file, as the system keeps them; 0 where it
// keeps none.
std::uint32_t FilePermissions(FileHandle file);

// What a new file gets when nothing says otherwise: read and write for all, less the umask.
constexpr std::uint32_t kNewFilePermissions = 0666;

// The first byte of data at or after from, and the end of that data, in a file of size bytes:
// a sparse file's holes, which read as zeros but hold nothing, are skipped. Where the system
// does not say, everything from from to size is data.
void FileDataAfter(FileHandle file, std::uint64_t from, std::uint64_t size, std::uint64_t* first,
                   std::uint64_t* end);

// Creates a new, empty file for reading and writing in the folder of path, named after path so
// that it is plainly a temporary of this program (after at most kNameInTemporary bytes of its
// name), with the permissions given less the umask, and stores its name in created. Until
// FileRename or FileRemove is given that name, the file is removed when the program is stopped
// by a signal or by Ctrl-C.
bool FileCreateBeside(const std::string& path, std::uint32_t permissions, FileHandle* file,
                      std::string* created, std::string* why);

constexpr std::size_t kNameInTemporary = 64;

// The first bytes of name, at most kNameInTemporary of them, ending before a character of UTF-8,
// so that a temporary's name is never longer than a file name may be.
inline std::string NameInTemporary(const std::string& name) {
  std::size_t length = name.size() < kNameInTemporary ? name.size() : kNameInTemporary;
  while (length > 0 && length < name.size() &&
         (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) {
    --length;
  }
  return name.substr(0, length);
}

// Whether path names the file that is open as file: the same file, also through a link.
bool FileIsOpenAs(FileHandle file, const std::string& path);

// Writes what was written to the file through to its disk; false when that fails.
bool FileFlush(FileHandle file);

// Puts the file at from in the place of to in one step, so that to is always either what it was
// or the whole new file.
bool FileRename(const std::string& from, const std::string& to, std::string* why);

// Removes the file at path, as far as it can.
void FileRemove(const std::string& path);

// Whether path names an existing folder, also through a link.
bool IsFolder(const std::string& path);

// The path of the file named as file's last part, in folder.
std::string PathInFolder(const std::string& folder, const std::string& file);
