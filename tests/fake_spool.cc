// The fake file system holds one file: a web font, which needs a second for its decoded tables,
// is not read by code that runs on it.
#include "common/standard_input.h"

bool SpoolCreate(FileHandle*, std::string* why) {
  *why = "the fake file has no temporary files";
  return false;
}
