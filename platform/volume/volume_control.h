#pragma once
// The computer's own volume, 0 to 100: the default output of the sound server, or the sound
// card's "Master" control when no server runs.
#include <chrono>

namespace platform {

class VolumeControl {
 public:
  // Where the last setVolume took effect.
  enum class AppliedTo { kNothing, kPulseDefaultSink, kAlsaMaster };

  // `pulseTimeout` bounds how long one setVolume may wait for a sound server.
  explicit VolumeControl(std::chrono::milliseconds pulseTimeout = std::chrono::milliseconds(1000))
      : pulseTimeout_(pulseTimeout) {}

  // Sets the computer's volume to `percent`, limited to 0..100. Tries the PulseAudio (or
  // PipeWire-pulse) server's default sink, then the ALSA "Master" mixer; with neither, the value
  // is only kept. Never fails and never waits longer than the timeout given at construction.
  void setVolume(int percent);

  // The value last given to setVolume (after limiting), 100 before the first call.
  int volume() const { return volume_; }

  AppliedTo appliedTo() const { return appliedTo_; }

 private:
  std::chrono::milliseconds pulseTimeout_;
  int volume_ = 100;
  AppliedTo appliedTo_ = AppliedTo::kNothing;
};

}  // namespace platform
