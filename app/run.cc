// Checks the command line as a whole, then hands a well-formed one to the patcher.
#include "app/run.h"

#include "cmdline/scanner.h"
#include "common/limits.h"
#include "common/show_error.h"
#include "common/width.h"
#include "font/avg_char_width.h"

namespace {

constexpr char kWidthMessage[] =
    "Incorrect width.\n\nUsage:\nQuenlo [-w <Width>] <Full TTF file name>";
constexpr char kNameMissingMessage[] =
    "File name expected as non-optional parameter.\n\nUsage:\nQuenlo [-w <Width>] <Full TTF file "
    "name>";
constexpr char kNameTooLongMessage[] =
    "File name is too long.\n\nUsage:\nQuenlo [-w <Width>] <Full TTF file name>";

// The scanner keeps limit - 1 characters, and the buffer holds them with the terminator.
constexpr std::size_t kNameLimit = kMaxNameLength + 1;
constexpr std::size_t kNameBufferSize = kNameLimit + 1;

// A name that filled the buffer was cut when the scanner stopped on a character it would have
// copied; a name that ended by itself leaves the cursor on the terminator, on the blank after a
// plain name, or just past the closing quote of a quoted one.
bool NameWasCut(const char* nameStart, const char* nameEnd) {
  if (*nameEnd == '\0') return false;
  return *nameStart == '"' ? nameEnd[-1] != '"' : *nameEnd != ' ';
}

}  // namespace

int RunCommandTail(const char* commandTail) {
  const char* cursor = commandTail;
  SkipBlanks(cursor);

  // The width is settled before the name is looked at, so a bad width is reported even when the
  // name is missing too.
  Width width = kDefaultWidth;
  if (cursor[0] == '-' && cursor[1] == 'w') {
    width = ParseWidthOption(cursor);
    if (width <= 0 || width > kMaxWidth) {
      ShowError(kWidthMessage);
      return kExitFailure;
    }
    SkipBlanks(cursor);
  }

  char name[kNameBufferSize];
  name[0] = '\0';
  const char* const nameStart = cursor;
  ParseFileName(cursor, name, kNameLimit);
  if (name[0] == '\0') {
    ShowError(kNameMissingMessage);
    return kExitFailure;
  }
  // Opening the file that a cut name happens to denote would patch the wrong font.
  if (NameWasCut(nameStart, cursor)) {
    ShowError(kNameTooLongMessage);
    return kExitFailure;
  }
  return SetAverageCharWidth(name, width) ? kExitSuccess : kExitFailure;
}
