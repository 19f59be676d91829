#pragma once
// Asks an Icecast server, as a listener would, whether a mount is on the air. libshout reports
// a refused password and a mount already taken by another source alike; this tells them apart.
#include <chrono>
#include <optional>

#include "platform/mediaplayer/icecast_url.h"

namespace platform {

// True when the server answers a listener's request for the mount with 200 (a source is on
// it), false for any other answer; nothing when it gives none within `bound`.
std::optional<bool> MountHasSource(const IcecastUrl& url, std::chrono::milliseconds bound);

}  // namespace platform
