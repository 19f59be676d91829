// The stream follows the pace of the player's output, not the computer's clock: a sound card a
// little slow or fast, or a playback thread held up for a moment, gives listeners the music as
// it was played, without holes, dropped pieces or audio heard twice.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>
#include <thread>
#include <vector>

#include "platform/mediaplayer/icecast_stream.h"
#include "platform/mediaplayer/media_player.h"
#include "tests/platform/mediaplayer/controlled_resolver.h"
#include "tests/platform/volume/private_pulse_server.h"
#include "tests/support/cutting_proxy.h"
#include "tests/support/icecast_server.h"
#include "tests/support/stderr_capture.h"
#include "tests/support/stream_listener.h"
#include "tests/support/test_songs.h"

namespace {

using platform::IcecastStream;
using platform::IcecastUrl;
using spindeck::testing::IcecastOptions;
using spindeck::testing::IcecastServer;
using spindeck::testing::RmsOf;
using spindeck::testing::StreamListener;
using spindeck::testing::StrongestFrequency;
using Clock = std::chrono::steady_clock;

constexpr long kRate = 44100;
constexpr std::size_t kPieceFrames = 1152;
// The fed audio is a rising tone: its pitch tells where in the music a moment of the stream
// is, so a piece left out or sent twice shows as a jump in the pitch's steady climb.
constexpr double kStartHz = 300.0;
constexpr double kClimbHzPerSecond = 200.0;
constexpr double kFedSeconds = 14.0;
constexpr int kSourceTimeout = 4;

// Feeds the rising tone as a playback thread would, one piece at a time at the pace of an
// output whose clock runs `speed` times as fast as the computer's; after `stallAt` seconds of
// audio (if any), holds still for a second and then plays on in real time from there. It feeds
// `seconds` of the tone.
class PacedFeeder {
 public:
  PacedFeeder(std::shared_ptr<platform::StreamBuffer> buffer, double speed, double stallAt = -1,
              double seconds = kFedSeconds)
      : thread_([this, buffer = std::move(buffer), speed, stallAt, seconds] {
          Run(*buffer, speed, stallAt, seconds);
        }) {}
  ~PacedFeeder() {
    quit_ = true;
    thread_.join();
  }

 private:
  void Run(platform::StreamBuffer& buffer, double speed, double stallAt, double seconds) {
    std::vector<std::int16_t> piece(kPieceFrames * 2);
    double phase = 0.0;
    std::int64_t frames = 0;
    auto anchor = Clock::now();
    std::int64_t anchorFrames = 0;
    bool stalled = false;
    while (!quit_ && static_cast<double>(frames) < seconds * kRate) {
      for (std::size_t i = 0; i < kPieceFrames; ++i) {
        const double t = static_cast<double>(frames + static_cast<std::int64_t>(i)) / kRate;
        phase += 2.0 * std::numbers::pi * (kStartHz + kClimbHzPerSecond * t) / kRate;
        const auto value = static_cast<std::int16_t>(std::lrint(0.3 * 32767.0 * std::sin(phase)));
        piece[2 * i] = piece[2 * i + 1] = value;
      }
      buffer.Feed(piece, kRate);
      frames += kPieceFrames;
      if (stallAt >= 0 && !stalled && static_cast<double>(frames) >= stallAt * kRate) {
        stalled = true;
        std::this_thread::sleep_for(std::chrono::seconds(1));
        anchor = Clock::now();
        anchorFrames = frames;
      }
      const double due = static_cast<double>(frames - anchorFrames) / kRate / speed;
      std::this_thread::sleep_until(
          anchor + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(due)));
    }
    if (!quit_) buffer.Idle();
  }

  std::atomic<bool> quit_ = false;
  std::thread thread_;
};

