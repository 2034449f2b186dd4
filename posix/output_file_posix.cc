// Fixed copies on POSIX systems: a temporary beside the output, with the font's permissions,
// removed if a signal stops the program, and renamed over the output once flushed; a sparse font's
// holes are found so that they are not copied as zeros.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include "common/output_file.h"

namespace {

int Descriptor(FileHandle file) { return static_cast<int>(file); }

// The temporary that a signal removes: its name, kept where a signal handler may read it.
char temporary[8192];
volatile std::sig_atomic_t remembered = 0;

void RemoveAndStop(int signal) {
  if (remembered != 0) unlink(temporary);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// The signals that stop a program from outside (Ctrl-C, a kill, a closed terminal) remove the
// temporary first; a signal that the program was started to ignore stays ignored.
void RemoveTemporaryWhenStopped() {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    struct sigaction now;
    if (sigaction(signal, nullptr, &now) == 0 && now.sa_handler == SIG_DFL) {
      std::signal(signal, RemoveAndStop);
    }
  }
}

void Remember(const std::string& path) {
  if (path.size() >= sizeof temporary) return;  // a name this long is left if a signal comes
  std::memcpy(temporary, path.c_str(), path.size() + 1);
  remembered = 1;
}

void Forget(const std::string& path) {
  if (path == temporary) remembered = 0;
}

}  // namespace

PathFacts LookAtPath(const std::string& path) {
  struct stat status;
  if (lstat(path.c_str(), &status) != 0) return {};
  if (S_ISLNK(status.st_mode)) return {PathKind::kLink, false};
  if (S_ISDIR(status.st_mode)) return {PathKind::kFolder, false};
  if (!S_ISREG(status.st_mode)) return {PathKind::kOther, false};
  // Root may write any file; one that nobody may write was marked read-only on purpose.
  const bool writable =
      access(path.c_str(), W_OK) == 0 && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  return {PathKind::kFile, writable};
}

std::string FileIdentity(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return "";
  return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
}

std::uint32_t FilePermissions(FileHandle file) {
  struct stat status;
  return fstat(Descriptor(file), &status) == 0 ? status.st_mode & 0777 : kNewFilePermissions;
}

void FileDataAfter(FileHandle file, std::uint64_t from, std::uint64_t size, std::uint64_t* first,
                   std::uint64_t* end) {
  *first = from;
  *end = size;
  const off_t data = lseek(Descriptor(file), static_cast<off_t>(from), SEEK_DATA);
  if (data < 0) {
    // ENXIO: nothing but a hole from from on; otherwise the file system does not say.
    if (errno == ENXIO) *first = size;
    return;
  }
  const off_t hole = lseek(Descriptor(file), data, SEEK_HOLE);
  *first = std::min(size, static_cast<std::uint64_t>(data));
  if (hole >= 0) *end = std::min(size, static_cast<std::uint64_t>(hole));
}

bool FileCreateBeside(const std::string& path, std::uint32_t permissions, FileHandle* file,
                      std::string* created, std::string* why) {
  RemoveTemporaryWhenStopped();
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    *created = folder + "." + NameInTemporary(name) + ".quenlo-" + std::to_string(getpid()) + "-" +
               std::to_string(attempt);
    const int fd = open(created->c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                        static_cast<mode_t>(permissions & 0777));
    if (fd >= 0) {
      Remember(*created);
      *file = fd;
      return true;
    }
    if (errno != EEXIST) {
      *why = std::strerror(errno);
      return false;
    }
  }
  *why = "no temporary name was free beside it";
  return false;
}

bool FileIsOpenAs(FileHandle file, const std::string& path) {
  struct stat open;
  struct stat named;
  return fstat(Descriptor(file), &open) == 0 && stat(path.c_str(), &named) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

bool FileFlush(FileHandle file) { return fsync(Descriptor(file)) == 0; }

bool FileRename(const std::string& from, const std::string& to, std::string* why) {
  const bool renamed = rename(from.c_str(), to.c_str()) == 0;
  if (!renamed) *why = std::strerror(errno);
  Forget(from);
  return renamed;
}

void FileRemove(const std::string& path) {
  unlink(path.c_str());
  Forget(path);
}

bool IsFolder(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string PathInFolder(const std::string& folder, const std::string& file) {
  const std::size_t slash = file.rfind('/');
  const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
  return folder + (!folder.empty() && folder.back() == '/' ? "" : "/") + name;
}
