#include "platform/mediaplayer/decoders/mp3_decoder.h"

#include <mpg123.h>

#include "platform/mediaplayer/mp3_length_scan.h"

namespace platform {
namespace {

// Frames read at the start: the first may be all encoder delay, and without a header that
// counts the frames, libmpg123 estimates the length from the mean size of the frames it read.
constexpr int kFirstFrames = 32;

// Reads the first frames; true when one of them decoded to audio.
bool ReadFirstFrames(mpg123_handle* mh) {
  bool audible = false;
  int errors = 0;
  for (int frame = 0; frame < kFirstFrames; ++frame) {
    off_t number = 0;
    unsigned char* audio = nullptr;
    std::size_t bytes = 0;
    const int result = mpg123_decode_frame(mh, &number, &audio, &bytes);
    if (result == MPG123_DONE) break;
    if (result == MPG123_OK || result == MPG123_NEW_FORMAT) {
      errors = 0;
      audible = audible || bytes > 0;
    } else if (++errors >= SongDecoder::kMaxConsecutiveErrors) {
      break;
    }
  }
  return audible;
}

bool ProbeAnything(std::span<const unsigned char>) {
  return true;
}

std::unique_ptr<SongDecoder> OpenMp3(const std::string& nativePath) {
  return Mp3Decoder::Open(nativePath);
}

}  // namespace

const DecoderPlugin& Mp3Plugin() {
  static const DecoderPlugin plugin{"mp3", {".mp3"}, ProbeAnything, OpenMp3, ScanMp3Length};
  return plugin;
}

Mp3Decoder::~Mp3Decoder() = default;

std::unique_ptr<Mp3Decoder> Mp3Decoder::Open(const std::string& nativePath) {
  if (nativePath.empty()) return nullptr;
  auto decoder = std::make_unique<Mp3Decoder>(Key{});
  decoder->handle_ = NewMp3Handle();
  mpg123_handle* mh = decoder->handle_.get();
  if (mh == nullptr) return nullptr;

  if (mpg123_open(mh, nativePath.c_str()) != MPG123_OK) return nullptr;
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
      channels != kChannels || encoding != MPG123_ENC_FLOAT_32) {
    return nullptr;
  }
  // The first frame must lie within libmpg123's usual resync limit, which keeps files that are
  // not MPEG audio at all from being taken for one, and it must decode.
  if (!ReadFirstFrames(mh)) return nullptr;
  // Past the first frame, damage of any length is skipped: the decoder searches on for the
  // next good frame.
  mpg123_param2(mh, MPG123_RESYNC_LIMIT, -1, 0.0);
  // The stream's own header gives the length; without one libmpg123 estimates it from the
  // file's size and the mean size of the frames read so far.
  const off_t length = mpg123_length(mh);
  if (mpg123_seek(mh, 0, SEEK_SET) < 0) return nullptr;

  decoder->sampleRate_ = rate;
  decoder->totalFrames_ = length > 0 ? static_cast<std::int64_t>(length) : 0;
  return decoder;
}

std::size_t Mp3Decoder::Read(float* out, std::size_t maxFrames) {
  if (atEnd_) return 0;
  mpg123_handle* mh = handle_.get();
  const std::size_t frameBytes = sizeof(float) * kChannels;
  int errors = 0;
  while (true) {
    std::size_t done = 0;
    const int result = mpg123_read(mh, out, maxFrames * frameBytes, &done);
    const std::size_t frames = done / frameBytes;
    if (result == MPG123_NEW_FORMAT) {
      long rate = 0;
      int channels = 0;
      int encoding = 0;
      if (mpg123_getformat(mh, &rate, &channels, &encoding) == MPG123_OK && rate > 0) {
        sampleRate_ = rate;
      }
    } else if (result == MPG123_DONE) {
      return frames;
    } else if (result != MPG123_OK) {
      if (++errors >= SongDecoder::kMaxConsecutiveErrors) return frames;
    }
    if (frames > 0) return frames;
  }
}

bool Mp3Decoder::Seek(std::int64_t frame) {
  if (frame < 0) frame = 0;
  atEnd_ = mpg123_seek(handle_.get(), static_cast<off_t>(frame), SEEK_SET) < 0;
  return !atEnd_;
}

}  // namespace platform
