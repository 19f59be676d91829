#pragma once
// How the stream sounds and how the station presents itself to the Icecast server (which shows
// the name, genre, description and address in its directory and status pages).
#include <string>

namespace platform {

enum class StreamFormat {
  kMp3,   // MP3 by LAME, at a constant bit rate
  kOpus,  // Ogg Opus; titles travel inside the stream, as its comments
};

struct StreamOptions {
  StreamFormat format = StreamFormat::kMp3;
  // The bit rate in kbit/s; 0 is the format's own default (128 for MP3, 96 for Opus).
  int kilobitsPerSecond = 0;
  int quality = 2;  // LAME's, 0 (best, slowest) to 9; 2 is its "near-best"
  // The stream's own level in decibels: the music at full level (whatever the local volume)
  // times this.
  double gainDb = 0.0;
  // The station's headers (UTF-8); empty ones are not sent.
  std::string name = "spin.deck";
  std::string genre;
  std::string description;
  std::string url;
  bool listed = false;  // listed in public directories
};

// The bit rate the stream is encoded at, in kbit/s.
inline int KilobitsPerSecondOf(const StreamOptions& options) {
  if (options.kilobitsPerSecond > 0) return options.kilobitsPerSecond;
  return options.format == StreamFormat::kOpus ? 96 : 128;
}

}  // namespace platform
