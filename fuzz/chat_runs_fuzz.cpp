// Feeds arbitrary bytes, as a chat line's HTML from another person, to the client window's
// converter: it must end, and give runs that hold text, differ in style from their
// neighbours, and never hold more text than the line itself.
#include <cstddef>
#include <cstdint>
#include <string>

#include "aolsim/window/chat_runs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string html(reinterpret_cast<const char*>(data), size);
  const auto runs = aolsim::window::ChatRuns(html);
  std::size_t total = 0;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (runs[i].text.empty()) __builtin_trap();
    if (i > 0 && runs[i].style == runs[i - 1].style) __builtin_trap();
    if (runs[i].style.face.size() > size) __builtin_trap();
    total += runs[i].text.size();
  }
  if (total > size) __builtin_trap();
  return 0;
}
