#pragma once
// Where the stream goes: an Icecast server's address, written as
//   icecast://USER@HOST[:PORT]/MOUNT
// for example icecast://source@radio.example:8000/spindeck.mp3. USER is "source" when left
// out and PORT is 8000. The password never goes in the address (it would sit in a settings
// file that anyone may read): it comes from a password file of its own.
#include <optional>
#include <string>

namespace platform {

struct IcecastUrl {
  std::string user;
  std::string host;  // without brackets for an IPv6 address
  int port = 8000;
  std::string mount;  // begins with '/'
};

// The parts of `url`, or nothing with the reason in `error` (English, for the user).
std::optional<IcecastUrl> ParseIcecastUrl(const std::string& url, std::string& error);

// The address listeners open: http://HOST:PORT/MOUNT.
std::string ListenUrlOf(const IcecastUrl& url);

}  // namespace platform
