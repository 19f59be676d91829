// The media player against real MP3 files, with the paced null output (SPINDECK_AUDIO=null).
#include "platform/mediaplayer/media_player.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <thread>
#include <utility>

#include "tests/support/test_songs.h"
#include "tests/support/watchdog.h"

namespace {

using platform::MediaPlayer;
using spindeck::testing::MakeTestSong;
using spindeck::testing::WriteFile;

constexpr int kStopped = 0;
constexpr int kPaused = 1;
constexpr int kPlaying = 2;

// Songs shared by every test of the suite, made once.
struct Songs {
  QTemporaryDir dir;
  std::string cbr2, vbr2, vbrNoInfo2, cbr1, tagged1, truncated, junkAhead, damaged;
  std::string missing, empty, text, noise, wavRenamed, headerOnly;

  std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
};
std::unique_ptr<Songs> songs;

class MediaPlayerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    songs = std::make_unique<Songs>();
    Songs& s = *songs;
    ASSERT_TRUE(s.dir.isValid());
    const auto make = [&](const char* name, const QStringList& options) {
      const std::string path = s.Path(name);
      EXPECT_TRUE(MakeTestSong(QString::fromStdString(path), options)) << name;
      return path;
    };
    s.cbr2 = make("cbr2.mp3", {"--seconds", "2"});
    s.vbr2 = make("vbr2.mp3", {"--seconds", "2", "--vbr"});
    s.vbrNoInfo2 = make("vbr-no-info.mp3", {"--seconds", "2", "--vbr", "--no-info-frame"});
    s.cbr1 = make("cbr1.mp3", {"--seconds", "1"});
    s.tagged1 = make("tagged.mp3", {"--seconds", "1", "--vbr", "--title", "Title", "--artist",
                                    "Artist", "--year", "1999"});

    QFile cbr(QString::fromStdString(s.cbr2));
    ASSERT_TRUE(cbr.open(QIODevice::ReadOnly));
    const QByteArray whole = cbr.readAll();
    s.truncated = s.Path("truncated.mp3");
    WriteFile(QString::fromStdString(s.truncated), whole.left(whole.size() / 2));
    s.junkAhead = s.Path("junk-ahead.mp3");
    WriteFile(QString::fromStdString(s.junkAhead), QByteArray("not audio at all\n") + whole);
    QByteArray damaged = whole;
    for (int i = 5000; i < 6000; ++i) damaged[i] = 0x55;
    s.damaged = s.Path("damaged.mp3");
    WriteFile(QString::fromStdString(s.damaged), damaged);
    // The Info frame and a piece of the first audio frame: no complete frame to play.
    s.headerOnly = s.Path("header-only.mp3");
    WriteFile(QString::fromStdString(s.headerOnly), whole.left(600));

    s.missing = s.Path("missing.mp3");
    s.empty = s.Path("empty.mp3");
    WriteFile(QString::fromStdString(s.empty), {});
    s.text = s.Path("text.mp3");
    WriteFile(QString::fromStdString(s.text), "just some words, not a song\n");
    s.noise = s.Path("noise.mp3");
    QByteArray noise(20000, '\0');
    std::uint32_t x = 12345;
    for (char& c : noise) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
    WriteFile(QString::fromStdString(s.noise), noise);
    s.wavRenamed = s.Path("really-a-wav.mp3");
    QProcess sox;
    sox.start("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16",
                      QString::fromStdString(s.Path("tone.wav")), "synth", "1", "sine", "440"});
    ASSERT_TRUE(sox.waitForFinished(30000));
    QFile::copy(QString::fromStdString(s.Path("tone.wav")), QString::fromStdString(s.wavRenamed));
  }
  static void TearDownTestSuite() { songs.reset(); }
  void SetUp() override { qputenv("SPINDECK_AUDIO", "null"); }
};

// Waits on the event loop up to `ms` for the player's end of stream.
bool WaitForEnd(QSignalSpy& spy, int ms) {
  return spy.count() > 0 || spy.wait(ms);
}

// Turns the event loop until `done` holds, for at most 10 s.
bool WaitUntil(const std::function<bool()>& done) {
  return QTest::qWaitFor(done, 10000);
}

