#include "platform/mediaplayer/playback_engine.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "platform/mediaplayer/null_sink.h"
#include "platform/mediaplayer/rate_resampler.h"

namespace platform {
namespace {

// One MPEG-1 layer III frame: about 26 ms at 44.1 kHz, so commands are seen that often.
constexpr std::size_t kPieceFrames = 1152;

void ToPcm16(std::span<const float> in, float gain, std::vector<std::int16_t>& out) {
  out.resize(in.size());
  const float scale = gain * 32767.0f;
  const float* from = in.data();
  std::int16_t* to = out.data();
  for (std::size_t i = 0, n = in.size(); i < n; ++i) {
    const float value = from[i] * scale;
    to[i] = static_cast<std::int16_t>(std::lrint(value > 32767.0f    ? 32767.0f
                                                 : value < -32767.0f ? -32767.0f
                                                                     : value));
  }
}

// The output as the playback thread sees it: opened on first use, started at the rate of the
// song, and replaced by the null output if the device fails.
class OutputState {
 public:
  explicit OutputState(const AudioOutputChoice& choice) : choice_(choice) {}
  ~OutputState() { Stop(); }

  // Opens the output if need be; returns its name when it was opened just now.
  std::optional<std::string> Open() {
    if (sink_) return std::nullopt;
    sink_ = OpenAudioOutput(choice_);
    return sink_->name();
  }

  // Starts (or restarts) the output for a song at `songRate`; returns the rate it takes.
  long Prepare(long songRate) {
    if (running_ && songRate == requestedRate_) {
      if (paused_) sink_->Resume();
      paused_ = false;
      return rate_;
    }
    if (running_) sink_->Stop();
    rate_ = sink_->Start(songRate);
    if (rate_ <= 0) {
      sink_ = std::make_unique<NullSink>();
      rate_ = sink_->Start(songRate);
    }
    requestedRate_ = songRate;
    running_ = true;
    paused_ = false;
    return rate_;
  }

  void Write(std::vector<std::int16_t>& pcm) {
    const std::size_t frames = pcm.size() / AudioSink::kChannels;
    if (sink_->Write(pcm.data(), frames)) return;
    // The device went away: carry on in silence, in real time, so the song still ends.
    sink_ = std::make_unique<NullSink>();
    sink_->Start(rate_);
    sink_->Write(pcm.data(), frames);
  }

  bool Drain(const std::function<bool()>& interrupted) {
    return !running_ || sink_->Drain(interrupted);
  }

  void Pause() {
    if (running_ && !paused_) sink_->Pause();
    paused_ = running_;
  }

  void Discard() {
    if (running_) sink_->Discard();
  }

  void Stop() {
    if (running_) sink_->Stop();
    running_ = paused_ = false;
    requestedRate_ = 0;
  }

 private:
  const AudioOutputChoice& choice_;
  std::unique_ptr<AudioSink> sink_;
  bool running_ = false;
  bool paused_ = false;
  long requestedRate_ = 0;
  long rate_ = 0;
};

}  // namespace

PlaybackEngine::PlaybackEngine(AudioOutputChoice output, EndHandler onEnd)
    : output_(std::move(output)), onEnd_(std::move(onEnd)), thread_([this] { Run(); }) {}

PlaybackEngine::~PlaybackEngine() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    Changed();
  }
  thread_.join();
}

void PlaybackEngine::Changed() {
  commandPending_.store(true);
  wake_.notify_one();
}

void PlaybackEngine::Load(std::unique_ptr<Mp3Decoder> song) {
  std::unique_ptr<Mp3Decoder> replaced;
  {
    std::lock_guard lock(mutex_);
    replaced = std::exchange(pendingSong_, std::move(song));
    hasSong_ = pendingSong_ != nullptr;
    songChanged_ = true;
    pendingSeek_.reset();
    position_.store(0);
    state_.store(hasSong_ ? kPlaying : kStopped);
    ++generation_;
    Changed();
  }
  // A song loaded but never picked up by the thread is closed here, outside the lock.
}

