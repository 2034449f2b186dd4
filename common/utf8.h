// UTF-8 as file names hold it: the sequences that are valid, and the code points they carry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The length of the valid UTF-8 sequence at text[i], or 0 when none starts there. Overlong
// forms, surrogates and code points past U+10FFFF are not valid.
std::size_t Utf8Length(const std::string& text, std::size_t i);

// The code point of the valid sequence of length bytes at text[i].
std::uint32_t Utf8CodePoint(const std::string& text, std::size_t i, std::size_t length);

// The longest start of text, in whole characters, that takes at most units UTF-16 units: two
// for a character past U+FFFF, one for any other and for a byte that starts no valid sequence
// (which becomes U+FFFD).
std::string Utf8PrefixOfUtf16Units(const std::string& text, std::size_t units);
