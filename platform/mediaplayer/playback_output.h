#pragma once
// The output as the playback thread sees it: opened on first use and started at the rate of
// the song. When the device fails (a sound server that went away), the paced silent output
// stands in, so the song still ends on time; the fall is written once to standard error, and
// the chosen output is opened again at the next song and every few seconds while playing.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/mediaplayer/audio_output_choice.h"

namespace platform {

class PlaybackOutput {
 public:
  explicit PlaybackOutput(AudioOutputChoice choice);
  ~PlaybackOutput();
  PlaybackOutput(const PlaybackOutput&) = delete;
  PlaybackOutput& operator=(const PlaybackOutput&) = delete;

  // Opens the output if need be, or opens the chosen one again when the silent output stands
  // in for it and it is time to try (at once after NewSong).
  void Open();
  // A new song begins: an output that failed is tried again at once.
  void NewSong() { retryNow_ = true; }

  // Starts (or restarts) the output for a song at `songRate`; returns the rate it takes.
  long Prepare(long songRate);
  void Write(std::vector<std::int16_t>& pcm);
  bool Drain(const std::function<bool()>& interrupted);
  void Pause();
  void Discard();
  void Stop();

  // The name of the output in use when it changed since the last call.
  std::optional<std::string> TakeNameChange();

 private:
  // Puts the silent output in place of the failed one.
  void FallSilent();

  const AudioOutputChoice choice_;
  std::unique_ptr<AudioSink> sink_;
  bool running_ = false;
  bool paused_ = false;
  long requestedRate_ = 0;
  long rate_ = 0;
  // The silent output stands in for a failed sound server or card, to be tried again.
  bool standIn_ = false;
  // The fall to silence has been written to standard error; cleared when an output plays.
  bool fallReported_ = false;
  bool retryNow_ = false;
  std::chrono::steady_clock::time_point lastTry_;
  bool nameChanged_ = false;
};

}  // namespace platform
