// Feeds arbitrary bytes to the transcript parser, the new-line finder and the HTML renderer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/scanchat/transcript.h"
#include "platform/text/html_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t half = bytes.size() / 2;
  const auto before = platform::ParseTranscript(bytes.substr(0, half));
  const auto now = platform::ParseTranscript(bytes.substr(half));
  const auto fresh = platform::NewLines(before, now);
  if (fresh && fresh->size() > now.size()) __builtin_trap();
  const std::string shown = platform::RenderHtml(bytes);
  if (shown.size() > bytes.size() || shown.find("  ") != std::string::npos) __builtin_trap();
  return 0;
}