// Waits until the position has stopped moving (a pause has been heard), for at most 10 s: for
// tests that run alone, since a starved playback thread stands still too.
bool PositionSettles(const MediaPlayer& player) {
  QElapsedTimer clock;
  clock.start();
  double last = player.CurrentPosition();
  while (clock.elapsed() < 10000) {
    QTest::qWait(100);  // several pieces of audio
    const double now = player.CurrentPosition();
    if (now == last) return true;
    last = now;
  }
  return false;
}

TEST_F(MediaPlayerTest, OpenLoadsAndStartsWithExactDurationForCbrAndVbr) {
  MediaPlayer player;
  for (const std::string& path : {songs->cbr2, songs->vbr2}) {
    player.Open(path);
    EXPECT_EQ(player.FileName(), path);
    EXPECT_NEAR(player.Duration(), 2.0, 1e-6) << path;
    EXPECT_EQ(player.PlayState(), kPlaying);
    EXPECT_LT(player.CurrentPosition(), 0.2);
  }
  player.Open(songs->tagged1);
  EXPECT_NEAR(player.Duration(), 1.0, 1e-6);
}

TEST_F(MediaPlayerTest, TheExactLengthOfAFileWithoutHeaderArrivesLaterWithAStateChange) {
  MediaPlayer player;
  QSignalSpy changes(&player, &MediaPlayer::StateChanged);
  // Without an Info frame Open only estimates; the scan on the player's thread then finds
  // 2 s plus the encoder's delay and padding, which nothing tells the decoder to drop.
  player.Open(songs->vbrNoInfo2);
  EXPECT_EQ(player.FileName(), songs->vbrNoInfo2);
  EXPECT_GT(player.Duration(), 1.0);
  ASSERT_TRUE(WaitUntil([&] { return changes.count() >= 2; }));
  EXPECT_GT(player.Duration(), 2.0);
  EXPECT_LT(player.Duration(), 2.08);
  // Jumps within the exact length are to the sample, up to its very end.
  QSignalSpy ends(&player, &MediaPlayer::EndOfStream);
  player.SetCurrentPosition(player.Duration() - 0.3);
  EXPECT_NEAR(player.CurrentPosition(), player.Duration() - 0.3, 1e-4);
  EXPECT_TRUE(WaitForEnd(ends, 10000));

  // A song replaced at once keeps its own length, not its predecessor's scan.
  player.Open(songs->vbrNoInfo2);
  player.Open(songs->cbr1);
  changes.clear();
  ASSERT_TRUE(WaitUntil([&] { return changes.count() >= 1; }));
  EXPECT_NEAR(player.Duration(), 1.0, 1e-6);
}

TEST_F(MediaPlayerTest, UnplayableFilesLeaveFileNameEmptyAndThePlayerStopped) {
  MediaPlayer player;
  for (const std::string& path : {songs->missing, songs->empty, songs->text, songs->noise,
                                  songs->headerOnly, std::string()}) {
    player.Open(songs->cbr2);
    ASSERT_EQ(player.PlayState(), kPlaying);
    player.Open(path);
    EXPECT_EQ(player.FileName(), "") << path;
    EXPECT_EQ(player.PlayState(), kStopped) << path;
    EXPECT_EQ(player.Duration(), 0.0) << path;
    player.Play();  // nothing to play
    EXPECT_EQ(player.PlayState(), kStopped) << path;
  }
  // The content decides, not the name: a WAV file named ".mp3" plays as the WAV it is.
  player.Open(songs->wavRenamed);
  EXPECT_EQ(player.FileName(), songs->wavRenamed);
  EXPECT_EQ(player.PlayState(), kPlaying);
  EXPECT_NEAR(player.Duration(), 1.0, 1e-6);
}

