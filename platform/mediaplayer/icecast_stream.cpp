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
#include "platform/mediaplayer/mp3_stream_encoder.h"
#include "platform/mediaplayer/shout_connection.h"
#include "platform/mediaplayer/thread_end.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How often the thread looks for audio, the clock and its owner's wishes.
constexpr auto kTick = 50ms;
// What the player may have fed ahead of the stream: past this, its audio is dropped.
constexpr double kBufferSeconds = 2.0;
// The stream may fall this far behind the clock (a song's start, a slow output) before silence
// fills the gap, and run this far ahead of it (an output that fills its buffer) before fed
// audio waits in the buffer.
constexpr double kMaxBehindSeconds = 0.3;
constexpr double kMaxAheadSeconds = 1.0;
constexpr double kMaxSilenceSeconds = 1.0;
// Waits between tries to connect: doubled after each failure, back to the first after a
// connection that lasted. A refused login waits the longest at once: it needs the user.
constexpr auto kFirstRetry = 1s;
constexpr auto kLastRetry = 60s;
constexpr auto kLasting = 30s;
// A server that takes the connection but does not answer the login in this time is left.
constexpr auto kLoginTimeout = 10s;
// Audio libshout could not pass to the socket yet: past this much (4 s of the stream) the
// server is not keeping up, and new audio is dropped; past kStallLimit of that, it is left.
constexpr std::size_t kMaxQueuedBytes = 64 * 1024;
constexpr auto kStallLimit = 15s;
// Requests beside the stream (a title, a look at the mount) wait this long for the server.
constexpr auto kRequestBound = 1s;
constexpr auto kTitleRetry = 5s;
constexpr auto kThreadEndWait = 2s;

