#include "platform/text/zero_padded.h"

namespace platform {

std::string ZeroPadded(const std::string& digits, std::size_t width) {
  return digits.size() >= width ? digits : std::string(width - digits.size(), '0') + digits;
}

}  // namespace platform
