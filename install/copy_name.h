// The names that only Quenlo gives what it installs: a copy's file name and its registered name,
// each carrying a tag made from the path of the font it was copied from, so that two fonts never
// share a copy, and a file or value is taken for a copy only where both the form and the tag fit.
#pragma once

#include <string>

// The tag of the copy of the font at source: kCopyTagLength hexadecimal digits of a hash of its
// path, which its copy's file name and version string both carry.
std::string CopyTag(const std::string& source);

// The copy's file name: at most kMaxCopyStem bytes of the source's name, without its extension
// (cut where a UTF-8 character starts), then "-Fixed-", the tag and extension. Bounded, so that a
// source of any name gets a copy.
constexpr std::size_t kMaxCopyStem = 64;
std::string CopyFileName(const std::string& source, const std::string& extension);

// The tag that a file name of that form carries (the last part of path); "" for any other name.
std::string CopyTagOfFileName(const std::string& path);

// What the system's list of fonts holds of the copy tagged tag beside its families: its
// registered name holds it, and only a value holding it is ever replaced or removed.
std::string CopyValueMark(const std::string& tag);
