#pragma once
// Sets the "Master" playback control of the first ALSA sound card's mixer.

namespace platform {

// Sets every channel of "Master" to `percent` of its playback volume range. False when there is
// no sound card, or its mixer has no "Master" playback volume.
bool SetAlsaMasterVolume(int percent);

}  // namespace platform
