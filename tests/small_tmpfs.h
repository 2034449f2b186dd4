// A small file system of the test's own, to see what a program does when the disk is full.
#pragma once

#include <string>

// A 64 KiB tmpfs mounted at path (made if missing) for the life of the object.
class SmallTmpfs {
 public:
  explicit SmallTmpfs(const std::string& path);
  ~SmallTmpfs();
  SmallTmpfs(const SmallTmpfs&) = delete;
  SmallTmpfs& operator=(const SmallTmpfs&) = delete;

  // False where mounting is not allowed; the test should then skip itself.
  bool mounted() const { return mounted_; }

  // Writes a file named filler into it until no page is left; false if the file system never
  // said it was full.
  bool FillUp() const;

 private:
  std::string path_;
  bool mounted_ = false;
};
