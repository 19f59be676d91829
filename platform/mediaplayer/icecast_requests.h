#pragma once
// Short requests to an Icecast server beside the source connection, each over a connection of
// its own to the first of the host's addresses that answers, and bounded in time (only the
// look-up of the host name may take longer: callers make them where that cannot hold the
// audio).
#include <chrono>
#include <optional>
#include <string>

#include "platform/mediaplayer/icecast_url.h"

namespace platform {

// Why the server refused a source's login, which libshout reports alike for every reason.
enum class Refusal {
  kPassword,     // the user or password is wrong
  kMountInUse,   // another source (or our own lost connection) holds the mount
  kServerLimit,  // the login is right and the mount free: a limit of the server's
};

// Tells the refusal apart with an authenticated request that changes nothing: the server's
// admin answers 401 only for a bad login, and otherwise says whether the mount has a source.
// Unlike a listener's look at the mount, a fallback mount cannot mislead it. Nothing when the
// server gives no answer within `bound`.
std::optional<Refusal> WhyRefused(const IcecastUrl& url, const std::string& password,
                                  std::chrono::milliseconds bound);

// Sets the mount's title ("song") from UTF-8 text, logging in as the source; true when the
// server took it within `bound`.
bool SendTitle(const IcecastUrl& url, const std::string& password, const std::string& utf8,
               std::chrono::milliseconds bound);

}  // namespace platform