void PlaybackEngine::Play() {
  std::lock_guard lock(mutex_);
  if (!hasSong_) return;
  if (state_.load() == kStopped) ++generation_;
  state_.store(kPlaying);
  Changed();
}

void PlaybackEngine::Pause() {
  std::lock_guard lock(mutex_);
  if (state_.load() != kPlaying) return;
  state_.store(kPaused);
  Changed();
}

void PlaybackEngine::Stop() {
  std::lock_guard lock(mutex_);
  state_.store(kStopped);
  if (hasSong_) {
    pendingSeek_ = 0;
    position_.store(0);
  }
  ++generation_;
  Changed();
}

void PlaybackEngine::Seek(std::int64_t frame) {
  std::lock_guard lock(mutex_);
  if (!hasSong_) return;
  pendingSeek_ = frame;
  position_.store(frame);
  ++generation_;
  Changed();
}

std::uint64_t PlaybackEngine::generation() const {
  std::lock_guard lock(mutex_);
  return generation_;
}

std::string PlaybackEngine::outputName() const {
  std::lock_guard lock(mutex_);
  return outputName_;
}

void PlaybackEngine::Run() {
  std::unique_ptr<Mp3Decoder> song;
  OutputState output(output_);
  RateResampler resampler;
  std::vector<float> decoded(kPieceFrames * Mp3Decoder::kChannels);
  std::vector<std::int16_t> pcm;
  const auto interrupted = [this] { return commandPending_.load(); };

  while (true) {
    std::unique_ptr<Mp3Decoder> retired;
    std::optional<std::int64_t> seek;
    bool newSong = false;
    State state = kStopped;
    std::uint64_t generation = 0;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] {
        return quit_ || commandPending_.load() || (state_.load() == kPlaying && song);
      });
      if (quit_) break;
      commandPending_.store(false);
      if (songChanged_) {
        retired = std::exchange(song, std::move(pendingSong_));
        songChanged_ = false;
        newSong = true;
      }
      seek = std::exchange(pendingSeek_, std::nullopt);
      state = static_cast<State>(state_.load());
      generation = generation_;
    }
    retired.reset();  // closes the previous song outside the lock

    if (newSong || seek) {
      resampler.Reset();
      output.Discard();
    }
    if (seek && song) song->Seek(*seek);
    if (state == kStopped || !song) {
      output.Stop();
      continue;
    }
    if (state == kPaused) {
      output.Pause();
      continue;
    }

    if (auto name = output.Open()) {
      std::lock_guard lock(mutex_);
      outputName_ = *name;
    }
    const long outputRate = output.Prepare(song->sampleRate());
    const std::size_t frames = song->Read(decoded.data(), kPieceFrames);

    if (frames == 0) {
      // The whole song has been handed over; it has ended once the output has played it.
      if (!output.Drain(interrupted)) continue;
      bool ended = false;
      {
        std::lock_guard lock(mutex_);
        if (generation == generation_ && !commandPending_.load()) {
          state_.store(kStopped);
          position_.store(0);
          ended = true;
        }
      }
      if (ended) {
        output.Stop();
        resampler.Reset();
        song->Seek(0);  // rewound, as after a stop
        onEnd_(generation);
      }
      continue;
    }

    const long inputRate = std::lround(static_cast<double>(song->sampleRate()) * rate_.load());
    resampler.Configure(inputRate, outputRate);  // on failure the previous rate stays
    ToPcm16(resampler.Process(decoded.data(), frames), gain_.load(), pcm);
    output.Write(pcm);

    std::lock_guard lock(mutex_);
    // A jump, stop or new song in the meantime has set the position itself.
    if (generation == generation_) position_.fetch_add(static_cast<std::int64_t>(frames));
  }
}

}  // namespace platform
