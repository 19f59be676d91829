#pragma once
// Ogg Vorbis files, chained streams included, decoded by libvorbisfile. The length is the last
// granule position of each link, summed: exact; seeks land on the very sample.
#include <string_view>

#include "platform/mediaplayer/decoders/decoder_plugin.h"

namespace platform {

const DecoderPlugin& VorbisPlugin();

// True when the first Ogg page of `head` begins a stream whose first packet starts with
// `packetStart` (the codec's identification header).
bool OggStreamStartsWith(std::span<const unsigned char> head, std::string_view packetStart);

}  // namespace platform
