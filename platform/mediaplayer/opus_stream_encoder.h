#pragma once
// Ogg Opus for the stream, by libopusenc: 48 kHz out whatever rate comes in (libopusenc
// resamples), at the options' bit rate, with pages let out at least every 100 ms so that the
// stream flows. A title starts a new logical stream (a chained Ogg stream) whose comments carry
// it, which is how Ogg sources tell listeners and the server of a new title.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/mediaplayer/stream_encoder.h"

struct OggOpusEnc;

namespace platform {

class OpusStreamEncoder final : public StreamEncoder {
 public:
  static constexpr long kOutputRate = 48000;
  OpusStreamEncoder(long inputRate, const StreamOptions& options, const std::string& utf8Title);

  bool valid() const override { return encoder_ != nullptr; }
  long inputRate() const override { return inputRate_; }
  void Encode(std::span<const std::int16_t> interleaved, std::vector<unsigned char>& out) override;
  void Flush(std::vector<unsigned char>& out) override;
  bool carriesTitles() const override { return true; }
  void SetTitle(const std::string& utf8) override;
  // Keeps the pages that begin or end a logical stream and those before its first audio (its
  // headers); the audio pages go.
  void DropAudio(std::vector<unsigned char>& bytes) const override;

 private:
  static int WritePage(void* self, const unsigned char* page, std::int32_t length);
  static int Close(void* self);

  struct Closer {
    void operator()(OggOpusEnc* encoder) const;
  };
  std::unique_ptr<OggOpusEnc, Closer> encoder_;
  long inputRate_;
  // Where pages go while a call into libopusenc runs; null otherwise, when libopusenc has no
  // reason to write.
  std::vector<unsigned char>* out_ = nullptr;
  // A title set before the encoder was given audio since its last stream began; it goes out
  // with the next audio, so that titles set in a row start one stream.
  std::string pendingTitle_;
  bool titlePending_ = false;
};

}  // namespace platform
