#include "install/copy_name.h"

#include <cstdint>
#include <cstdio>

#include "install/name_table.h"

namespace {

constexpr const char* kCopyExtensions[] = {".ttf", ".otf", ".ttc"};
constexpr char kFixedPart[] = "-Fixed-";

std::string LastPart(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string CopyTag(const std::string& source) {
  // FNV-1a: cheap, the same on every platform, and spread well enough that the few hundred
  // fonts of a system do not meet; a meeting is refused where the copy would be written.
  std::uint32_t hash = 2166136261u;
  for (const char c : source) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  char tag[kCopyTagLength + 1];
  std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(hash));
  return tag;
}

std::string CopyFileName(const std::string& source, const std::string& extension) {
  std::string stem = LastPart(source);
  const std::size_t dot = stem.rfind('.');
  if (dot != std::string::npos && dot != 0) stem.resize(dot);
  if (stem.size() > kMaxCopyStem) {
    std::size_t cut = kMaxCopyStem;
    while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80) --cut;
    stem.resize(cut);
  }
  return stem + kFixedPart + CopyTag(source) + extension;
}

std::string CopyTagOfFileName(const std::string& path) {
  const std::string name = LastPart(path);
  for (const char* extension : kCopyExtensions) {
    const std::string ending = std::string(extension);
    const std::size_t tail = sizeof kFixedPart - 1 + kCopyTagLength + ending.size();
    if (name.size() <= tail ||
        name.compare(name.size() - ending.size(), ending.size(), ending) != 0 ||
        name.compare(name.size() - tail, sizeof kFixedPart - 1, kFixedPart) != 0) {
      continue;
    }
    const std::string tag =
        name.substr(name.size() - kCopyTagLength - ending.size(), kCopyTagLength);
    if (IsCopyTag(tag)) return tag;
  }
  return "";
}

std::string CopyValueMark(const std::string& tag) { return "[Quenlo " + tag + "]"; }
