// Builds from argv the command tail that the Windows program would receive as lpCmdLine.
#pragma once

#include <string>

// Joins the arguments after the program's name with single spaces into tail. An argument that is
// empty or holds a character of code 1 to 32 is wrapped in double quotes, so that it reaches the
// scanner whole and the tail never starts with such a character. Returns false, leaving tail
// unspecified, when an argument cannot be carried unchanged: one that starts with a quote, or
// holds a quote and needs quoting, would reach the scanner as a different name.
bool BuildCommandTail(int argc, const char* const* argv, std::string* tail);
