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
#include <utility>

#include "platform/mediaplayer/audio_output_choice.h"
#include "platform/mediaplayer/decoders/song_decoder.h"
#include "platform/mediaplayer/stream_buffer.h"

namespace platform {

class PlaybackEngine {
 public:
  enum State : int { kStopped = 0, kPaused = 1, kPlaying = 2 };

  // Called on the playback thread when the song with the given generation has been heard to
  // its end. It must only hand the news over to the owner's thread. It is never called once
  // the engine's destructor has begun.
  using EndHandler = std::function<void(std::uint64_t generation)>;

  PlaybackEngine(AudioOutputChoice output, EndHandler onEnd);
  // Stops the thread; it returns within about a tenth of a second. A thread stuck in the sound
  // server (one that stopped answering) is let go after a second and a half: it owns all it
  // touches, and ends by itself if the server ever answers again.
  ~PlaybackEngine();
  PlaybackEngine(const PlaybackEngine&) = delete;
  PlaybackEngine& operator=(const PlaybackEngine&) = delete;

  // Replaces the song and starts playing it from its start; null unloads and stops.
  void Load(std::unique_ptr<SongDecoder> song);
  // Plays a loaded song: resumes a paused one, starts a stopped one from its position.
  void Play();
  // Pauses a playing song.
  void Pause();
  // Stops and rewinds to the start.
  void Stop();
  // Moves to `frame` of the loaded song; the end of the song ends it.
  void Seek(std::int64_t frame);
  // Speed factor, already limited by the caller; the output resamples by it.
  void SetRate(double rate) { shared_->rate.store(rate); }
  // Linear gain for every sample.
  void SetGain(float gain) { shared_->gain.store(gain); }
  // Where a copy of every piece of audio goes, exactly as the output gets it (after the rate
  // change and the gain); null for none. Feeding it never waits.
  void SetStreamBuffer(std::shared_ptr<StreamBuffer> buffer);

  State state() const { return static_cast<State>(shared_->state.load()); }
  // Frames of the song heard (or passed over) so far.
  std::int64_t positionFrames() const { return shared_->position.load(); }
  // Changes with every Load, Stop, Seek and start after a stop, so that news of an end that
  // was overtaken by one of these can be told apart.
  std::uint64_t generation() const;
  // The output in use ("pulse", "alsa", "null", "wav"); empty before anything was played.
  std::string outputName() const;

 private:
  // Everything the thread touches; the thread holds it too, so it may outlive the engine.
  struct Shared {
    Shared(AudioOutputChoice output, EndHandler onEnd)
        : output(std::move(output)), onEnd(std::move(onEnd)) {}
    // Publishes a change and wakes the thread; call with the lock held.
    void Changed();

    const AudioOutputChoice output;
    const EndHandler onEnd;

    mutable std::mutex mutex;
    std::condition_variable wake;
    // Guarded by mutex:
    std::unique_ptr<SongDecoder> pendingSong;
    bool songChanged = false;
    bool hasSong = false;
    std::optional<std::int64_t> pendingSeek;
    std::uint64_t generation = 0;
    bool quit = false;
    bool finished = false;  // the thread has closed its output and ends
    std::condition_variable finishedChanged;
    std::string outputName;
    std::shared_ptr<StreamBuffer> streamBuffer;

    // Written under mutex, read without it.
    std::atomic<int> state{kStopped};
    std::atomic<std::int64_t> position{0};
    std::atomic<bool> commandPending{false};
    // Read by the thread for every piece of audio.
    std::atomic<double> rate{1.0};
    std::atomic<float> gain{1.0f};
  };

  static void Run(Shared& shared);

  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

}  // namespace platform
