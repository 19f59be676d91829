#pragma once
// Ogg Opus files, decoded by libopusfile at 48 kHz, as Opus always plays. The length is the
// last granule position less the pre-skip: exact; seeks land on the very sample.
#include "platform/mediaplayer/decoders/decoder_plugin.h"

namespace platform {

const DecoderPlugin& OpusPlugin();

}  // namespace platform
