// The command tail taken from the whole command line, comparing bytes as unsigned values: the
// C runtime's own start-up code compares signed chars and so also drops leading bytes of 0x80
// and above, which would make a name such as "\xFC.ttf" (u-umlaut in code page 1252) reach
// the program as ".ttf".
#include "windows/command_tail_windows.h"

namespace {

unsigned char Byte(const char* c) { return static_cast<unsigned char>(*c); }

}  // namespace

const char* CommandTailOf(const char* commandLine, LeadByteTest isLeadByte) {
  const char* cursor = commandLine;
  if (*cursor == '"') {
    ++cursor;
    while (*cursor != '\0' && *cursor != '"') {
      cursor += isLeadByte(Byte(cursor)) && cursor[1] != '\0' ? 2 : 1;
    }
    if (*cursor == '"') ++cursor;
  } else {
    while (Byte(cursor) > ' ') ++cursor;
  }
  while (*cursor != '\0' && Byte(cursor) <= ' ') ++cursor;
  return cursor;
}
