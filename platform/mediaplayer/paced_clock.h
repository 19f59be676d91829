#pragma once
// Keeps a sink without a device in real time: written audio is taken as heard at the rate of
// the audio, so Write waits as a sound card would.
#include <chrono>
#include <cstdint>
#include <functional>

namespace platform {

class PacedClock {
 public:
  using Clock = std::chrono::steady_clock;

  // Begins counting from now at `rate` frames per second.
  void Start(long rate);
  // Waits until the audio written so far begins to be heard at its end, as a device with room
  // for one piece would, then counts `frames` more as written.
  void Advance(std::int64_t frames);
  // Waits until everything written has been heard; false when `interrupted` said so first.
  bool WaitUntilHeard(const std::function<bool()>& interrupted);
  // Stops the clock, and lets it run on from where it was.
  void Pause();
  void Resume();
  // Forgets audio written but not heard yet.
  void Discard();

 private:
  Clock::time_point HeardAt(std::int64_t frames) const;

  long rate_ = 0;
  Clock::time_point anchor_;  // when frame `anchorFrames_` is heard
  std::int64_t anchorFrames_ = 0;
  std::int64_t writtenFrames_ = 0;
  bool paused_ = false;
};

}  // namespace platform
