#pragma once
// WAV files (RIFF, RF64 and Wave64; integer PCM of any width, float, and the compressed forms
// libsndfile reads), decoded by libsndfile. The length is the data chunk's, exact.
#include "platform/mediaplayer/decoders/decoder_plugin.h"

namespace platform {

const DecoderPlugin& WavPlugin();

}  // namespace platform
