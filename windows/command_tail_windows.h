// Finds the command tail in the full command line that Windows keeps for the process.
#pragma once

// Tells whether a byte opens a two-byte character in the system's ANSI code page.
using LeadByteTest = bool (*)(unsigned char byte);

// Returns the part of commandLine after the program's name and the characters of codes 1 to 32
// that follow it. A name that starts with a quote runs to the next quote, which goes with it;
// with no closing quote it runs to the end. The second byte of a two-byte character is never
// taken for that quote. Any other name ends before the first character of code 0 to 32.
const char* CommandTailOf(const char* commandLine, LeadByteTest isLeadByte);
