#pragma once
// The decoder for a song file, chosen by the file's content, never by its name: a FLAC file
// named ".mp3" is decoded as FLAC, and a text file named ".flac" is refused as one that is
// not MPEG audio would be.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/mediaplayer/decoders/decoder_plugin.h"

namespace platform {

// Every format the player decodes; MP3 last, as the one that takes what no other claims.
const std::vector<const DecoderPlugin*>& DecoderPlugins();

// Bytes taken by an ID3v2 tag at the start of `head` (header, body and footer); 0 when there
// is none.
std::size_t Id3v2TagSize(std::span<const unsigned char> head);

// The first plugin whose probe takes `head`, the file's first bytes after any ID3v2 tag.
const DecoderPlugin& ChooseDecoder(std::span<const unsigned char> head);

// Opens the file with the decoder its content asks for. Null when it cannot be played.
std::unique_ptr<SongDecoder> OpenSongDecoder(const std::string& nativePath);

// The exact length in frames of the file, by the scan of its format (see DecoderPlugin).
std::optional<std::int64_t> ScanSongLength(const std::string& nativePath,
                                           const std::function<bool()>& cancelled);

}  // namespace platform
