// Feeds arbitrary bytes as a stream address to the Icecast URL parser, and checks what it
// accepts: a host, a mount that begins with '/', a port in range, no blank or control byte,
// and that the listeners' address and the parts written out again parse to the same parts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/mediaplayer/icecast_url.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto url = platform::ParseIcecastUrl(text, error);
  if (!url) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  if (url->host.empty() || url->mount.empty() || url->mount.front() != '/') __builtin_trap();
  if (url->port < 1 || url->port > 65535) __builtin_trap();
  for (const std::string* part : {&url->user, &url->host, &url->mount}) {
    for (const char c : *part) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte <= ' ' || byte == 0x7F) __builtin_trap();
    }
  }
  const std::string listen = platform::ListenUrlOf(*url);
  if (listen.rfind(url->tls ? "https://" : "http://", 0) != 0) __builtin_trap();
  // A host that holds a bracket itself ("[[x]") is taken as it is and cannot be written out
  // again; the rest must read back the same.
  if (url->host.find_first_of("[]") != std::string::npos) return 0;
  const bool v6 = url->host.find(':') != std::string::npos;
  const std::string again = (url->tls ? "icecasts://" : "icecast://") + url->user + "@" +
                            (v6 ? "[" : "") + url->host + (v6 ? "]" : "") + ":" +
                            std::to_string(url->port) + url->mount;
  std::string againError;
  const auto reparsed = platform::ParseIcecastUrl(again, againError);
  if (!reparsed || reparsed->user != url->user || reparsed->host != url->host ||
      reparsed->port != url->port || reparsed->mount != url->mount || reparsed->tls != url->tls) {
    __builtin_trap();
  }
  return 0;
}
