#include "platform/mediaplayer/playback_engine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>
#include <vector>

#include "platform/mediaplayer/pcm16.h"
#include "platform/mediaplayer/playback_output.h"
#include "platform/mediaplayer/rate_resampler.h"
#include "platform/mediaplayer/thread_end.h"

namespace platform {
namespace {

// One MPEG-1 layer III frame: about 26 ms at 44.1 kHz, so commands are seen that often.
constexpr std::size_t kPieceFrames = 1152;

// How long the destructor waits for the thread before letting it go. It normally ends
// within one piece of audio; only a sound server that stopped answering holds it longer.
constexpr auto kThreadEndWait = std::chrono::milliseconds(1500);

}  // namespace

PlaybackEngine::PlaybackEngine(AudioOutputChoice output, EndHandler onEnd)
    : shared_(std::make_shared<Shared>(std::move(output), std::move(onEnd))),
      thread_([shared = shared_] { Run(*shared); }) {}

PlaybackEngine::~PlaybackEngine() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->quit = true;
    shared_->Changed();
  }
  // A thread stuck in a write to a sound server that no longer answers is let go: no call of
  // libout123 can be interrupted.
  JoinOrLetGo(thread_, *shared_, kThreadEndWait);
}

void PlaybackEngine::Shared::Changed() {
  commandPending.store(true);
  wake.notify_one();
}

void PlaybackEngine::Load(std::unique_ptr<SongDecoder> song) {
  Shared& s = *shared_;
  std::unique_ptr<SongDecoder> replaced;
  {
    std::lock_guard lock(s.mutex);
    replaced = std::exchange(s.pendingSong, std::move(song));
    s.hasSong = s.pendingSong != nullptr;
    s.songChanged = true;
    s.pendingSeek.reset();
    s.position.store(0);
    s.state.store(s.hasSong ? kPlaying : kStopped);
    ++s.generation;
    s.Changed();
  }
  // A song loaded but never picked up by the thread is closed here, outside the lock.
}

void PlaybackEngine::Play() {
  Shared& s = *shared_;
  std::lock_guard lock(s.mutex);
  if (!s.hasSong) return;
  if (s.state.load() == kStopped) ++s.generation;
  s.state.store(kPlaying);
  s.Changed();
}

void PlaybackEngine::Pause() {
  Shared& s = *shared_;
  std::lock_guard lock(s.mutex);
  if (s.state.load() != kPlaying) return;
  s.state.store(kPaused);
  s.Changed();
}

void PlaybackEngine::Stop() {
  Shared& s = *shared_;
  std::lock_guard lock(s.mutex);
  s.state.store(kStopped);
  if (s.hasSong) {
    s.pendingSeek = 0;
    s.position.store(0);
  }
  ++s.generation;
  s.Changed();
}

void PlaybackEngine::Seek(std::int64_t frame) {
  Shared& s = *shared_;
  std::lock_guard lock(s.mutex);
  if (!s.hasSong) return;
  s.pendingSeek = frame;
  s.position.store(frame);
  ++s.generation;
  s.Changed();
}

void PlaybackEngine::SetStreamBuffer(std::shared_ptr<StreamBuffer> buffer) {
  std::shared_ptr<StreamBuffer> replaced;
  std::lock_guard lock(shared_->mutex);
  replaced = std::exchange(shared_->streamBuffer, std::move(buffer));
}

std::uint64_t PlaybackEngine::generation() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->generation;
}

std::string PlaybackEngine::outputName() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->outputName;
}

void PlaybackEngine::Run(Shared& s) {
  {
    std::unique_ptr<SongDecoder> song;
    PlaybackOutput output(s.output);
    RateResampler resampler;
    std::vector<float> decoded(kPieceFrames * SongDecoder::kChannels);
    std::vector<std::int16_t> pcm;
    std::vector<std::int16_t> streamPcm;
    std::shared_ptr<StreamBuffer> stream;
    const auto interrupted = [&s] { return s.commandPending.load(); };
    const auto publishOutputName = [&] {
      if (auto name = output.TakeNameChange()) {
        std::lock_guard lock(s.mutex);
        s.outputName = *name;
      }
    };

    while (true) {
      std::unique_ptr<SongDecoder> retired;
      std::optional<std::int64_t> seek;
      bool newSong = false;
      State state = kStopped;
      std::uint64_t generation = 0;
      {
        std::unique_lock lock(s.mutex);
        s.wake.wait(lock, [&] {
          return s.quit || s.commandPending.load() || (s.state.load() == kPlaying && song);
        });
        if (s.quit) break;
        s.commandPending.store(false);
        if (s.songChanged) {
          retired = std::exchange(song, std::move(s.pendingSong));
          s.songChanged = false;
          newSong = true;
        }
        seek = std::exchange(s.pendingSeek, std::nullopt);
        state = static_cast<State>(s.state.load());
        generation = s.generation;
        stream = s.streamBuffer;
      }
      retired.reset();  // closes the previous song outside the lock

      if (newSong || seek) {
        resampler.Reset();
        output.Discard();
      }
      if (newSong) output.NewSong();
      if (seek && song) song->Seek(*seek);
      // The stream fills the time with silence while nothing plays.
      if (stream && (state != kPlaying || !song)) stream->Idle();
      if (state == kStopped || !song) {
        output.Stop();
        continue;
      }
      if (state == kPaused) {
        output.Pause();
        continue;
      }

      output.Open();
      const long outputRate = output.Prepare(song->sampleRate());
      publishOutputName();
      const std::size_t frames = song->Read(decoded.data(), kPieceFrames);

      if (frames == 0) {
        // The whole song has been handed over; it has ended once the output has played it.
        if (stream) stream->Idle();
        if (!output.Drain(interrupted)) continue;
        bool ended = false;
        {
          std::lock_guard lock(s.mutex);
          if (generation == s.generation && !s.commandPending.load()) {
            s.state.store(kStopped);
            s.position.store(0);
            ended = true;
          }
        }
        if (ended) {
          output.Stop();
          resampler.Reset();
          song->Seek(0);  // rewound, as after a stop
          // Under the lock, so that the news never goes out once the engine is being destroyed.
          std::lock_guard lock(s.mutex);
          if (!s.quit) s.onEnd(generation);
        }
        continue;
      }

      const long inputRate = std::lround(static_cast<double>(song->sampleRate()) * s.rate.load());
      resampler.Configure(inputRate, outputRate);  // on failure the previous rate stays
      const std::span<const float> played = resampler.Process(decoded.data(), frames);
      ToPcm16(played, s.gain.load(), pcm);
      // The stream has a level of its own: the local volume is the DJ's speakers only.
      if (stream) {
        ToPcm16(played, stream->gain(), streamPcm);
        stream->Feed(streamPcm, outputRate);
      }
      output.Write(pcm);
      publishOutputName();

      std::lock_guard lock(s.mutex);
      // A jump, stop or new song in the meantime has set the position itself.
      if (generation == s.generation) s.position.fetch_add(static_cast<std::int64_t>(frames));
    }
  }
  // The output is closed by now.
  std::lock_guard lock(s.mutex);
  s.finished = true;
  s.finishedChanged.notify_all();
}

}  // namespace platform
