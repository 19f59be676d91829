#include "tests/support/ogg_opus_feed.h"

#include <opus.h>

#include <cstring>

namespace spindeck::testing {
namespace {

void DestroyDecoder(OpusDecoder* decoder) {
  if (decoder != nullptr) opus_decoder_destroy(decoder);
}

std::uint32_t LittleEndian32(const unsigned char* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
         static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// The TITLE of an OpusTags packet; empty when it has none or the packet is cut short.
std::string TitleIn(const unsigned char* data, long length) {
  const auto size = static_cast<std::size_t>(length);
  std::size_t at = 8;
  if (size < at + 4) return {};
  at += 4 + LittleEndian32(data + at);  // the vendor string
  if (size < at + 4) return {};
  std::uint32_t count = LittleEndian32(data + at);
  at += 4;
  std::string title;
  while (count-- > 0 && size >= at + 4) {
    const std::uint32_t entry = LittleEndian32(data + at);
    at += 4;
    if (size - at < entry) break;
    const std::string comment(reinterpret_cast<const char*>(data + at), entry);
    at += entry;
    if (comment.size() >= 6 && strncasecmp(comment.c_str(), "TITLE=", 6) == 0)
      title = comment.substr(6);
  }
  return title;
}

}  // namespace

OggOpusFeed::OggOpusFeed() : decoder_(nullptr, DestroyDecoder) {
  ogg_sync_init(&sync_);
  int error = 0;
  // Mixed down to one channel by the decoder itself.
  decoder_.reset(opus_decoder_create(kRate, 1, &error));
}

OggOpusFeed::~OggOpusFeed() {
  if (streamOpen_) ogg_stream_clear(&stream_);
  ogg_sync_clear(&sync_);
}

bool OggOpusFeed::Feed(const char* bytes, long length, std::vector<float>& samples) {
  if (!decoder_) return false;
  if (length > 0) {
    char* buffer = ogg_sync_buffer(&sync_, length);
    std::memcpy(buffer, bytes, static_cast<std::size_t>(length));
    ogg_sync_wrote(&sync_, length);
  }
  ogg_page page;
  while (ogg_sync_pageout(&sync_, &page) == 1) {
    if (ogg_page_bos(&page) != 0) {
      // A new logical stream (the next of a chain): its own headers come first.
      if (streamOpen_) ogg_stream_clear(&stream_);
      ogg_stream_init(&stream_, ogg_page_serialno(&page));
      streamOpen_ = true;
      headersLeft_ = 2;
    }
    if (!streamOpen_ || ogg_page_serialno(&page) != stream_.serialno) continue;
    ogg_stream_pagein(&stream_, &page);
    ogg_packet packet;
    int got = 0;
    // -1 is a hole (a lost page): the decoder goes on with the next packet.
    while ((got = ogg_stream_packetout(&stream_, &packet)) != 0) {
      if (got == 1 && !Packet(packet, samples)) return false;
    }
  }
  return true;
}

bool OggOpusFeed::Packet(const ogg_packet& packet, std::vector<float>& samples) {
  if (headersLeft_ == 2) {
    --headersLeft_;
    return packet.bytes >= 8 && std::memcmp(packet.packet, "OpusHead", 8) == 0;
  }
  if (headersLeft_ == 1) {
    --headersLeft_;
    if (packet.bytes < 8 || std::memcmp(packet.packet, "OpusTags", 8) != 0) return false;
    title_ = TitleIn(packet.packet, packet.bytes);
    return true;
  }
  float block[5760];  // 120 ms, the longest packet
  const int frames = opus_decode_float(decoder_.get(), packet.packet,
                                       static_cast<opus_int32>(packet.bytes), block, 5760, 0);
  if (frames < 0) return false;
  samples.insert(samples.end(), block, block + frames);
  return true;
}

}  // namespace spindeck::testing
