// Both models refuse whatever they do not know to be read as itself, so that a line they accept
// is one that the shells read as these words, whatever else the shells can do.
#include "tests/pasted_lines.h"

#include <cstring>

namespace {

bool IsPosixBare(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::strchr("_-./", c) != nullptr;
}

bool IsWindowsBare(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::strchr("_-.\\:~", c) != nullptr;
}

// The words of a line apart by one space: each bare (every character isBare), or between two
// quote characters holding none of forbidden; a quoted first word only with quotedFirst. Empty
// when the line is anything else.
std::vector<std::string> Words(const std::string& line, char quote, bool (*isBare)(char),
                               const char* forbidden, bool quotedFirst) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < line.size()) {
    if (line[at] == quote) {
      if (words.empty() && !quotedFirst) return {};
      const std::size_t end = line.find(quote, at + 1);
      if (end == std::string::npos) return {};
      const std::string word = line.substr(at + 1, end - at - 1);
      if (word.find_first_of(forbidden) != std::string::npos) return {};
      words.push_back(word);
      at = end + 1;
    } else {
      std::size_t end = at;
      while (end < line.size() && line[end] != ' ') {
        if (!isBare(line[end])) return {};
        ++end;
      }
      if (end == at) return {};
      words.push_back(line.substr(at, end - at));
      at = end;
    }
    if (at < line.size()) {
      if (line[at] != ' ' || at + 1 == line.size()) return {};
      ++at;
    }
  }
  return words;
}

}  // namespace

std::vector<std::string> ReadByPosixShells(const std::string& line) {
  return Words(line, '\'', IsPosixBare, "\\", true);
}

std::vector<std::string> ReadByPromptAndPowerShell(const std::string& line) {
  for (const char* special : {"%", "!", "$", "`", "^", "\xE2\x80\x98", "\xE2\x80\x99",
                              "\xE2\x80\x9A", "\xE2\x80\x9B", "\xE2\x80\x9C", "\xE2\x80\x9D",
                              "\xE2\x80\x9E", "\xE2\x80\x93", "\xE2\x80\x94", "\xE2\x80\x95"}) {
    if (line.find(special) != std::string::npos) return {};
  }
  // PowerShell runs no quoted program without &, which the prompt does not take.
  return Words(line, '"', IsWindowsBare, "", false);
}
