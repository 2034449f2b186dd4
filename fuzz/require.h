// How the fuzz targets say that a property broke: a line naming it, then a crash that libFuzzer
// records with the input.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}
