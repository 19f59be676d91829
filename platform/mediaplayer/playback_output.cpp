#include "platform/mediaplayer/playback_output.h"

#include <cstdio>
#include <utility>

#include "platform/mediaplayer/null_sink.h"

namespace platform {
namespace {

// How often a failed output is tried again while a song plays. Each try may wait up to about
// half a second for a sound server, while the silent output keeps the song's time.
constexpr auto kRetryInterval = std::chrono::seconds(3);

}  // namespace

PlaybackOutput::PlaybackOutput(AudioOutputChoice choice) : choice_(std::move(choice)) {}

PlaybackOutput::~PlaybackOutput() {
  Stop();
}

void PlaybackOutput::Open() {
  if (sink_) {
    const auto now = std::chrono::steady_clock::now();
    if (!standIn_ || (!retryNow_ && now - lastTry_ < kRetryInterval)) return;
    retryNow_ = false;
    lastTry_ = now;
    auto again = OpenAudioOutput(choice_);
    if (again->name() == "null") return;  // still nothing to play on
    Stop();
    sink_ = std::move(again);
    standIn_ = false;
    nameChanged_ = true;
    return;
  }
  sink_ = OpenAudioOutput(choice_);
  nameChanged_ = true;
}

long PlaybackOutput::Prepare(long songRate) {
  if (running_ && songRate == requestedRate_) {
    if (paused_) sink_->Resume();
    paused_ = false;
    return rate_;
  }
  if (running_) sink_->Stop();
  rate_ = sink_->Start(songRate);
  if (rate_ > 0 && !standIn_) {
    fallReported_ = false;
  } else if (rate_ <= 0) {
    FallSilent();
    rate_ = sink_->Start(songRate);
  }
  requestedRate_ = songRate;
  running_ = true;
  paused_ = false;
  return rate_;
}

void PlaybackOutput::Write(std::vector<std::int16_t>& pcm) {
  const std::size_t frames = pcm.size() / AudioSink::kChannels;
  if (sink_->Write(pcm.data(), frames)) {
    if (!standIn_) fallReported_ = false;
    return;
  }
  // The device went away: carry on in silence, in real time, so the song still ends.
  FallSilent();
  sink_->Start(rate_);
  sink_->Write(pcm.data(), frames);
}

void PlaybackOutput::FallSilent() {
  const std::string failed = sink_ ? sink_->name() : std::string("?");
  if (!fallReported_) {
    std::fprintf(stderr,
                 "spin.deck: the sound output (%s) failed; playing on in silence, and trying "
                 "it again every few seconds\n",
                 failed.c_str());
    fallReported_ = true;
  }
  sink_ = std::make_unique<NullSink>();
  // Only a sound server or card can come back; a WAV file opened again would start afresh.
  standIn_ = failed == "pulse" || failed == "alsa";
  lastTry_ = std::chrono::steady_clock::now();
  nameChanged_ = true;
}

bool PlaybackOutput::Drain(const std::function<bool()>& interrupted) {
  return !running_ || sink_->Drain(interrupted);
}

void PlaybackOutput::Pause() {
  if (running_ && !paused_) sink_->Pause();
  paused_ = running_;
}

void PlaybackOutput::Discard() {
  if (running_) sink_->Discard();
}

void PlaybackOutput::Stop() {
  if (running_) sink_->Stop();
  running_ = paused_ = false;
  requestedRate_ = 0;
}

std::optional<std::string> PlaybackOutput::TakeNameChange() {
  if (!nameChanged_ || !sink_) return std::nullopt;
  nameChanged_ = false;
  return sink_->name();
}

}  // namespace platform
