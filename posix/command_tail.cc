// Turns argv back into a single command tail for the scanner.
#include "posix/command_tail.h"

#include <cstring>

namespace {

bool NeedsQuotes(const char* argument) {
  if (*argument == '\0') return true;
  for (const char* c = argument; *c != '\0'; ++c) {
    const unsigned char code = static_cast<unsigned char>(*c);
    if (code <= 32) return true;
  }
  return false;
}

}  // namespace

bool BuildCommandTail(int argc, const char* const* argv, std::string* tail) {
  tail->clear();
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    const bool quoted = NeedsQuotes(argument);
    // The scanner strips a leading quote, and a quote inside a quoted name would end it early.
    if (argument[0] == '"' || (quoted && std::strchr(argument, '"') != nullptr)) return false;
    if (i > 1) tail->push_back(' ');
    if (quoted) tail->push_back('"');
    tail->append(argument);
    if (quoted) tail->push_back('"');
  }
  return true;
}
