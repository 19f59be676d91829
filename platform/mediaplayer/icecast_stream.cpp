#include "platform/mediaplayer/icecast_stream.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "platform/mediaplayer/icecast_requests.h"
#include "platform/mediaplayer/shout_connection.h"
#include "platform/mediaplayer/stream_encoder.h"
#include "platform/mediaplayer/thread_end.h"
#include "platform/mediaplayer/title_sender.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How often the thread looks for audio, the clock and its owner's wishes.
constexpr auto kTick = 50ms;
// What the player may have fed ahead of the stream: past this, its audio is dropped.
constexpr double kBufferSeconds = 2.0;
// The stream carries what the player plays, at the pace the player's output sets. Silence
// goes in only while nothing plays, or when a playing player has fed nothing for this long (a
// hung sound server), well before Icecast drops a quiet source (10 s). A shorter hold-up is
// only a delay: the listeners' buffers cover it, and the audio goes on where it stopped.
constexpr auto kFeedGapBound = 2s;
// Silence made up for a thread held longer than this is skipped rather than sent at once.
constexpr double kMaxSilenceSeconds = 1.0;
// Waits between tries to connect: doubled after each failure, back to the first after a
// connection that lasted. A refused login waits the longest at once: it needs the user.
constexpr auto kFirstRetry = 1s;
constexpr auto kLastRetry = 60s;
constexpr auto kLasting = 30s;
// A mount found in use this soon after our own connection was lost is probably still held by
// it: the server notices a dead source only when its writes fail or time out.
constexpr auto kOwnMountHold = 15s;
constexpr auto kOwnMountRetry = 2s;
// A server that takes the connection but does not answer the login in this time is left.
constexpr auto kLoginTimeout = 10s;
// Audio libshout could not pass to the socket yet: past this much (4 s of the stream) the
// server is not keeping up, and new audio is dropped; past kStallLimit of that, it is left.
constexpr std::size_t kMaxQueuedBytes = 64 * 1024;
constexpr auto kStallLimit = 15s;
// Requests beside the stream (a title, a look at the mount) wait this long for the server.
constexpr auto kRequestBound = 1s;
// The thread's end is waited for this long from the request to end, so that the player's
// own end, which runs meanwhile, stays within two seconds in all.
constexpr auto kSenderEndWait = 1500ms;

enum class Problem {
  kNone,
  kUnreachable,
  kCertificateRefused,
  kPasswordRefused,
  kMountInUse,
  kServerRefused
};

// Writes each problem to standard error once while it lasts, and the recovery after one.
class Reporter {
 public:
  explicit Reporter(std::string where) : where_(std::move(where)) {}

  void Report(Problem problem, const std::string& message) {
    if (problem == last_) return;
    last_ = problem;
    std::fprintf(stderr, "spin.deck: %s\n", message.c_str());
  }
  void Connected() {
    if (last_ != Problem::kNone)
      std::fprintf(stderr, "spin.deck: streaming again to %s\n", where_.c_str());
    last_ = Problem::kNone;
  }

 private:
  const std::string where_;
  Problem last_ = Problem::kNone;
};

// The connection, the encoder and the stream's clock, driven one turn at a time.
class Sender {
 public:
  Sender(const IcecastUrl& url, const std::string& password, const StreamOptions& options,
         StreamBuffer& buffer)
      : url_(url),
        password_(password),
        options_(options),
        buffer_(buffer),
        where_(ListenUrlOf(url)),
        reporter_(where_) {}

  void SetTitle(std::string utf8) {
    title_ = std::move(utf8);
    if (!connected_) return;
    // Ogg carries its titles inside the stream; MP3's go to the server by a request.
    if (carriesTitles_) {
      if (encoder_) encoder_->SetTitle(*title_);
    } else {
      titles_.Send(*title_);
    }
  }

  void Turn(Clock::time_point now) {
    if (!connected_) {
      // Nobody hears what is fed meanwhile.
      buffer_.Clear();
      droppedFrames_ = buffer_.droppedFrames();
      Connect(now);
      return;
    }
    Pump(now);
  }

 private:
  void Connect(Clock::time_point now) {
    ShoutConnection::State state;
    if (!connection_) {
      if (now < nextTry_) return;
      connection_ = std::make_unique<ShoutConnection>(url_, password_, options_);
      tryStarted_ = now;
      state = connection_->Open();
    } else {
      state = connection_->Poll();
    }
    if (state == ShoutConnection::State::kConnected) {
      connected_ = true;
      start_ = now;
      lastFed_ = now;
      silenceStart_.reset();
      stalledSince_.reset();
      encoder_.reset();
      // A new source has no title yet.
      if (title_ && !carriesTitles_) titles_.Send(*title_);
      reporter_.Connected();
    } else if (state == ShoutConnection::State::kFailed) {
      Failed(now);
    } else if (now - tryStarted_ > kLoginTimeout) {
      LeaveAndRetry(now, Problem::kUnreachable,
                    "the Icecast server for " + where_ + " does not answer; trying again");
    }
  }

