#include "platform/mediaplayer/media_player.h"

#include <QMetaObject>
#include <algorithm>
#include <cmath>

#include "platform/mediaplayer/decoders/decoder_choice.h"
#include "platform/mediaplayer/icecast_stream.h"
#include "platform/mediaplayer/length_scanner.h"
#include "platform/mediaplayer/playback_engine.h"
#include "platform/text/cp1252.h"

namespace platform {

MediaPlayer::MediaPlayer(QObject* parent) : QObject(parent) {
  engine_ = std::make_unique<PlaybackEngine>(
      AudioOutputChoiceFromEnvironment(), [this](std::uint64_t generation) {
        // On the playback thread: only queue the news for the event loop. A queued call to a
        // player that is gone by then is dropped by Qt, and the engine is stopped before the
        // player goes.
        QMetaObject::invokeMethod(
            this, [this, generation] { DeliverEndOfStream(generation); }, Qt::QueuedConnection);
      });
  scanner_ = std::make_unique<LengthScanner>([this](std::uint64_t ticket, std::int64_t frames) {
    // On the scanner's thread, as above; the scanner is stopped before the player goes.
    QMetaObject::invokeMethod(
        this, [this, ticket, frames] { DeliverLength(ticket, frames); }, Qt::QueuedConnection);
  });
}

MediaPlayer::~MediaPlayer() {
  // The stream's thread winds down while the others are stopped; its wait counts from here,
  // so the whole end stays within its bound.
  if (stream_) stream_->Quit();
  scanner_.reset();
  engine_.reset();
  stream_.reset();
}

void MediaPlayer::StartStream(const IcecastUrl& url, const std::string& password,
                              const StreamOptions& options) {
  engine_->SetStreamBuffer(nullptr);
  stream_.reset();  // its connection is closed before the new one is made
  stream_ = std::make_unique<IcecastStream>(url, password, options);
  // The new stream goes on with the title of the one it replaces.
  if (!streamTitle_.empty()) stream_->SetTitle(streamTitle_);
  engine_->SetStreamBuffer(stream_->buffer());
}

void MediaPlayer::SetStreamTitle(const std::string& title) {
  if (!stream_) return;
  streamTitle_ = Cp1252ToUtf8(title);
  stream_->SetTitle(streamTitle_);
}

void MediaPlayer::Open(const std::string& path) {
  ++openCount_;
  auto song = OpenSongDecoder(path);
  if (!song) {
    scanner_->Cancel();
    fileName_.clear();
    sampleRate_ = 0;
    totalFrames_ = 0;
    engine_->Load(nullptr);
    emit StateChanged();
    return;
  }
  fileName_ = path;
  sampleRate_ = song->sampleRate();
  totalFrames_ = song->totalFrames();
  const bool exact = song->lengthExact();
  engine_->Load(std::move(song));
  if (exact) {
    scanner_->Cancel();
  } else {
    scanner_->Scan(path, openCount_);
  }
  emit StateChanged();
}

void MediaPlayer::Play() {
  const bool wasStopped = PlayState() == 0;
  engine_->Play();
  // Listeners see the song's title again.
  if (stream_ && wasStopped && !FileName().empty()) stream_->SetTitle(streamTitle_);
  emit StateChanged();
}

void MediaPlayer::Pause() {
  engine_->Pause();
  emit StateChanged();
}

void MediaPlayer::Stop() {
  engine_->Stop();
  // Nothing plays: listeners see no title rather than the stopped song's.
  if (stream_) stream_->SetTitle("");
  emit StateChanged();
}

double MediaPlayer::Duration() const {
  return sampleRate_ > 0 ? static_cast<double>(totalFrames_) / static_cast<double>(sampleRate_)
                         : 0.0;
}

double MediaPlayer::CurrentPosition() const {
  if (sampleRate_ <= 0) return 0.0;
  return static_cast<double>(engine_->positionFrames()) / static_cast<double>(sampleRate_);
}

void MediaPlayer::SetCurrentPosition(double seconds) {
  if (sampleRate_ <= 0 || std::isnan(seconds)) return;
  const double frames = std::clamp(seconds * static_cast<double>(sampleRate_), 0.0,
                                   static_cast<double>(totalFrames_));
  engine_->Seek(std::clamp<std::int64_t>(std::llround(frames), 0, totalFrames_));
  emit StateChanged();
}

void MediaPlayer::SetRate(double rate) {
  if (std::isnan(rate)) return;
  rate_ = std::clamp(rate, kMinRate, kMaxRate);
  engine_->SetRate(rate_);
  emit StateChanged();
}

int MediaPlayer::PlayState() const {
  return static_cast<int>(engine_->state());
}

void MediaPlayer::SetVolume(int hundredthsOfDb) {
  volume_ = std::clamp(hundredthsOfDb, kMinVolume, 0);
  engine_->SetGain(static_cast<float>(std::pow(10.0, volume_ / 2000.0)));
}

void MediaPlayer::SetEndOfStreamHandler(std::function<void(int result)> handler) {
  endHandler_ = std::move(handler);
}

std::string MediaPlayer::OutputName() const {
  return engine_->outputName();
}

void MediaPlayer::DeliverEndOfStream(std::uint64_t generation) {
  // The song has stopped and rewound by itself.
  emit StateChanged();
  // An Open, Stop, jump or new start after the end overtook this news: it is stale.
  if (generation != engine_->generation()) return;
  emit EndOfStream(0);
  if (endHandler_) endHandler_(0);
}

void MediaPlayer::DeliverLength(std::uint64_t ticket, std::int64_t frames) {
  // A scan of an earlier song that finished just before the next Open is stale.
  if (ticket != openCount_ || fileName_.empty()) return;
  totalFrames_ = frames;
  emit StateChanged();
}

}  // namespace platform
