#include "src/core/load_counter.h"

#include <charconv>

namespace spindeck {

std::string NextLoadCount(const std::string& stored) {
  unsigned long long value = 0;
  const char* end = stored.data() + stored.size();
  const auto [ptr, ec] = std::from_chars(stored.data(), end, value);
  if (stored.empty() || ec != std::errc() || ptr != end || value == ~0ull) value = 0;
  return std::to_string(value + 1);
}

}  // namespace spindeck
