#include "platform/mediaplayer/decoders/opus_decoder.h"

#include <opusfile.h>

#include "platform/mediaplayer/decoders/vorbis_decoder.h"

namespace platform {
namespace {

constexpr long kOpusRate = 48000;

struct OpusFileRelease {
  void operator()(OggOpusFile* file) const { op_free(file); }
};

class OpusDecoder : public SongDecoder {
 public:
  static std::unique_ptr<SongDecoder> Open(const std::string& nativePath) {
    int error = 0;
    std::unique_ptr<OggOpusFile, OpusFileRelease> file(op_open_file(nativePath.c_str(), &error));
    if (!file) return nullptr;
    const ogg_int64_t total = op_pcm_total(file.get(), -1);
    if (total <= 0) return nullptr;
    auto song = std::make_unique<OpusDecoder>();
    song->file_ = std::move(file);
    song->totalFrames_ = total;
    return song;
  }

  long sampleRate() const override { return kOpusRate; }
  std::int64_t totalFrames() const override { return totalFrames_; }
  bool lengthExact() const override { return true; }

  std::size_t Read(float* out, std::size_t maxFrames) override {
    if (atEnd_) return 0;
    int errors = 0;
    while (true) {
      const int frames =
          op_read_float_stereo(file_.get(), out, static_cast<int>(maxFrames * kChannels));
      if (frames >= 0) return static_cast<std::size_t>(frames);
      if (++errors >= SongDecoder::kMaxConsecutiveErrors) return 0;
    }
  }

  bool Seek(std::int64_t frame) override {
    if (frame < 0) frame = 0;
    atEnd_ = frame >= totalFrames_ || op_pcm_seek(file_.get(), frame) != 0;
    return !atEnd_;
  }

 private:
  std::unique_ptr<OggOpusFile, OpusFileRelease> file_;
  bool atEnd_ = false;
  std::int64_t totalFrames_ = 0;
};

bool ProbeOpus(std::span<const unsigned char> head) {
  return OggStreamStartsWith(head, "OpusHead");
}

}  // namespace

const DecoderPlugin& OpusPlugin() {
  static const DecoderPlugin plugin{"opus", {".opus"}, ProbeOpus, OpusDecoder::Open, nullptr};
  return plugin;
}

}  // namespace platform
