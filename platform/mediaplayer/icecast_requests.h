#pragma once
// Short requests to an Icecast server beside the source connection, each over a connection of
// its own and bounded in time (only the look-up of the host name may take longer), so that a
// server that stops answering cannot hold the stream's thread.
#include <chrono>
#include <optional>
#include <string>

#include "platform/mediaplayer/icecast_url.h"

namespace platform {

// Asks, as a listener would, whether the mount is on the air: true when the server answers
// 200 (a source is on it), false for any other answer; nothing when it gives none within
// `bound`. libshout reports a refused password and a mount already taken alike; this tells
// them apart.
std::optional<bool> MountHasSource(const IcecastUrl& url, std::chrono::milliseconds bound);

// Sets the mount's title ("song") from UTF-8 text, logging in as the source; true when the
// server took it within `bound`.
bool SendTitle(const IcecastUrl& url, const std::string& password, const std::string& utf8,
               std::chrono::milliseconds bound);

}  // namespace platform