class StreamPaceTimed : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A short source timeout: the tests of a hung title and of a lost connection last past it.
    IcecastOptions options;
    options.sourceTimeoutSeconds = kSourceTimeout;
    server_ = std::make_unique<IcecastServer>(options);
    ASSERT_TRUE(server_->Start());
  }
  static void TearDownTestSuite() { server_.reset(); }

  // The listener's capture of the fed tone, from its first sound on, `seconds` long.
  static std::vector<float> Capture(double speed, double stallAt, double seconds) {
    const std::string mount = "/pace" + std::to_string(++mounts_) + ".mp3";
    IcecastStream stream(IcecastUrl{"source", "127.0.0.1", server_->port(), mount}, "hackme");
    if (!QTest::qWaitFor([&] { return server_->HasSource(mount); }, 10000)) return {};
    StreamListener listener;
    if (!listener.Connect(server_->ListenUrl(mount))) return {};
    const PacedFeeder feeder(stream.buffer(), speed, stallAt);
    // Past the silence sent before the music began.
    while (true) {
      const auto piece = listener.Read(0.005, 10000);
      if (!piece) return {};
      if (RmsOf(*piece) > 0.1) break;
    }
    return listener.Read(seconds, 30000).value_or(std::vector<float>{});
  }

  // The longest run of silence in the capture, in seconds (5 ms steps).
  static double LongestHole(const std::vector<float>& samples) {
    const std::size_t window = kRate / 200;
    std::size_t run = 0, longest = 0;
    for (std::size_t at = 0; at + window <= samples.size(); at += window) {
      const std::vector<float> part(samples.begin() + static_cast<long>(at),
                                    samples.begin() + static_cast<long>(at + window));
      run = RmsOf(part) < 0.02 ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    return static_cast<double>(longest * window) / kRate;
  }

  // The pitch's climb between successive fifths of a second of the capture, in Hz.
  static std::vector<double> Climbs(const std::vector<float>& samples) {
    const std::size_t window = kRate / 5;
    std::vector<double> pitches;
    for (std::size_t at = 0; at + window <= samples.size(); at += window) {
      pitches.push_back(StrongestFrequency({samples.begin() + static_cast<long>(at),
                                            samples.begin() + static_cast<long>(at + window)},
                                           kRate));
    }
    std::vector<double> climbs;
    for (std::size_t i = 1; i < pitches.size(); ++i) climbs.push_back(pitches[i] - pitches[i - 1]);
    return climbs;
  }

  // Every fifth of a second climbs by 40 Hz, as fed: nothing was left out or sent twice.
  static void ExpectTheMusicAsFed(const std::vector<float>& heard, double seconds) {
    ASSERT_GE(heard.size(), static_cast<std::size_t>(seconds * kRate));
    EXPECT_LT(LongestHole(heard), 0.030);
    const std::vector<double> climbs = Climbs(heard);
    for (std::size_t i = 0; i < climbs.size(); ++i) {
      EXPECT_NEAR(climbs[i], kClimbHzPerSecond / 5, 8.0) << "at " << (i + 1) * 0.2 << " s";
    }
  }

  static std::unique_ptr<IcecastServer> server_;
  static int mounts_;
};
std::unique_ptr<IcecastServer> StreamPaceTimed::server_;
int StreamPaceTimed::mounts_ = 0;

TEST_F(StreamPaceTimed, ASlowOrFastSoundCardIsFollowedWithoutHolesOrDroppedPieces) {
  // 10 % slow and 50 % fast: the drift of a real card (0.01 %) over hours, in seconds.
  for (const double speed : {0.9, 1.5}) {
    SCOPED_TRACE(speed);
    ExpectTheMusicAsFed(Capture(speed, -1, 9.0), 9.0);
  }
}

TEST_F(StreamPaceTimed, APlaybackStallDelaysTheStreamOnceWithoutSilenceOrRepeats) {
  ExpectTheMusicAsFed(Capture(1.0, 3.0, 9.0), 9.0);
}

TEST_F(StreamPaceTimed, ATitleWhoseHostLookUpHangsDoesNotHoldUpTheAudio) {
  const std::string mount = "/lookup.mp3";
  IcecastStream stream(IcecastUrl{"source", spindeck::testing::kSlowHost, server_->port(), mount},
                       "hackme");
  ASSERT_TRUE(QTest::qWaitFor([&] { return server_->HasSource(mount); }, 10000));
  StreamListener listener;
  ASSERT_TRUE(listener.Connect(server_->ListenUrl(mount)));
  listener.Read(1.0, 10000);
  spindeck::testing::HoldLookUps(true);
  stream.SetTitle("mid song");
  // Past the server's source timeout, each second of the stream arriving in its time.
  for (int second = 0; second < kSourceTimeout + 2; ++second) {
    ASSERT_TRUE(listener.Read(1.0, 2000)) << "after " << second << " s";
  }
  EXPECT_GT(spindeck::testing::HeldLookUps(), 0);  // the title's request still waits
  spindeck::testing::HoldLookUps(false);
  EXPECT_TRUE(QTest::qWaitFor([&] { return server_->Title(mount) == "mid song"; }, 10000));
}

TEST_F(StreamPaceTimed, AConnectionCutOnOurSideIsBackSoonAfterTheServerLetsTheMountGo) {
  const std::string mount = "/cut.mp3";
  spindeck::testing::CuttingProxy proxy(server_->port());
  IcecastStream stream(IcecastUrl{"source", "127.0.0.1", proxy.port(), mount}, "hackme");
  ASSERT_TRUE(QTest::qWaitFor([&] { return server_->HasSource(mount); }, 10000));
  const std::string started = server_->SourceField(mount, "stream_start_iso8601");
  proxy.CutClients();
  // The server holds the mount for its silent source until its source timeout;
  // the stream tries again meanwhile, rather than waiting a minute.
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        const std::string now = server_->SourceField(mount, "stream_start_iso8601");
        return !now.empty() && now != started;
      },
      25000));
}

