#pragma once
// The player's own thread: it decodes the loaded song, changes its rate, applies the volume and
// hands the audio to the output. The owner (the program's thread) only sets what it wants and
// reads the published state; no lock is held while decoding or writing audio.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/mediaplayer/audio_output_choice.h"
#include "platform/mediaplayer/mp3_decoder.h"

namespace platform {

class PlaybackEngine {
 public:
  enum State : int { kStopped = 0, kPaused = 1, kPlaying = 2 };

  // Called on the playback thread when the song with the given generation has been heard to
  // its end. It must only hand the news over to the owner's thread.
  using EndHandler = std::function<void(std::uint64_t generation)>;

  PlaybackEngine(AudioOutputChoice output, EndHandler onEnd);
  // Stops the thread; it returns within about a tenth of a second.
  ~PlaybackEngine();
  PlaybackEngine(const PlaybackEngine&) = delete;
  PlaybackEngine& operator=(const PlaybackEngine&) = delete;

  // Replaces the song and starts playing it from its start; null unloads and stops.
  void Load(std::unique_ptr<Mp3Decoder> song);
  // Plays a loaded song: resumes a paused one, starts a stopped one from its position.
  void Play();
  // Pauses a playing song.
  void Pause();
  // Stops and rewinds to the start.
  void Stop();
  // Moves to `frame` of the loaded song; the end of the song ends it.
  void Seek(std::int64_t frame);
  // Speed factor, already limited by the caller; the output resamples by it.
  void SetRate(double rate) { rate_.store(rate); }
  // Linear gain for every sample.
  void SetGain(float gain) { gain_.store(gain); }

  State state() const { return static_cast<State>(state_.load()); }
  // Frames of the song heard (or passed over) so far.
  std::int64_t positionFrames() const { return position_.load(); }
  // Changes with every Load, Stop, Seek and start after a stop, so that news of an end that
  // was overtaken by one of these can be told apart.
  std::uint64_t generation() const;
  // The output in use ("pulse", "alsa", "null", "wav"); empty before anything was played.
  std::string outputName() const;

 private:
  void Run();
  // Publishes the change and wakes the thread; call with the lock held.
  void Changed();

  const AudioOutputChoice output_;
  const EndHandler onEnd_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  // Guarded by mutex_:
  std::unique_ptr<Mp3Decoder> pendingSong_;
  bool songChanged_ = false;
  bool hasSong_ = false;
  std::optional<std::int64_t> pendingSeek_;
  std::uint64_t generation_ = 0;
  bool quit_ = false;
  std::string outputName_;

  // Written under mutex_, read without it.
  std::atomic<int> state_{kStopped};
  std::atomic<std::int64_t> position_{0};
  std::atomic<bool> commandPending_{false};
  // Read by the thread for every piece of audio.
  std::atomic<double> rate_{1.0};
  std::atomic<float> gain_{1.0f};

  std::thread thread_;  // last, so that it starts after everything above exists
};

}  // namespace platform
