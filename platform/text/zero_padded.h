#pragma once
#include <string>

namespace platform {

// Digits with "0"s in front up to `width` characters: ZeroPadded("7", 3) is "007"; a text
// that is already as wide stays as it is.
std::string ZeroPadded(const std::string& digits, std::size_t width);

}  // namespace platform
