// Windows converts a command line to the ANSI code page with best fit, so that a name such as
// "\u0100rial.ttf" reaches GetCommandLineA() as "Arial.ttf", another file. The program converts
// the wide command line itself, where it can refuse best fit.
#include "windows/command_line_windows.h"

#include <windows.h>

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Appends the conversion of count units of text to narrow at *length.
bool Convert(const wchar_t* text, int count, unsigned codePage, char* narrow, int narrowSize,
             int* length) {
  if (count == 0) return true;
  // The UTF-8 conversion takes neither the best-fit flag nor a default character.
  const bool utf8 = codePage == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  const int added = WideCharToMultiByte(codePage, flags, text, count, narrow + *length,
                                        narrowSize - *length, utf8 ? nullptr : "?", nullptr);
  *length += added;
  return added > 0;
}

}  // namespace

bool NarrowCommandLine(const wchar_t* commandLine, unsigned codePage, char* narrow,
                       int narrowSize) {
  // UTF-8 holds every character but a lone surrogate, which would fail the whole conversion; it
  // becomes '?' here, as an unmappable character does in the other code pages. So the line is
  // converted in runs between lone surrogates.
  int length = 0;
  const wchar_t* run = commandLine;
  const wchar_t* c = commandLine;
  for (; *c != L'\0'; ++c) {
    if (IsHighSurrogate(c[0]) && IsLowSurrogate(c[1])) {
      ++c;
    } else if (IsHighSurrogate(c[0]) || IsLowSurrogate(c[0])) {
      if (!Convert(run, static_cast<int>(c - run), codePage, narrow, narrowSize, &length) ||
          length >= narrowSize) {
        return false;
      }
      narrow[length++] = '?';
      run = c + 1;
    }
  }
  if (!Convert(run, static_cast<int>(c - run), codePage, narrow, narrowSize, &length) ||
      length >= narrowSize) {
    return false;
  }
  narrow[length] = '\0';
  return true;
}
