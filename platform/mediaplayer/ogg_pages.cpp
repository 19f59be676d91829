#include "platform/mediaplayer/ogg_pages.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace platform {
namespace {

constexpr std::size_t kPageHeaderBytes = 27;
constexpr unsigned char kBeginsStream = 0x02;
constexpr unsigned char kEndsStream = 0x04;

}  // namespace

void KeepOggStreamBoundaries(std::vector<unsigned char>& bytes) {
  std::size_t kept = 0;
  std::size_t at = 0;
  while (bytes.size() - at >= kPageHeaderBytes && std::memcmp(&bytes[at], "OggS", 4) == 0) {
    const std::size_t segments = bytes[at + 26];
    if (bytes.size() - at < kPageHeaderBytes + segments) break;
    std::size_t length = kPageHeaderBytes + segments;
    for (std::size_t i = 0; i < segments; ++i) length += bytes[at + kPageHeaderBytes + i];
    if (bytes.size() - at < length) break;
    const unsigned char flags = bytes[at + 5];
    std::uint64_t granule = 0;
    for (int i = 7; i >= 0; --i)
      granule = granule << 8 | bytes[at + 6 + static_cast<std::size_t>(i)];
    if ((flags & (kBeginsStream | kEndsStream)) != 0 || granule == 0) {
      std::copy_n(bytes.begin() + static_cast<long>(at), length,
                  bytes.begin() + static_cast<long>(kept));
      kept += length;
    }
    at += length;
  }
  bytes.resize(kept);
}

}  // namespace platform
