// Limits that both programs share.
#pragma once

#include <cstddef>

// The longest file name, in bytes, that quenlo takes from its command line; a longer one is
// refused rather than cut.
constexpr std::size_t kMaxNameLength = 2046;
