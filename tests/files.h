// Real files for tests: a temporary folder that removes itself, and whole-file reads and writes.
#pragma once

#include <string>

#include "tests/font_builder.h"

// A fresh folder under the system's temporary directory, removed with all it holds at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The path of name inside the folder.
  std::string Path(const std::string& name) const;

 private:
  std::string path_;
};

// The whole content of a file; fails the current test when it cannot be read.
Bytes ReadFileBytes(const std::string& path);
// Creates or replaces a file with bytes; fails the current test when it cannot be written.
void WriteFileBytes(const std::string& path, const Bytes& bytes);