TEST_F(MediaPlayerTest, DamagedAndCutFilesPlayWhatTheyHold) {
  MediaPlayer player;
  // The Info frame promises 2 s; the scan finds what the file still holds.
  player.Open(songs->truncated);
  EXPECT_EQ(player.FileName(), songs->truncated);
  EXPECT_TRUE(WaitUntil([&] { return player.Duration() < 1.05; })) << player.Duration();
  EXPECT_GT(player.Duration(), 0.9);

  player.Open(songs->junkAhead);
  EXPECT_NEAR(player.Duration(), 2.0, 1e-6);

  // The overwritten frames are skipped; the rest plays to its end.
  QSignalSpy spy(&player, &MediaPlayer::EndOfStream);
  player.Open(songs->damaged);
  EXPECT_EQ(player.FileName(), songs->damaged);
  EXPECT_GT(player.Duration(), 1.8);
  player.SetCurrentPosition(player.Duration() - 0.3);
  EXPECT_TRUE(WaitForEnd(spy, 10000));
}

// Only time shows that a paused or stopped song stays where it is: these run alone.
class MediaPlayerTimed : public MediaPlayerTest {};

TEST_F(MediaPlayerTimed, PauseHoldsThePositionAndPlayResumesIt) {
  MediaPlayer player;
  player.Open(songs->cbr2);
  ASSERT_TRUE(WaitUntil([&] { return player.CurrentPosition() > 0.2; }));
  player.Pause();
  EXPECT_EQ(player.PlayState(), kPaused);
  ASSERT_TRUE(PositionSettles(player));  // the piece being played when the pause came
  const double held = player.CurrentPosition();
  QTest::qWait(300);  // a paused song must not move on meanwhile
  EXPECT_DOUBLE_EQ(player.CurrentPosition(), held);
  player.Pause();  // pausing again changes nothing
  EXPECT_EQ(player.PlayState(), kPaused);

  player.Play();
  EXPECT_EQ(player.PlayState(), kPlaying);
  EXPECT_TRUE(WaitUntil([&] { return player.CurrentPosition() > held + 0.2; }));

  player.Stop();
  EXPECT_EQ(player.PlayState(), kStopped);
  EXPECT_EQ(player.CurrentPosition(), 0.0);
  EXPECT_EQ(player.FileName(), songs->cbr2);
  player.Pause();  // not playing: no effect
  EXPECT_EQ(player.PlayState(), kStopped);
  QTest::qWait(200);  // a stopped song must not move on meanwhile
  EXPECT_EQ(player.CurrentPosition(), 0.0);
  player.Play();
  EXPECT_EQ(player.PlayState(), kPlaying);
  EXPECT_TRUE(WaitUntil([&] { return player.CurrentPosition() > 0.1; }));
}

TEST_F(MediaPlayerTest, EndOfStreamArrivesOnTheEventLoopAfterTheSongsLength) {
  MediaPlayer player;
  QSignalSpy spy(&player, &MediaPlayer::EndOfStream);
  QThread* handlerThread = nullptr;
  int handlerCalls = 0;
  player.SetEndOfStreamHandler([&](int) {
    handlerThread = QThread::currentThread();
    ++handlerCalls;
  });
  QElapsedTimer clock;
  clock.start();
  player.Open(songs->cbr1);
  ASSERT_TRUE(WaitForEnd(spy, 10000));
  EXPECT_GE(clock.elapsed(), 950);  // not cut short
  EXPECT_EQ(handlerThread, QThread::currentThread());
  EXPECT_EQ(player.PlayState(), kStopped);
  EXPECT_EQ(player.FileName(), songs->cbr1);
  EXPECT_EQ(player.CurrentPosition(), 0.0);  // rewound
  EXPECT_EQ(handlerCalls, 1);

  // Play after the end plays it again from the start: the next end is the song's length away,
  // and a doubled report of the first end would have come before it.
  player.Play();
  clock.restart();
  EXPECT_EQ(player.PlayState(), kPlaying);
  EXPECT_TRUE(spy.wait(10000));
  EXPECT_GE(clock.elapsed(), 950);
  EXPECT_EQ(spy.count(), 2);
  EXPECT_EQ(handlerCalls, 2);
}