enum class Problem { kNone, kUnreachable, kPasswordRefused, kMountInUse };

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
  Sender(const IcecastUrl& url, const std::string& password, StreamBuffer& buffer)
      : url_(url),
        password_(password),
        buffer_(buffer),
        where_(ListenUrlOf(url)),
        reporter_(where_) {}

  void SetTitle(std::string utf8) {
    title_ = std::move(utf8);
    titleSent_ = false;
    nextTitleTry_ = {};
  }

  void Turn(Clock::time_point now) {
    if (!connected_) {
      // Nobody hears what is fed meanwhile.
      buffer_.Clear();
      Connect(now);
      return;
    }
    if (!titleSent_ && !title_.empty() && now >= nextTitleTry_) {
      // libshout's own title update waits on the server without a bound; this one is bounded,
      // and tried again a little later when the server did not take it.
      titleSent_ = SendTitle(url_, password_, title_, kRequestBound);
      if (!titleSent_) nextTitleTry_ = now + kTitleRetry;
    }
    Pump(now);
  }

 private:
  void Connect(Clock::time_point now) {
    ShoutConnection::State state;
    if (!connection_) {
      if (now < nextTry_) return;
      connection_ = std::make_unique<ShoutConnection>(url_, password_);
      tryStarted_ = now;
      state = connection_->Open();
    } else {
      state = connection_->Poll();
    }
    if (state == ShoutConnection::State::kConnected) {
      connected_ = true;
      start_ = now;
      sentSeconds_ = 0.0;
      stalledSince_.reset();
      encoder_.reset();
      titleSent_ = false;
      nextTitleTry_ = {};
      reporter_.Connected();
    } else if (state == ShoutConnection::State::kFailed) {
      Failed(now);
    } else if (now - tryStarted_ > kLoginTimeout) {
      LeaveAndRetry(now, Problem::kUnreachable,
                    "the Icecast server for " + where_ + " does not answer; trying again");
    }
  }

  void Failed(Clock::time_point now) {
    if (!connection_->loginRefused()) {
      LeaveAndRetry(
          now, Problem::kUnreachable,
          "cannot stream to " + where_ + " (" + connection_->errorText() + "); trying again");
      return;
    }
    // libshout says "login failed" for both of the server's refusals; a listener's look at
    // the mount tells them apart.
    const bool taken = MountHasSource(url_, kRequestBound).value_or(false);
    connection_.reset();
    nextTry_ = now + kLastRetry;
    if (taken) {
      reporter_.Report(Problem::kMountInUse, "the mount " + url_.mount + " of " + where_ +
                                                 " already has a source; trying again every "
                                                 "minute");
    } else {
      reporter_.Report(Problem::kPasswordRefused,
                       "the Icecast server refused the source password for " + where_ +
                           " (user \"" + url_.user + "\"); trying again every minute");
    }
  }

  void LeaveAndRetry(Clock::time_point now, Problem problem, const std::string& message) {
    if (connected_ && now - start_ > kLasting) retryWait_ = kFirstRetry;
    connected_ = false;
    connection_.reset();
    encoder_.reset();
    nextTry_ = now + retryWait_;
    retryWait_ = std::min<Clock::duration>(retryWait_ * 2, kLastRetry);
    reporter_.Report(problem, message);
  }

  void Pump(Clock::time_point now) {
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    mp3_.clear();
    while (sentSeconds_ < elapsed + kMaxAheadSeconds) {
      std::optional<StreamBuffer::Piece> piece = buffer_.Take();
      if (!piece) break;
      Encode(piece->samples, piece->rate);
    }
    if (sentSeconds_ < elapsed - kMaxBehindSeconds) {
      // Nothing plays, or the player falls behind: silence up to the clock. A stream held up
      // longer than a second skips the rest rather than encode it all at once.
      sentSeconds_ = std::max(sentSeconds_, elapsed - kMaxSilenceSeconds);
      const long rate = encoder_ ? encoder_->inputRate() : Mp3StreamEncoder::kOutputRate;
      const auto frames = static_cast<std::size_t>(
          std::lround((elapsed - sentSeconds_) * static_cast<double>(rate)));
      silence_.assign(frames * 2, 0);
      Encode(silence_, rate);
    }
    if (connection_->queuedBytes() > kMaxQueuedBytes) {
      // The server takes the stream slower than it plays: this piece is dropped, and only
      // what is queued goes on.
      mp3_.clear();
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
    if (mp3_.empty() && connection_->queuedBytes() == 0) return;
    // Sending (even nothing) also passes on what libshout still holds.
    if (!connection_->Send(mp3_)) {
      LeaveAndRetry(
          now, Problem::kUnreachable,
          "the stream to " + where_ + " was lost (" + connection_->errorText() + "); reconnecting");
    }
  }

  // Encodes interleaved stereo audio at `rate`; a new rate gets a new encoder, so that the
  // stream goes on at 44.1 kHz.
  void Encode(const std::vector<std::int16_t>& samples, long rate) {
    if (!encoder_ || encoder_->inputRate() != rate) {
      if (encoder_) encoder_->Flush(mp3_);
      encoder_ = std::make_unique<Mp3StreamEncoder>(rate);
    }
    const double seconds = static_cast<double>(samples.size() / 2) / static_cast<double>(rate);
    if (encoder_->valid()) {
      encoder_->Encode(samples, mp3_);
      sentSeconds_ += seconds;
    } else {
      // A rate LAME cannot take: its time is left to the silence.
      encoder_.reset();
    }
  }

  const IcecastUrl url_;
  const std::string password_;
  StreamBuffer& buffer_;
  const std::string where_;
  Reporter reporter_;

  std::unique_ptr<ShoutConnection> connection_;
  bool connected_ = false;
  Clock::time_point tryStarted_;
  Clock::time_point nextTry_;
  Clock::duration retryWait_ = kFirstRetry;

  std::unique_ptr<Mp3StreamEncoder> encoder_;
  Clock::time_point start_;   // when the connection was made: the stream's time zero
  double sentSeconds_ = 0.0;  // audio encoded since then
  std::optional<Clock::time_point> stalledSince_;
  std::vector<unsigned char> mp3_;
  std::vector<std::int16_t> silence_;

  std::string title_;
  bool titleSent_ = true;
  Clock::time_point nextTitleTry_;
};

}  // namespace

IcecastStream::IcecastStream(IcecastUrl url, std::string password)
    : buffer_(std::make_shared<StreamBuffer>(kBufferSeconds)),
      shared_(std::make_shared<Shared>(std::move(url), std::move(password), buffer_)),
      thread_([shared = shared_] { Run(*shared); }) {}

void IcecastStream::Quit() {
  std::lock_guard lock(shared_->mutex);
  shared_->quit = true;
  shared_->wake.notify_one();
}

IcecastStream::~IcecastStream() {
  Quit();
  JoinOrLetGo(thread_, *shared_, kThreadEndWait);
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
    Sender sender(s.url, s.password, *s.buffer);
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
