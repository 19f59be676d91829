#pragma once
// One MP3 file decoded by libmpg123 into interleaved stereo 32-bit float frames at the file's own
// sample rate (mono files are spread to both channels).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/mediaplayer/decoders/decoder_plugin.h"
#include "platform/mediaplayer/decoders/song_decoder.h"
#include "platform/mediaplayer/mp3_handle.h"

namespace platform {

// MPEG audio: takes every file that no other format claims, and refuses it when no frame
// starts within libmpg123's usual resync limit. Its length is made exact by ScanMp3Length.
const DecoderPlugin& Mp3Plugin();

class Mp3Decoder : public SongDecoder {
 public:
  // Opens the file at the native (byte) path and decodes its first frames, reading only the
  // start of the file (and its last bytes, for a tag). Null when the file is missing, unreadable,
  // not MPEG audio, or holds no complete frame.
  static std::unique_ptr<Mp3Decoder> Open(const std::string& nativePath);

  ~Mp3Decoder() override;
  Mp3Decoder(const Mp3Decoder&) = delete;
  Mp3Decoder& operator=(const Mp3Decoder&) = delete;

  long sampleRate() const override { return sampleRate_; }
  // Length in frames (samples per channel), without the encoder's delay and padding: exact
  // when the stream has a Xing/Info/VBRI header that counts its frames, otherwise estimated
  // from the file's size and its first frames (ScanMp3Length gives the exact figure). 0 when
  // not even an estimate can be made.
  std::int64_t totalFrames() const override { return totalFrames_; }
  // The header's count may be wrong for a file that was cut or damaged: always scanned.
  bool lengthExact() const override { return false; }

  // Decodes up to `maxFrames` frames into `out` (room for maxFrames * kChannels floats).
  // Returns the frames written; 0 means the end of the song. Damaged frames are skipped.
  std::size_t Read(float* out, std::size_t maxFrames) override;

  // Moves to the frame `frame`, sample-accurately. Beyond the song's real end (which an
  // estimated length may promise) Read gives the end.
  bool Seek(std::int64_t frame) override;

 private:
  class Key {
    friend class Mp3Decoder;
    Key() = default;
  };

 public:
  explicit Mp3Decoder(Key) {}

 private:
  Mp3Handle handle_;
  bool atEnd_ = false;
  long sampleRate_ = 0;
  std::int64_t totalFrames_ = 0;
};

}  // namespace platform
