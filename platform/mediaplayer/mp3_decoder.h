#pragma once
// One MP3 file decoded by libmpg123 into interleaved stereo 32-bit float frames at the file's own
// sample rate (mono files are spread to both channels).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct mpg123_handle_struct;

namespace platform {

class Mp3Decoder {
 public:
  static constexpr int kChannels = 2;

  // Opens and fully scans the file at the native (byte) path, so that the length is exact for
  // VBR files too. Null when the file is missing, unreadable, not MPEG audio, or holds no
  // complete frame.
  static std::unique_ptr<Mp3Decoder> Open(const std::string& nativePath);

  ~Mp3Decoder();
  Mp3Decoder(const Mp3Decoder&) = delete;
  Mp3Decoder& operator=(const Mp3Decoder&) = delete;

  long sampleRate() const { return sampleRate_; }
  // Length in frames (samples per channel), without the encoder's delay and padding.
  std::int64_t totalFrames() const { return totalFrames_; }
  double durationSeconds() const { return static_cast<double>(totalFrames_) / sampleRate_; }

  // Decodes up to `maxFrames` frames into `out` (room for maxFrames * kChannels floats).
  // Returns the frames written; 0 means the end of the song. Damaged frames are skipped.
  std::size_t Read(float* out, std::size_t maxFrames);

  // Moves to the frame `frame` (0..totalFrames), sample-accurately. False on failure.
  bool Seek(std::int64_t frame);

 private:
  struct HandleRelease {
    void operator()(mpg123_handle_struct* handle) const;
  };
  class Key {
    friend class Mp3Decoder;
    Key() = default;
  };

 public:
  explicit Mp3Decoder(Key) {}

 private:
  std::unique_ptr<mpg123_handle_struct, HandleRelease> handle_;
  long sampleRate_ = 0;
  std::int64_t totalFrames_ = 0;
};

}  // namespace platform
