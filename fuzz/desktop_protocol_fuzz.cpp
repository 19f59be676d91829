// Feeds arbitrary bytes to the desktop protocol's frame splitter and both decoders, and
// checks that whatever decodes encodes back to the same payload.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/win32/desktop_protocol.h"

using namespace win32::protocol;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (auto request = DecodeRequest(bytes)) {
    if (EncodeRequest(*request).substr(4) != bytes) __builtin_trap();
  }
  if (auto reply = DecodeReply(bytes)) {
    if (EncodeReply(*reply).substr(4) != bytes) __builtin_trap();
  }
  std::string buffer = bytes;
  bool bad = false;
  while (auto payload = TakeFrame(buffer, bad)) {
    DecodeRequest(*payload);
    DecodeReply(*payload);
  }
  return 0;
}
