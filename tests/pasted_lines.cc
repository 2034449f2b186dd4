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

}  // namespace

std::vector<std::string> ReadByPosixShells(const std::string& line) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < line.size()) {
    if (line[at] == '\'') {
      const std::size_t end = line.find('\'', at + 1);
      if (end == std::string::npos) return {};
      const std::string word = line.substr(at + 1, end - at - 1);
      if (word.find('\\') != std::string::npos) return {};
      words.push_back(word);
      at = end + 1;
    } else {
      std::size_t end = at;
      while (end < line.size() && line[end] != ' ') {
        if (!IsPosixBare(line[end])) return {};
        ++end;
      }
      // A bare first word that starts with a dash is an option to nothing; "-w" is its own.
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

std::vector<std::string> ReadByPromptAndPowerShell(const std::string& line) {
  for (const char* special : {"%", "!", "$", "`", "^", "\xE2\x80\x98", "\xE2\x80\x99",
                              "\xE2\x80\x9A", "\xE2\x80\x9B", "\xE2\x80\x9C", "\xE2\x80\x9D",
                              "\xE2\x80\x9E", "\xE2\x80\x93", "\xE2\x80\x94", "\xE2\x80\x95"}) {
    if (line.find(special) != std::string::npos) return {};
  }
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < line.size()) {
    if (line[at] == '"') {
      if (words.empty()) return {};  // a quoted program
      const std::size_t end = line.find('"', at + 1);
      if (end == std::string::npos) return {};
      words.push_back(line.substr(at + 1, end - at - 1));
      at = end + 1;
    } else {
      std::size_t end = at;
      while (end < line.size() && line[end] != ' ') {
        if (!IsWindowsBare(line[end])) return {};
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
