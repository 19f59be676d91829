#pragma once
// One song file being decoded into interleaved stereo 32-bit float frames at the file's own
// sample rate, whatever its format: mono is spread to both channels, and of more than two
// channels the first two (front left and right) are kept.
#include <cstddef>
#include <cstdint>

namespace platform {

class SongDecoder {
 public:
  static constexpr int kChannels = 2;
  // After this many failed reads in a row the rest of the file is taken as unplayable.
  static constexpr int kMaxConsecutiveErrors = 16;

  virtual ~SongDecoder() = default;

  // Frames per second of what Read gives now; a chained stream may change it between links.
  virtual long sampleRate() const = 0;
  // Length in frames (samples per channel). Exact when lengthExact() says so; otherwise an
  // estimate (0 when none could be made) that a scan of the whole file makes exact.
  virtual std::int64_t totalFrames() const = 0;
  virtual bool lengthExact() const = 0;

  // Decodes up to `maxFrames` frames into `out` (room for maxFrames * kChannels floats).
  // Returns the frames written; 0 means the end of the song. Damaged parts are skipped.
  virtual std::size_t Read(float* out, std::size_t maxFrames) = 0;

  // Moves to the frame `frame`, sample-accurately. Beyond the song's end Read gives the end.
  virtual bool Seek(std::int64_t frame) = 0;
};

}  // namespace platform