TEST_F(MediaPlayerTest, SettingThePositionJumpsThereAndTheExactEndEndsTheSong) {
  MediaPlayer player;
  QSignalSpy spy(&player, &MediaPlayer::EndOfStream);
  player.Open(songs->cbr2);
  player.SetCurrentPosition(1.5);
  EXPECT_NEAR(player.CurrentPosition(), 1.5, 1e-4);
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(WaitForEnd(spy, 10000));
  EXPECT_GE(clock.elapsed(), 400);  // the last half second was played

  player.Open(songs->cbr2);
  player.SetCurrentPosition(player.Duration());
  EXPECT_DOUBLE_EQ(player.CurrentPosition(), player.Duration());
  ASSERT_TRUE(spy.wait(10000));
  EXPECT_EQ(player.PlayState(), kStopped);

  // Out of range and NaN.
  player.Open(songs->cbr2);
  player.Pause();
  player.SetCurrentPosition(-5.0);
  EXPECT_EQ(player.CurrentPosition(), 0.0);
  player.SetCurrentPosition(1.25);
  player.SetCurrentPosition(std::numeric_limits<double>::quiet_NaN());
  EXPECT_NEAR(player.CurrentPosition(), 1.25, 1e-4);
  player.SetCurrentPosition(100.0);
  EXPECT_DOUBLE_EQ(player.CurrentPosition(), player.Duration());
  player.Play();
  EXPECT_TRUE(spy.wait(10000));
}

TEST_F(MediaPlayerTimed, PausedAtTheEndTheSongEndsWhenResumedNotBefore) {
  MediaPlayer player;
  QSignalSpy spy(&player, &MediaPlayer::EndOfStream);
  player.Open(songs->cbr2);
  player.Pause();
  player.SetCurrentPosition(100.0);
  QTest::qWait(300);
  EXPECT_EQ(spy.count(), 0);
  player.Play();
  EXPECT_TRUE(spy.wait(10000));
}

