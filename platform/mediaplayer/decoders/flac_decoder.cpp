#include "platform/mediaplayer/decoders/flac_decoder.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {
namespace {

struct StreamDecoderRelease {
  void operator()(FLAC__StreamDecoder* decoder) const { FLAC__stream_decoder_delete(decoder); }
};
using StreamDecoderHandle = std::unique_ptr<FLAC__StreamDecoder, StreamDecoderRelease>;

// Calls of the decoder in a row that give no audio before the rest of the file is taken as
// unplayable (each call reads on through the file, so this only bounds a hopeless search).
constexpr int kMaxSilentCalls = 4096;

class FlacDecoder : public SongDecoder {
 public:
  static std::unique_ptr<SongDecoder> Open(const std::string& nativePath) {
    auto song = std::make_unique<FlacDecoder>();
    song->handle_.reset(FLAC__stream_decoder_new());
    FLAC__StreamDecoder* decoder = song->handle_.get();
    if (decoder == nullptr) return nullptr;
    FLAC__stream_decoder_set_md5_checking(decoder, false);
    if (FLAC__stream_decoder_init_file(decoder, nativePath.c_str(), WriteCallback, MetadataCallback,
                                       ErrorCallback,
                                       song.get()) != FLAC__STREAM_DECODER_INIT_STATUS_OK) {
      return nullptr;
    }
    if (!FLAC__stream_decoder_process_until_end_of_metadata(decoder) || song->sampleRate_ <= 0) {
      return nullptr;
    }
    // The first frame must decode: a file cut within its header blocks holds no audio.
    if (!song->FillPending() || song->pendingFrames() == 0) return nullptr;
    return song;
  }

  ~FlacDecoder() override {
    // Finishing first lets libFLAC close the file before the handle goes.
    if (handle_) FLAC__stream_decoder_finish(handle_.get());
  }

  long sampleRate() const override { return sampleRate_; }
  std::int64_t totalFrames() const override { return totalFrames_; }
  bool lengthExact() const override { return totalFrames_ > 0; }

  std::size_t Read(float* out, std::size_t maxFrames) override {
    if (pendingFrames() == 0 && !FillPending()) return 0;
    const std::size_t frames = std::min(maxFrames, pendingFrames());
    std::memcpy(out, pending_.data() + pendingStart_ * kChannels,
                frames * kChannels * sizeof(float));
    pendingStart_ += frames;
    return frames;
  }

  bool Seek(std::int64_t frame) override {
    ClearPending();
    if (frame < 0) frame = 0;
    FLAC__StreamDecoder* decoder = handle_.get();
    atEnd_ = false;
    if (totalFrames_ > 0 && frame >= totalFrames_) {
      atEnd_ = true;
      return false;
    }
    if (FLAC__stream_decoder_seek_absolute(decoder, static_cast<FLAC__uint64>(frame))) {
      return true;
    }
    // A failed seek leaves the decoder in need of a flush before it reads again.
    if (FLAC__stream_decoder_get_state(decoder) == FLAC__STREAM_DECODER_SEEK_ERROR) {
      FLAC__stream_decoder_flush(decoder);
    }
    ClearPending();
    atEnd_ = true;
    return false;
  }

 private:
  std::size_t pendingFrames() const { return pendingEnd_ - pendingStart_; }
  void ClearPending() { pendingStart_ = pendingEnd_ = 0; }

  // Decodes until some audio is pending; false at the end of the file or when it fails.
  bool FillPending() {
    if (atEnd_) return false;
    ClearPending();
    FLAC__StreamDecoder* decoder = handle_.get();
    for (int calls = 0; calls < kMaxSilentCalls; ++calls) {
      if (FLAC__stream_decoder_get_state(decoder) == FLAC__STREAM_DECODER_END_OF_STREAM) break;
      if (!FLAC__stream_decoder_process_single(decoder)) break;
      if (pendingEnd_ > 0) return true;
    }
    atEnd_ = true;
    return false;
  }

  static FLAC__StreamDecoderWriteStatus WriteCallback(const FLAC__StreamDecoder*,
                                                      const FLAC__Frame* frame,
                                                      const FLAC__int32* const buffer[],
                                                      void* client) {
    auto* self = static_cast<FlacDecoder*>(client);
    const unsigned channels = frame->header.channels;
    const unsigned bits = frame->header.bits_per_sample;
    if (channels == 0 || bits == 0 || bits > 32) return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    const float scale = 1.0f / static_cast<float>(1ULL << (bits - 1));
    const FLAC__int32* left = buffer[0];
    const FLAC__int32* right = buffer[channels > 1 ? 1 : 0];
    const std::size_t frames = frame->header.blocksize;
    // The buffer only grows, so that it is not cleared again for every block.
    const std::size_t end = self->pendingEnd_ + frames;
    if (self->pending_.size() < end * kChannels) self->pending_.resize(end * kChannels);
    float* out = self->pending_.data() + self->pendingEnd_ * kChannels;
    self->pendingEnd_ = end;
    for (std::size_t i = 0; i < frames; ++i) {
      out[2 * i] = static_cast<float>(left[i]) * scale;
      out[2 * i + 1] = static_cast<float>(right[i]) * scale;
    }
    if (frame->header.sample_rate > 0) self->sampleRate_ = frame->header.sample_rate;
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
  }

  static void MetadataCallback(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata,
                               void* client) {
    if (metadata->type != FLAC__METADATA_TYPE_STREAMINFO) return;
    auto* self = static_cast<FlacDecoder*>(client);
    const FLAC__StreamMetadata_StreamInfo& info = metadata->data.stream_info;
    self->sampleRate_ = static_cast<long>(info.sample_rate);
    self->totalFrames_ = static_cast<std::int64_t>(info.total_samples);
  }

  // Damaged frames are reported here and skipped by libFLAC, which searches on for the next.
  static void ErrorCallback(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*) {}

  StreamDecoderHandle handle_;
  // Decoded stereo frames; those from pendingStart_ to pendingEnd_ are not yet read.
  std::vector<float> pending_;
  std::size_t pendingStart_ = 0;
  std::size_t pendingEnd_ = 0;
  long sampleRate_ = 0;
  std::int64_t totalFrames_ = 0;
  bool atEnd_ = false;
};

bool ProbeFlac(std::span<const unsigned char> head) {
  return head.size() >= 4 && std::memcmp(head.data(), "fLaC", 4) == 0;
}

}  // namespace

const DecoderPlugin& FlacPlugin() {
  static const DecoderPlugin plugin{"flac", {".flac"}, ProbeFlac, FlacDecoder::Open, nullptr};
  return plugin;
}

}  // namespace platform
