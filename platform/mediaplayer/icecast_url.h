#pragma once
// Where the stream goes: an Icecast server's address, written as
//   icecast://USER@HOST[:PORT]/MOUNT      or, over TLS, icecasts://USER@HOST[:PORT]/MOUNT
// for example icecast://source@radio.example:8000/spindeck.mp3. USER is "source" when left
// out and PORT is 8000. The password never goes in the address (it would sit in a settings
// file that anyone may read): it comes from a password file of its own.
#include <optional>
#include <string>
#include <utility>

namespace platform {

struct IcecastUrl {
  IcecastUrl() = default;
  IcecastUrl(std::string user, std::string host, int port, std::string mount, bool tls = false,
             std::string caFile = {})
      : user(std::move(user)),
        host(std::move(host)),
        port(port),
        mount(std::move(mount)),
        tls(tls),
        caFile(std::move(caFile)) {}

  std::string user;
  std::string host;  // without brackets for an IPv6 address
  int port = 8000;
  std::string mount;  // begins with '/'
  bool tls = false;   // icecasts://: the connection and every request go over TLS
  // Certificate authorities (a PEM file) trusted beside the system's for the server's
  // certificate; none when empty.
  std::string caFile;
};

// The parts of `url`, or nothing with the reason in `error` (English, for the user).
std::optional<IcecastUrl> ParseIcecastUrl(const std::string& url, std::string& error);

// The address listeners open: http://HOST:PORT/MOUNT (https:// over TLS).
std::string ListenUrlOf(const IcecastUrl& url);

}  // namespace platform