// Whether `uplink` (a source's request, then its MP3) carries an unbroken chain of whole MPEG-1
// Layer III frames from its request's end to its last byte, which may cut only the last frame.
testing::AssertionResult WholeMp3Frames(const QByteArray& uplink) {
  static constexpr int kKilobits[] = {0,   32,  40,  48,  56,  64,  80, 96,
                                      112, 128, 160, 192, 224, 256, 320};
  static constexpr int kRates[] = {44100, 48000, 32000};
  qsizetype at = uplink.indexOf("\r\n\r\n");
  if (at < 0) return testing::AssertionFailure() << "no request";
  at += 4;
  int frames = 0;
  while (uplink.size() - at >= 4) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(uplink[at + i]); };
    const int bitrate = byte(2) >> 4, rate = (byte(2) >> 2) & 3;
    if (byte(0) != 0xFF || (byte(1) & 0xFE) != 0xFA || bitrate == 0 || bitrate == 15 || rate == 3) {
      return testing::AssertionFailure()
             << "no frame at byte " << at << " after " << frames << " whole frames";
    }
    at += 144000 * kKilobits[bitrate] / kRates[rate] + ((byte(2) >> 1) & 1);
    ++frames;
  }
  return testing::AssertionSuccess() << frames << " frames";
}

TEST_F(StreamPaceTimed, ASlowUplinkIsToldOnceLeavesOutWholeFramesAndRecovers) {
  const std::string mount = "/slow.mp3";
  spindeck::testing::CuttingProxy proxy(server_->port());
  // The highest bit rate, so that what the uplink cannot carry piles up within seconds.
  platform::StreamOptions options;
  options.kilobitsPerSecond = 320;
  const spindeck::testing::StderrCapture errors;
  IcecastStream stream(IcecastUrl{"source", "127.0.0.1", proxy.port(), mount}, "hackme", options);
  ASSERT_TRUE(QTest::qWaitFor([&] { return server_->HasSource(mount); }, 10000));
  const PacedFeeder feeder(stream.buffer(), 1.0, -1, 60.0);
  // Below the stream's 40 kB/s: past what libshout and a bounded socket hold (a second or
  // two), audio is left out, not kept to be heard minutes late.
  proxy.LimitUplink(14000);
  ASSERT_TRUE(QTest::qWaitFor([&] { return errors.Count("cannot keep up") > 0; }, 20000))
      << errors.text();
  QTest::qWait(1000);
  proxy.LimitUplink(0);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return errors.Count("carries all of the audio again") > 0; }, 5000))
      << errors.text();
  StreamListener listener;
  ASSERT_TRUE(listener.Connect(server_->ListenUrl(mount)));
  listener.Read(0.5, 5000);
  const auto heard = listener.Read(1.0, 5000);
  ASSERT_TRUE(heard);
  EXPECT_GT(RmsOf(*heard), 0.1);
  EXPECT_EQ(errors.Count("cannot keep up"), 1) << errors.text();
  EXPECT_EQ(errors.Count("carries all of the audio again"), 1) << errors.text();
  EXPECT_EQ(errors.Count("reconnecting"), 0) << errors.text();
  EXPECT_TRUE(WholeMp3Frames(proxy.lastUplink()));
}

// Both of the player's threads stuck at once: the sound server frozen, and the stream's
// connection in a look-up of its host that does not return.
TEST(StreamEndTimed, ThePlayersEndTakesAtMostTwoSecondsInAll) {
  spindeck::testing::PrivatePulseServer pulse;
  SPINDECK_START_PULSE_OR_SKIP(pulse);
  const QTemporaryDir songs;
  const std::string song = songs.filePath("long.mp3").toStdString();
  ASSERT_TRUE(spindeck::testing::MakeTestSong(QString::fromStdString(song),
                                              {"--seconds", "60", "--volume", "0.1"}));
  qputenv("SPINDECK_AUDIO", "pulse");
  auto player = std::make_unique<platform::MediaPlayer>();
  qunsetenv("SPINDECK_AUDIO");
  player->Open(song);
  ASSERT_TRUE(QTest::qWaitFor([&] { return player->CurrentPosition() > 0.2; }, 20000));
  ASSERT_EQ(player->OutputName(), "pulse");
  pulse.Freeze();
  // The playback thread is soon stuck in a write.
  bool stuck = false;
  for (double last = -1.0; !stuck && player->CurrentPosition() < 30.0;) {
    const double now = player->CurrentPosition();
    stuck = now == last;
    last = now;
    QTest::qWait(300);
  }
  ASSERT_TRUE(stuck);
  spindeck::testing::HoldLookUps(true);
  player->StartStream(IcecastUrl{"source", spindeck::testing::kSlowHost, 8000, "/end.mp3"},
                      "hackme");
  ASSERT_TRUE(QTest::qWaitFor([] { return spindeck::testing::HeldLookUps() > 0; }, 5000));

  const auto start = Clock::now();
  player.reset();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_LT(seconds, 2.0);
  spindeck::testing::HoldLookUps(false);
  pulse.Thaw();
}

}  // namespace
