#pragma once
// Which output the player uses. The environment variable SPINDECK_AUDIO may name one:
//   null       silence, paced in real time
//   pulse      libout123's "pulse" module (PulseAudio or PipeWire-pulse)
//   alsa       libout123's "alsa" module
//   wav:PATH   silence paced in real time, and every frame written to the WAV file PATH
//              ("wav:" alone is the null output)
// Unset or anything else: "pulse" when a server answers, else "alsa" when ALSA has a playback
// device, else the null output. A named output that cannot be opened also falls back to null.
#include <memory>
#include <string>

#include "platform/mediaplayer/audio_sink.h"

namespace platform {

struct AudioOutputChoice {
  enum class Kind { kAutomatic, kNull, kPulse, kAlsa, kWav };
  Kind kind = Kind::kAutomatic;
  std::string wavPath;  // native path, for kWav
};

// Reads a value of SPINDECK_AUDIO; null means the variable is unset.
AudioOutputChoice ParseAudioOutputChoice(const char* value);

// Reads SPINDECK_AUDIO now.
AudioOutputChoice AudioOutputChoiceFromEnvironment();

// Opens the chosen output; never null. May wait up to about half a second for a sound server.
std::unique_ptr<AudioSink> OpenAudioOutput(const AudioOutputChoice& choice);

}  // namespace platform
