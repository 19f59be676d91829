#pragma once
// What the player knows of one format: the file name endings it claims, a probe of the file's
// first bytes, how to open a decoder for it, and how to find its exact length when opening
// gives only an estimate.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/mediaplayer/decoders/song_decoder.h"

namespace platform {

struct DecoderPlugin {
  const char* name;
  std::vector<std::string> suffixes;
  // True when the bytes (the start of the file, after any ID3v2 tag) are this format's.
  bool (*probe)(std::span<const unsigned char> head);
  // Null when the file cannot be played. Reads only the file's start and what its format
  // needs to know the length (headers, the last page of an Ogg stream).
  std::unique_ptr<SongDecoder> (*open)(const std::string& nativePath);
  // The exact length in frames, for a decoder whose length is an estimate. `cancelled` is
  // asked before every read, and a cancelled scan gives nothing. Null: the scan decodes the
  // whole file with a decoder of its own.
  std::optional<std::int64_t> (*scanLength)(const std::string& nativePath,
                                            const std::function<bool()>& cancelled);
};

}  // namespace platform