  void Failed(Clock::time_point now) {
    if (connection_->certificateRefused()) {
      LeaveAndRetry(now, Problem::kCertificateRefused,
                    "the Icecast server for " + where_ +
                        " has a certificate that is not trusted (signed by an authority neither "
                        "the system nor the stream's CAFILE knows, or made out to another host "
                        "name); not sending the stream there; trying again");
      return;
    }
    if (!connection_->loginRefused()) {
      LeaveAndRetry(
          now, Problem::kUnreachable,
          "cannot stream to " + where_ + " (" + connection_->errorText() + "); trying again");
      return;
    }
    // libshout says "login failed" for every refusal; a request of its own tells them apart.
    // Nothing plays to the server meanwhile, so this thread may wait for it (bounded).
    const std::optional<Refusal> why = WhyRefused(url_, password_, kRequestBound);
    connection_.reset();
    if (why == Refusal::kMountInUse && lostAt_ && now - *lostAt_ < kOwnMountHold) {
      // Most likely our own lost connection, which the server has not noticed yet: tried
      // again soon, so that the stream is back as soon as the server lets the mount go.
      nextTry_ = now + kOwnMountRetry;
      return;
    }
    nextTry_ = now + kLastRetry;
    if (why == Refusal::kMountInUse) {
      reporter_.Report(Problem::kMountInUse, "the mount " + url_.mount + " of " + where_ +
                                                 " already has a source; trying again every "
                                                 "minute");
    } else if (why == Refusal::kPassword) {
      reporter_.Report(Problem::kPasswordRefused,
                       "the Icecast server refused the source password for " + where_ +
                           " (user \"" + url_.user + "\"); trying again every minute");
    } else {
      reporter_.Report(Problem::kServerRefused,
                       "the Icecast server for " + where_ +
                           " refused the source (it may have reached its limit of sources); "
                           "trying again every minute");
    }
  }

  void LeaveAndRetry(Clock::time_point now, Problem problem, const std::string& message) {
    if (connected_ && now - start_ > kLasting) retryWait_ = kFirstRetry;
    if (connected_) lostAt_ = now;
    connected_ = false;
    connection_.reset();
    encoder_.reset();
    nextTry_ = now + retryWait_;
    retryWait_ = std::min<Clock::duration>(retryWait_ * 2, kLastRetry);
    reporter_.Report(problem, message);
  }

  void Pump(Clock::time_point now) {
    encoded_.clear();
    bool fed = false;
    while (std::optional<StreamBuffer::Piece> piece = buffer_.Take()) {
      Encode(piece->samples, piece->rate);
      fed = true;
    }
    if (fed) {
      lastFed_ = now;
      silenceStart_.reset();
    } else if (!buffer_.playing() || now - lastFed_ > kFeedGapBound) {
      AddSilence(now);
    }
    // Audio the player fed while the buffer was full is lost too.
    const std::uint64_t dropped = buffer_.droppedFrames();
    bool dropping = dropped != droppedFrames_;
    droppedFrames_ = dropped;
    if (connection_->queuedBytes() > kMaxQueuedBytes) {
      // The server takes the stream slower than it plays: this turn's audio is dropped, whole
      // frames or pages only (the encoders hand out whole ones, and libshout queues all it is
      // given), and only what is queued goes on, with any headers the stream needs.
      dropping = dropping || !encoded_.empty();
      if (encoder_) {
        encoder_->DropAudio(encoded_);
      } else {
        encoded_.clear();
      }
      if (!stalledSince_) stalledSince_ = now;
      if (now - *stalledSince_ > kStallLimit) {
        LeaveAndRetry(now, Problem::kUnreachable,
                      "the Icecast server for " + where_ +
                          " stopped taking the stream; "
                          "reconnecting");
        return;
      }
    } else {
      stalledSince_.reset();
    }
    ReportDropping(dropping);
    if (encoded_.empty() && connection_->queuedBytes() == 0) return;
    // Sending (even nothing) also passes on what libshout still holds.
    if (!connection_->Send(encoded_)) {
      LeaveAndRetry(
          now, Problem::kUnreachable,
          "the stream to " + where_ + " was lost (" + connection_->errorText() + "); reconnecting");
    }
  }

  // Tells dropped audio once when it begins, and once when the stream is whole again.
  void ReportDropping(bool dropping) {
    if (dropping && !droppingReported_) {
      std::fprintf(stderr,
                   "spin.deck: the stream to %s cannot keep up (a slow connection to the "
                   "server); audio is being left out\n",
                   where_.c_str());
      droppingReported_ = true;
    } else if (!dropping && droppingReported_ && connection_->queuedBytes() < kMaxQueuedBytes / 2) {
      std::fprintf(stderr, "spin.deck: the stream to %s carries all of the audio again\n",
                   where_.c_str());
      droppingReported_ = false;
    }
  }

