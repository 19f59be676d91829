#include "platform/mediaplayer/decoders/wav_decoder.h"

#include <sndfile.h>

#include <cstring>
#include <vector>

namespace platform {
namespace {

struct SndfileRelease {
  void operator()(SNDFILE* file) const { sf_close(file); }
};

class WavDecoder : public SongDecoder {
 public:
  static std::unique_ptr<SongDecoder> Open(const std::string& nativePath) {
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndfileRelease> file(sf_open(nativePath.c_str(), SFM_READ, &info));
    if (!file) return nullptr;
    const int major = info.format & SF_FORMAT_TYPEMASK;
    if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX && major != SF_FORMAT_RF64 &&
        major != SF_FORMAT_W64) {
      return nullptr;
    }
    if (info.samplerate <= 0 || info.channels <= 0 || info.frames <= 0) return nullptr;
    auto song = std::make_unique<WavDecoder>();
    song->file_ = std::move(file);
    song->sampleRate_ = info.samplerate;
    song->channels_ = info.channels;
    song->totalFrames_ = info.frames;
    return song;
  }

  long sampleRate() const override { return sampleRate_; }
  std::int64_t totalFrames() const override { return totalFrames_; }
  bool lengthExact() const override { return true; }

  std::size_t Read(float* out, std::size_t maxFrames) override {
    if (atEnd_) return 0;
    if (channels_ == kChannels) {
      const sf_count_t frames =
          sf_readf_float(file_.get(), out, static_cast<sf_count_t>(maxFrames));
      return frames > 0 ? static_cast<std::size_t>(frames) : 0;
    }
    buffer_.resize(maxFrames * static_cast<std::size_t>(channels_));
    const sf_count_t got =
        sf_readf_float(file_.get(), buffer_.data(), static_cast<sf_count_t>(maxFrames));
    if (got <= 0) return 0;
    const std::size_t frames = static_cast<std::size_t>(got);
    const std::size_t stride = static_cast<std::size_t>(channels_);
    const std::size_t rightOffset = channels_ > 1 ? 1 : 0;
    for (std::size_t i = 0; i < frames; ++i) {
      out[2 * i] = buffer_[i * stride];
      out[2 * i + 1] = buffer_[i * stride + rightOffset];
    }
    return frames;
  }

  bool Seek(std::int64_t frame) override {
    if (frame < 0) frame = 0;
    atEnd_ = frame >= totalFrames_ || sf_seek(file_.get(), frame, SEEK_SET) < 0;
    return !atEnd_;
  }

 private:
  std::unique_ptr<SNDFILE, SndfileRelease> file_;
  std::vector<float> buffer_;  // interleaved frames of a file that is not stereo
  bool atEnd_ = false;
  long sampleRate_ = 0;
  int channels_ = 0;
  std::int64_t totalFrames_ = 0;
};

bool ProbeWav(std::span<const unsigned char> head) {
  if (head.size() < 12) return false;
  const bool riff = std::memcmp(head.data(), "RIFF", 4) == 0 ||
                    std::memcmp(head.data(), "RF64", 4) == 0 ||
                    std::memcmp(head.data(), "BW64", 4) == 0;
  if (riff) return std::memcmp(head.data() + 8, "WAVE", 4) == 0;
  // Wave64 starts with the GUID of its "riff" chunk.
  return head.size() >= 16 && std::memcmp(head.data(), "riff\x2E\x91\xCF\x11", 8) == 0;
}

}  // namespace

const DecoderPlugin& WavPlugin() {
  static const DecoderPlugin plugin{"wav", {".wav"}, ProbeWav, WavDecoder::Open, nullptr};
  return plugin;
}

}  // namespace platform
