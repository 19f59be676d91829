#pragma once
// FLAC files, decoded by libFLAC. The length is STREAMINFO's count of samples, exact; seeks
// land on the very sample.
#include "platform/mediaplayer/decoders/decoder_plugin.h"

namespace platform {

const DecoderPlugin& FlacPlugin();

}  // namespace platform
