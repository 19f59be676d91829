#include "platform/mediaplayer/decoders/vorbis_decoder.h"

#include <vorbis/vorbisfile.h>

#include <cstring>

namespace platform {
namespace {

// Reads in a row that give a hole or an error before the rest of the file is taken as
// unplayable.
constexpr std::size_t kOggPageHeaderBytes = 27;

class VorbisDecoder : public SongDecoder {
 public:
  static std::unique_ptr<SongDecoder> Open(const std::string& nativePath) {
    auto song = std::make_unique<VorbisDecoder>();
    // On failure ov_fopen closes the file itself and leaves nothing to clear.
    if (ov_fopen(nativePath.c_str(), &song->file_) != 0) return nullptr;
    song->open_ = true;
    const vorbis_info* info = ov_info(&song->file_, 0);
    const ogg_int64_t total = ov_pcm_total(&song->file_, -1);
    if (info == nullptr || info->rate <= 0 || info->channels <= 0 || total <= 0) return nullptr;
    song->sampleRate_ = info->rate;
    song->totalFrames_ = total;
    return song;
  }

  ~VorbisDecoder() override {
    if (open_) ov_clear(&file_);
  }

  long sampleRate() const override { return sampleRate_; }
  std::int64_t totalFrames() const override { return totalFrames_; }
  bool lengthExact() const override { return true; }

  std::size_t Read(float* out, std::size_t maxFrames) override {
    if (atEnd_) return 0;
    int errors = 0;
    while (true) {
      float** channels = nullptr;
      int link = 0;
      long frames = ov_read_float(&file_, &channels, static_cast<int>(maxFrames), &link);
      if (frames == 0 && position_ < totalFrames_) {
        // libvorbisfile may pass over a short link of a chained stream when it reads on from
        // the link before (it reports the end there); a seek to where the reading stopped
        // finds the link.
        if (ov_pcm_seek(&file_, position_) != 0) return 0;
        frames = ov_read_float(&file_, &channels, static_cast<int>(maxFrames), &link);
      }
      if (frames == 0) return 0;
      if (frames < 0) {
        if (++errors >= SongDecoder::kMaxConsecutiveErrors) return 0;
        continue;
      }
      const vorbis_info* info = ov_info(&file_, link);
      if (info == nullptr || info->channels <= 0) return 0;
      sampleRate_ = info->rate;
      const float* left = channels[0];
      const float* right = channels[info->channels > 1 ? 1 : 0];
      for (long i = 0; i < frames; ++i) {
        out[2 * i] = left[i];
        out[2 * i + 1] = right[i];
      }
      position_ += frames;
      return static_cast<std::size_t>(frames);
    }
  }

  bool Seek(std::int64_t frame) override {
    if (frame < 0) frame = 0;
    atEnd_ = frame >= totalFrames_ || ov_pcm_seek(&file_, frame) != 0;
    position_ = frame;
    return !atEnd_;
  }

 private:
  OggVorbis_File file_{};
  bool open_ = false;
  bool atEnd_ = false;
  long sampleRate_ = 0;
  std::int64_t totalFrames_ = 0;
  std::int64_t position_ = 0;  // the next frame Read gives
};

bool ProbeVorbis(std::span<const unsigned char> head) {
  return OggStreamStartsWith(head, std::string_view("\x01vorbis", 7));
}

}  // namespace

bool OggStreamStartsWith(std::span<const unsigned char> head, std::string_view packetStart) {
  if (head.size() < kOggPageHeaderBytes || std::memcmp(head.data(), "OggS", 4) != 0) {
    return false;
  }
  const std::size_t packet = kOggPageHeaderBytes + head[kOggPageHeaderBytes - 1];
  return head.size() >= packet + packetStart.size() &&
         std::memcmp(head.data() + packet, packetStart.data(), packetStart.size()) == 0;
}

const DecoderPlugin& VorbisPlugin() {
  static const DecoderPlugin plugin{
      "vorbis", {".ogg", ".oga"}, ProbeVorbis, VorbisDecoder::Open, nullptr};
  return plugin;
}

}  // namespace platform
