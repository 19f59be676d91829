#include "platform/mediaplayer/mp3_decoder.h"

#include <mpg123.h>

#include <mutex>

namespace platform {
namespace {

// libmpg123 before 1.27 needed a global initialisation; calling it once is harmless later.
void InitialiseOnce() {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
}

// After this many failed reads in a row the rest of the file is taken as unplayable.
constexpr int kMaxConsecutiveErrors = 16;

}  // namespace

void Mp3Decoder::HandleRelease::operator()(mpg123_handle_struct* handle) const {
  mpg123_close(handle);
  mpg123_delete(handle);
}

Mp3Decoder::~Mp3Decoder() = default;

std::unique_ptr<Mp3Decoder> Mp3Decoder::Open(const std::string& nativePath) {
  InitialiseOnce();
  if (nativePath.empty()) return nullptr;
  auto decoder = std::make_unique<Mp3Decoder>(Key{});
  int error = MPG123_OK;
  decoder->handle_.reset(mpg123_new(nullptr, &error));
  mpg123_handle* mh = decoder->handle_.get();
  if (mh == nullptr) return nullptr;
  mpg123_param2(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);

  // Only stereo float output, at any rate: libmpg123 then spreads mono to both channels.
  mpg123_format_none(mh);
  const long* rates = nullptr;
  std::size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (std::size_t i = 0; i < rateCount; ++i) {
    mpg123_format(mh, rates[i], MPG123_STEREO, MPG123_ENC_FLOAT_32);
  }

  if (mpg123_open(mh, nativePath.c_str()) != MPG123_OK) return nullptr;
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
      channels != kChannels || encoding != MPG123_ENC_FLOAT_32) {
    return nullptr;
  }
  // Past the first frame, damage of any length is skipped: the decoder searches on for the next
  // good frame. (The first frame must lie within libmpg123's usual limit, which keeps files
  // that are not MPEG audio at all from being taken for one.)
  mpg123_param2(mh, MPG123_RESYNC_LIMIT, -1, 0.0);
  // The scan counts the frames really present, so the length is exact without an Info frame
  // and a truncated file reports what it still holds.
  if (mpg123_scan(mh) != MPG123_OK) return nullptr;
  const off_t length = mpg123_length(mh);
  if (length <= 0) return nullptr;
  if (mpg123_seek(mh, 0, SEEK_SET) < 0) return nullptr;

  decoder->sampleRate_ = rate;
  decoder->totalFrames_ = static_cast<std::int64_t>(length);
  return decoder;
}

std::size_t Mp3Decoder::Read(float* out, std::size_t maxFrames) {
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
      if (++errors >= kMaxConsecutiveErrors) return frames;
    }
    if (frames > 0) return frames;
  }
}

bool Mp3Decoder::Seek(std::int64_t frame) {
  if (frame < 0) frame = 0;
  if (frame > totalFrames_) frame = totalFrames_;
  return mpg123_seek(handle_.get(), static_cast<off_t>(frame), SEEK_SET) >= 0;
}

}  // namespace platform
