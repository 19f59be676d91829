#pragma once
// A silent output that takes audio in real time, for machines without sound: positions advance
// and songs end exactly as they would with a sound card. (libout123's "dummy" output swallows
// audio at once, so it cannot serve.)
#include "platform/mediaplayer/audio_sink.h"
#include "platform/mediaplayer/paced_clock.h"

namespace platform {

class NullSink : public AudioSink {
 public:
  std::string name() const override { return "null"; }
  long Start(long rate) override;
  bool Write(std::int16_t* samples, std::size_t frames) override;
  bool Drain(const std::function<bool()>& interrupted) override;
  void Pause() override { clock_.Pause(); }
  void Resume() override { clock_.Resume(); }
  void Discard() override { clock_.Discard(); }
  void Stop() override {}

 protected:
  PacedClock clock_;
};

}  // namespace platform
