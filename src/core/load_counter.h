#pragma once
#include <string>

namespace spindeck {

// The load counter after one more start: the stored value plus one, where an empty value or
// one that is not a decimal number counts as "0".
std::string NextLoadCount(const std::string& stored);

}  // namespace spindeck
