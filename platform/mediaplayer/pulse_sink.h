#pragma once
// Audio into a PulseAudio (or PipeWire-pulse) server's default sink, driven from the playback
// thread itself: the connection's main loop runs only inside this sink's calls, so no second
// thread wakes for every piece of audio. The server asks for more audio only every few tens of
// milliseconds and gets it in one piece, which keeps the wake-ups of a playing song few. Every wait
// is bounded: a server that stops answering makes Write fail (the player then plays on in silence).
#include <chrono>
#include <memory>
#include <vector>

#include "platform/mediaplayer/audio_sink.h"
#include "platform/volume/pulse_handles.h"

namespace platform {

class PulseSink : public AudioSink {
 public:
  // Connects to the server named by the usual client configuration, never starting one on
  // demand. Null when no server answers within `timeout`.
  static std::unique_ptr<PulseSink> Open(std::chrono::milliseconds timeout);

  ~PulseSink() override;

  std::string name() const override { return "pulse"; }
  long Start(long rate) override;
  bool Write(std::int16_t* samples, std::size_t frames) override;
  bool Drain(const std::function<bool()>& interrupted) override;
  void Pause() override;
  void Resume() override;
  void Discard() override;
  void Stop() override;

 private:
  using Clock = std::chrono::steady_clock;
  class Key {
    friend class PulseSink;
    Key() = default;
  };

 public:
  explicit PulseSink(Key) {}

 private:
  // One turn of the main loop that waits at most `wait` (0: only what is ready); false when
  // the loop or the connection failed.
  bool Turn(std::chrono::milliseconds wait);
  // Sends what is queued without waiting.
  void Flush() { Turn(std::chrono::milliseconds(0)); }
  bool StreamGood() const;
  // Sends a request whose answer is not awaited (the server keeps the order of requests).
  void Send(pa_operation* operation);
  // Writes the audio kept back into the stream in one piece; false when that failed.
  bool HandOver();

  PulseMainloop mainloop_;
  PulseContext context_;
  PulseStream stream_;
  // Audio written but kept back until the stream's buffer can take no more (or a command
  // comes), so that the server gets it in one piece and is woken once for it.
  std::vector<unsigned char> unsent_;
  long rate_ = 0;
};

}  // namespace platform
