#pragma once
// Where the player's audio goes: interleaved stereo signed 16-bit frames. Every sink blocks in
// Write for at most about the length of the audio handed to it, so the playback thread keeps
// real time and never spins.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

class AudioSink {
 public:
  static constexpr int kChannels = 2;
  static constexpr std::size_t kBytesPerFrame = kChannels * sizeof(std::int16_t);

  virtual ~AudioSink() = default;

  // A short name for diagnostics: "pulse", "alsa", "null" or "wav".
  virtual std::string name() const = 0;

  // Prepares for audio at `rate` frames per second. Returns the rate that the sink will really
  // take (a file keeps the rate it began with), or 0 when it cannot play at all.
  virtual long Start(long rate) = 0;

  // Plays `frames` frames, which the sink may overwrite; false when the device failed.
  virtual bool Write(std::int16_t* samples, std::size_t frames) = 0;

  // Waits until everything written has been heard. Returns early, false, as soon as
  // `interrupted` says so; it is asked at least every few tens of milliseconds.
  virtual bool Drain(const std::function<bool()>& interrupted) = 0;

  // Holds playback, and takes it up again, keeping what was written.
  virtual void Pause() = 0;
  virtual void Resume() = 0;

  // Forgets written audio not yet heard, for a jump to another place or song.
  virtual void Discard() = 0;

  // Ends playback at once; Start begins again.
  virtual void Stop() = 0;
};

}  // namespace platform