  // Silence at the pace of the clock, from the moment nothing was there to send.
  void AddSilence(Clock::time_point now) {
    if (!silenceStart_) {
      silenceStart_ = now;
      silenceSeconds_ = 0.0;
    }
    const double due = std::chrono::duration<double>(now - *silenceStart_).count();
    silenceSeconds_ = std::max(silenceSeconds_, due - kMaxSilenceSeconds);
    const long rate = encoder_ ? encoder_->inputRate() : StreamOutputRate(options_.format);
    const auto frames =
        static_cast<std::size_t>(std::floor((due - silenceSeconds_) * static_cast<double>(rate)));
    if (frames == 0) return;
    silence_.assign(frames * 2, 0);
    Encode(silence_, rate);
    silenceSeconds_ += static_cast<double>(frames) / static_cast<double>(rate);
  }

  // Encodes interleaved stereo audio at `rate`; a new rate gets a new encoder, so that the
  // stream goes on at its own rate.
  void Encode(const std::vector<std::int16_t>& samples, long rate) {
    if (!encoder_ || encoder_->inputRate() != rate) {
      if (encoder_) encoder_->Flush(encoded_);
      encoder_ = MakeStreamEncoder(rate, options_, title_.value_or(std::string()));
    }
    if (encoder_->valid()) {
      encoder_->Encode(samples, encoded_);
    } else {
      // A rate the encoder cannot take: that audio is left out.
      encoder_.reset();
    }
  }

  const IcecastUrl url_;
  const std::string password_;
  const StreamOptions options_;
  StreamBuffer& buffer_;
  const std::string where_;
  Reporter reporter_;

  std::unique_ptr<ShoutConnection> connection_;
  bool connected_ = false;
  Clock::time_point tryStarted_;
  Clock::time_point nextTry_;
  Clock::duration retryWait_ = kFirstRetry;
  std::optional<Clock::time_point> lostAt_;  // when a connection was last lost

  const bool carriesTitles_ = options_.format == StreamFormat::kOpus;
  std::unique_ptr<StreamEncoder> encoder_;
  Clock::time_point start_;    // when the connection was made
  Clock::time_point lastFed_;  // when the player's audio last came
  // While silence fills the stream: since when, and how much of it went out.
  std::optional<Clock::time_point> silenceStart_;
  double silenceSeconds_ = 0.0;
  std::optional<Clock::time_point> stalledSince_;
  std::uint64_t droppedFrames_ = 0;  // the buffer's count as last seen
  bool droppingReported_ = false;
  std::vector<unsigned char> encoded_;
  std::vector<std::int16_t> silence_;

  std::optional<std::string> title_;  // none until the owner gave one
  TitleSender titles_{url_, password_};
};

}  // namespace

IcecastStream::IcecastStream(IcecastUrl url, std::string password, StreamOptions options)
    : buffer_(std::make_shared<StreamBuffer>(
          kBufferSeconds, static_cast<float>(std::pow(10.0, options.gainDb / 20.0)))),
      shared_(std::make_shared<Shared>(std::move(url), std::move(password), std::move(options),
                                       buffer_)),
      thread_([shared = shared_] { Run(*shared); }) {}

void IcecastStream::Quit() {
  if (!quitAt_) quitAt_ = Clock::now();
  std::lock_guard lock(shared_->mutex);
  shared_->quit = true;
  shared_->wake.notify_one();
}

IcecastStream::~IcecastStream() {
  Quit();
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(*quitAt_ + kSenderEndWait - Clock::now());
  JoinOrLetGo(thread_, *shared_, std::max(left, std::chrono::milliseconds(0)));
}

void IcecastStream::SetTitle(std::string utf8) {
  std::lock_guard lock(shared_->mutex);
  shared_->title = std::move(utf8);
  shared_->titleChanged = true;
  shared_->wake.notify_one();
}

void IcecastStream::Run(Shared& s) {
  // A write to a connection the server has closed must fail with an error here, not end the
  // program with SIGPIPE; the signal goes to the thread that wrote.
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
  {
    Sender sender(s.url, s.password, s.options, *s.buffer);
    while (true) {
      std::optional<std::string> title;
      {
        std::unique_lock lock(s.mutex);
        s.wake.wait_for(lock, kTick, [&] { return s.quit || s.titleChanged; });
        if (s.quit) break;
        if (s.titleChanged) {
          title = s.title;
          s.titleChanged = false;
        }
      }
      if (title) sender.SetTitle(std::move(*title));
      sender.Turn(Clock::now());
    }
  }
  // The connection is closed by now.
  std::lock_guard lock(s.mutex);
  s.finished = true;
  s.finishedChanged.notify_all();
}

}  // namespace platform
