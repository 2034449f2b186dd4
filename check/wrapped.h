// Text laid out for a console window of 80 columns, such as Wine's, which breaks a longer line
// wherever it reaches the edge.
#pragma once

#include <string>

constexpr std::size_t kConsoleColumns = 80;

// The columns text takes: one for each character, two for each East Asian wide one.
std::size_t Columns(const std::string& text);

// text broken at spaces into lines of at most kConsoleColumns columns, each ending with a line
// feed, the first indented by indent spaces and the others by hanging; a word longer than a line
// (a long path) stands alone on its line.
std::string Wrapped(const std::string& text, std::size_t indent = 0, std::size_t hanging = 0);