TEST_F(MediaPlayerTest, AnEndOvertakenByStopOrOpenIsNotReported) {
  MediaPlayer player;
  QSignalSpy ends(&player, &MediaPlayer::EndOfStream);
  QSignalSpy changes(&player, &MediaPlayer::StateChanged);
  // The playback thread reaches the end and queues its news while the event loop does not
  // run; the player's state shows when it has.
  const auto reachEndUnseen = [&] {
    player.SetCurrentPosition(player.Duration());
    for (int i = 0; i < 10000 && player.PlayState() != kStopped; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(player.PlayState(), kStopped);
  };
  // Opens a song and waits for its scan, whose news is a change of state too.
  const auto openScanned = [&](const std::string& path) {
    changes.clear();
    player.Open(path);
    ASSERT_TRUE(WaitUntil([&] { return changes.count() >= 2; }));
  };
  openScanned(songs->cbr2);
  reachEndUnseen();
  player.Stop();
  // The overtaken news still reports a change of state when it is handled, and only that.
  changes.clear();
  ASSERT_TRUE(WaitUntil([&] { return changes.count() >= 1; }));
  EXPECT_EQ(ends.count(), 0);

  openScanned(songs->cbr2);
  reachEndUnseen();
  player.Open(songs->cbr1);
  changes.clear();  // the overtaken end and the new song's scan follow
  ASSERT_TRUE(WaitUntil([&] { return changes.count() >= 2; }));
  EXPECT_EQ(ends.count(), 0);
  EXPECT_EQ(player.PlayState(), kPlaying);
}

TEST_F(MediaPlayerTest, OpenWhilePlayingReplacesTheSong) {
  MediaPlayer player;
  QSignalSpy spy(&player, &MediaPlayer::EndOfStream);
  player.Open(songs->cbr2);
  ASSERT_TRUE(WaitUntil([&] { return player.CurrentPosition() > 0.2; }));
  QElapsedTimer clock;
  clock.start();
  player.Open(songs->cbr1);
  EXPECT_EQ(player.FileName(), songs->cbr1);
  EXPECT_NEAR(player.Duration(), 1.0, 1e-6);
  EXPECT_LT(player.CurrentPosition(), 0.05);
  ASSERT_TRUE(WaitForEnd(spy, 10000));
  EXPECT_GE(clock.elapsed(), 950);  // the new song, from its start
  EXPECT_EQ(spy.count(), 1);
}

TEST_F(MediaPlayerTest, RatesThatCannotBePlayedAreLimitedAndPlaybackGoesOn) {
  MediaPlayer player;
  EXPECT_EQ(player.Rate(), 1.0);
  player.SetRate(0.0);
  EXPECT_EQ(player.Rate(), MediaPlayer::kMinRate);
  player.SetRate(-3.0);
  EXPECT_EQ(player.Rate(), MediaPlayer::kMinRate);
  player.SetRate(-std::numeric_limits<double>::infinity());
  EXPECT_EQ(player.Rate(), MediaPlayer::kMinRate);
  // A new rate changes the pace of the position, which is announced; a refused one is not.
  QSignalSpy changes(&player, &MediaPlayer::StateChanged);
  player.SetRate(1.2);
  EXPECT_EQ(changes.count(), 1);
  player.SetRate(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(player.Rate(), 1.2);
  EXPECT_EQ(changes.count(), 1);
  player.SetRate(1e300);
  EXPECT_EQ(player.Rate(), MediaPlayer::kMaxRate);
  player.SetRate(std::numeric_limits<double>::infinity());
  EXPECT_EQ(player.Rate(), MediaPlayer::kMaxRate);

  // At four times the speed a 1-second song lasts a quarter of a second; changing the rate
  // while it plays keeps it playing.
  QSignalSpy spy(&player, &MediaPlayer::EndOfStream);
  player.Open(songs->cbr1);
  ASSERT_TRUE(WaitForEnd(spy, 10000));
  player.Open(songs->cbr1);
  ASSERT_TRUE(WaitUntil([&] { return player.CurrentPosition() > 0.1; }));
  player.SetRate(0.0);
  const double slow = player.CurrentPosition();
  ASSERT_TRUE(WaitUntil([&] { return player.CurrentPosition() > slow + 0.05; }));
  player.SetRate(4.0);
  EXPECT_TRUE(WaitForEnd(spy, 10000));
}

TEST_F(MediaPlayerTest, VolumeIsKeptWithinItsRange) {
  MediaPlayer player;
  EXPECT_EQ(player.Volume(), 0);
  player.SetVolume(-2500);
  EXPECT_EQ(player.Volume(), -2500);
  player.SetVolume(300);
  EXPECT_EQ(player.Volume(), 0);
  player.SetVolume(std::numeric_limits<int>::min());
  EXPECT_EQ(player.Volume(), MediaPlayer::kMinVolume);
}

TEST_F(MediaPlayerTest, DestructionWhilePlayingOrPausedEndsThePlayersThreads) {
  {
    const spindeck::testing::Watchdog bound(std::chrono::seconds(30),
                                            "destroying a playing player");
    MediaPlayer player;
    player.Open(songs->cbr2);
    ASSERT_TRUE(WaitUntil([&] { return player.OutputName() == "null"; }));
  }
  {
    const spindeck::testing::Watchdog bound(std::chrono::seconds(30), "destroying a paused player");
    MediaPlayer player;
    player.Open(songs->cbr2);
    player.Pause();
  }
}

TEST_F(MediaPlayerTest, WithoutAnySoundServerTheAutomaticChoiceFallsBackToNullQuickly) {
  if (!QDir("/dev/snd").entryList({"pcmC*"}, QDir::System).isEmpty()) {
    GTEST_SKIP() << "this machine has an ALSA device";
  }
  qunsetenv("SPINDECK_AUDIO");
  const QByteArray oldServer = qgetenv("PULSE_SERVER");
  qputenv("PULSE_SERVER", "unix:/nonexistent/spindeck/pulse/native");
  {
    MediaPlayer player;
    QSignalSpy spy(&player, &MediaPlayer::EndOfStream);
    player.Open(songs->cbr1);
    ASSERT_TRUE(WaitForEnd(spy, 10000));
    EXPECT_EQ(player.OutputName(), "null");
  }
  if (oldServer.isEmpty()) {
    qunsetenv("PULSE_SERVER");
  } else {
    qputenv("PULSE_SERVER", oldServer);
  }
}

}  // namespace
