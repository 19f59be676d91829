#pragma once
// How the stream sounds and how the station presents itself to the Icecast server (which shows
// the name, genre, description and address in its directory and status pages).
#include <string>

namespace platform {

struct StreamOptions {
  int kilobitsPerSecond = 128;  // constant bit rate
  int quality = 2;              // LAME's, 0 (best, slowest) to 9; 2 is its "near-best"
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

}  // namespace platform
