#include "platform/volume/volume_control.h"

#include <algorithm>

#include "platform/volume/alsa_master_volume.h"
#include "platform/volume/pulse_sink_volume.h"

namespace platform {

void VolumeControl::setVolume(int percent) {
  volume_ = std::clamp(percent, 0, 100);
  if (SetPulseDefaultSinkVolume(volume_, pulseTimeout_)) {
    appliedTo_ = AppliedTo::kPulseDefaultSink;
  } else if (SetAlsaMasterVolume(volume_)) {
    appliedTo_ = AppliedTo::kAlsaMaster;
  } else {
    appliedTo_ = AppliedTo::kNothing;
  }
}

}  // namespace platform
