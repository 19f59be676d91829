#include "platform/mediaplayer/icecast_url.h"

#include <charconv>

namespace platform {
namespace {

constexpr std::string_view kScheme = "icecast://";
constexpr std::string_view kTlsScheme = "icecasts://";

bool Printable(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte == 0x7F) return false;
  }
  return true;
}

}  // namespace

std::optional<IcecastUrl> ParseIcecastUrl(const std::string& url, std::string& error) {
  const std::string_view text(url);
  const bool tls = text.substr(0, kTlsScheme.size()) == kTlsScheme;
  if (!tls && text.substr(0, kScheme.size()) != kScheme) {
    error = "the stream's URL must begin with icecast:// (or icecasts:// for TLS)";
    return std::nullopt;
  }
  if (!Printable(text)) {
    error = "the stream's URL holds a blank or a control character";
    return std::nullopt;
  }
  std::string_view rest = text.substr(tls ? kTlsScheme.size() : kScheme.size());
  const auto slash = rest.find('/');
  if (slash == std::string_view::npos || slash + 1 == rest.size()) {
    error = "the stream's URL names no mount point (as in icecast://source@host:8000/live.mp3)";
    return std::nullopt;
  }
  IcecastUrl result;
  result.tls = tls;
  result.mount = std::string(rest.substr(slash));
  std::string_view authority = rest.substr(0, slash);

  result.user = "source";
  if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
    const std::string_view user = authority.substr(0, at);
    if (user.find(':') != std::string_view::npos) {
      error = "the stream's URL holds a password; put it in the PASSWORDFILE instead";
      return std::nullopt;
    }
    if (!user.empty()) result.user = std::string(user);
    authority = authority.substr(at + 1);
  }

  std::string_view port;
  if (!authority.empty() && authority.front() == '[') {
    const auto close = authority.find(']');
    if (close == std::string_view::npos) {
      error = "the stream's URL has an unclosed [ in its host";
      return std::nullopt;
    }
    result.host = std::string(authority.substr(1, close - 1));
    const std::string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') {
        error = "the stream's URL has something after its host's ]";
        return std::nullopt;
      }
      port = after.substr(1);
    }
  } else if (const auto colon = authority.find(':'); colon != std::string_view::npos) {
    result.host = std::string(authority.substr(0, colon));
    port = authority.substr(colon + 1);
  } else {
    result.host = std::string(authority);
  }
  if (result.host.empty()) {
    error = "the stream's URL names no host";
    return std::nullopt;
  }
  if (authority.find(':') != std::string_view::npos && authority.front() != '[' &&
      port.find(':') != std::string_view::npos) {
    error = "the stream's URL has an IPv6 host without brackets";
    return std::nullopt;
  }
  if (!port.empty() || authority.back() == ':') {
    int value = 0;
    const auto [end, status] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (status != std::errc() || end != port.data() + port.size() || value < 1 || value > 65535) {
      error = "the stream's URL has a port that is not a number from 1 to 65535";
      return std::nullopt;
    }
    result.port = value;
  }
  return result;
}

std::string ListenUrlOf(const IcecastUrl& url) {
  const bool ipv6 = url.host.find(':') != std::string::npos;
  const std::string host = ipv6 ? "[" + url.host + "]" : url.host;
  return (url.tls ? "https://" : "http://") + host + ":" + std::to_string(url.port) + url.mount;
}

}  // namespace platform
