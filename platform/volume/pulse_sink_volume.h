#pragma once
// Sets the volume of the PulseAudio server's default output (its default sink).
#include <chrono>

namespace platform {

// Sets every channel of the default sink to `percent` of the normal volume, the percent that
// pactl shows (PA_VOLUME_NORM * percent / 100). False when no server answered, or it did not
// confirm the change, within `timeout`.
bool SetPulseDefaultSinkVolume(int percent, std::chrono::milliseconds timeout);

}  // namespace platform
