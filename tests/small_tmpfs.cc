// Mounting needs root (or a user namespace); tests that cannot mount skip themselves.
#include "tests/small_tmpfs.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

SmallTmpfs::SmallTmpfs(const std::string& path) : path_(path) {
  std::filesystem::create_directory(path);
  mounted_ = mount("quenlo-test", path.c_str(), "tmpfs", 0, "size=64k") == 0;
}

SmallTmpfs::~SmallTmpfs() {
  if (mounted_) umount2(path_.c_str(), MNT_DETACH);
}

bool SmallTmpfs::FillUp() const {
  const int filler = open((path_ + "/filler").c_str(), O_WRONLY | O_CREAT, 0600);
  const std::vector<unsigned char> page(4096, 0xAA);
  while (write(filler, page.data(), page.size()) > 0) {
  }
  const bool full = errno == ENOSPC;
  close(filler);
  return full;
}
