// The player's stream against a real Icecast server, heard by a listener over HTTP. The player
// plays to the paced null output, so the stream gets audio in real time as from a sound server.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>

#include "platform/mediaplayer/icecast_url.h"
#include "platform/mediaplayer/media_player.h"
#include "tests/support/icecast_server.h"
#include "tests/support/stderr_capture.h"
#include "tests/support/stream_listener.h"
#include "tests/support/test_certificates.h"
#include "tests/support/test_songs.h"
#include "tests/support/watchdog.h"

namespace {

using platform::IcecastUrl;
using platform::MediaPlayer;
using spindeck::testing::IcecastOptions;
using spindeck::testing::IcecastServer;
using spindeck::testing::MakeTestSong;
using spindeck::testing::MakeToneSong;
using spindeck::testing::QuietestRms;
using spindeck::testing::RmsOf;
using spindeck::testing::StderrCapture;
using spindeck::testing::StreamListener;
using spindeck::testing::StrongestFrequency;

constexpr char kMount[] = "/spindeck.mp3";
constexpr int kPlayingState = 2;

class StreamTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    songs_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(MakeToneSong(songs_->filePath("tone.mp3"), 440, 60));
    ASSERT_TRUE(MakeTestSong(songs_->filePath("tone48k.mp3"),
                             {"--rate", "48000", "--freq", "880", "--seconds", "20"}));
  }
  static void TearDownTestSuite() { songs_.reset(); }
  void SetUp() override { qputenv("SPINDECK_AUDIO", "null"); }
  void TearDown() override { qunsetenv("SPINDECK_AUDIO"); }

  static std::string TonePath() { return songs_->filePath("tone.mp3").toStdString(); }
  static IcecastUrl UrlOf(const IcecastServer& server) {
    return IcecastUrl{"source", "127.0.0.1", server.port(), kMount};
  }
  // The next `seconds` of what the server sends from now on.
  static std::vector<float> HearNext(StreamListener& listener, double seconds) {
    listener.Skip();
    // What the server and the stream's buffer already held is passed over.
    listener.Read(1.0, 10000);
    return listener.Read(seconds, 20000).value_or(std::vector<float>{});
  }

  // How much louder `a` is than `b`, in decibels.
  static double DecibelsBetween(const std::vector<float>& a, const std::vector<float>& b) {
    return 20.0 * std::log10(std::max(RmsOf(a), 1e-9) / std::max(RmsOf(b), 1e-9));
  }

  // The quietest 10 ms of the samples: a gap or a dropped piece in a steady tone shows here.
  static std::unique_ptr<QTemporaryDir> songs_;
};
std::unique_ptr<QTemporaryDir> StreamTest::songs_;

TEST_F(StreamTest, ListenerHearsWhatPlaysAfterRateAndVolumeSilenceWhenStoppedAndTitles) {
  IcecastServer server;
  ASSERT_TRUE(server.Start());
  MediaPlayer player;
  EXPECT_FALSE(player.Streaming());
  player.StartStream(UrlOf(server), "hackme");
  EXPECT_TRUE(player.Streaming());
  player.SetStreamTitle("modem hearts - caf\xE1");
  player.Open(TonePath());
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.HasSource(kMount); }, 10000));

  StreamListener listener;
  ASSERT_TRUE(listener.Connect(server.ListenUrl(kMount)));
  const std::vector<float> tone = HearNext(listener, 3.0);
  EXPECT_EQ(listener.rate(), 44100);
  EXPECT_NEAR(StrongestFrequency(tone, listener.rate()), 440.0, 3.0);
  EXPECT_GT(QuietestRms(tone, listener.rate()), 0.1);  // the tone's is 0.35
  // The title arrives as UTF-8, its non-ASCII letter intact.
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return server.Title(kMount) == std::string("modem hearts - caf\u00e1"); }, 5000))
      << server.Title(kMount).value_or("(no source)");

  player.SetRate(1.2);
  const std::vector<float> faster = HearNext(listener, 3.0);
  EXPECT_NEAR(StrongestFrequency(faster, listener.rate()), 528.0, 3.0);

  // The DJ's own volume is his speakers' only: the stream stays at full level.
  player.SetRate(1.0);
  const std::vector<float> full = HearNext(listener, 2.0);
  player.SetVolume(MediaPlayer::kMinVolume);
  const std::vector<float> quiet = HearNext(listener, 2.0);
  ASSERT_FALSE(quiet.empty());
  EXPECT_NEAR(DecibelsBetween(quiet, full), 0.0, 0.5);

  player.SetVolume(0);
  player.Stop();
  const std::vector<float> stopped = HearNext(listener, 3.0);
  ASSERT_FALSE(stopped.empty());
  EXPECT_LT(RmsOf(stopped), 0.001);
  EXPECT_TRUE(listener.connected());
  // Stopped: listeners see no title; the song played again brings its title back.
  EXPECT_TRUE(QTest::qWaitFor([&] { return server.Title(kMount) == std::string(); }, 5000))
      << server.Title(kMount).value_or("(no source)");
  player.Play();
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return server.Title(kMount) == std::string("modem hearts - caf\u00e1"); }, 5000));
  player.Stop();

  // A listener that asks for titles inside the stream gets them whole, in UTF-8.
  StreamListener icy;
  ASSERT_TRUE(icy.Connect(server.ListenUrl(kMount), 10000, true));
  player.SetStreamTitle("caf\xE1 \x96 next song");
  const std::string utf8 = "caf\u00e1 \u2013 next song";
  EXPECT_TRUE(QTest::qWaitFor([&] { return server.Title(kMount) == utf8; }, 5000));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        icy.Read(0.1, 100);
        return icy.icyTitle() == utf8;
      },
      10000))
      << icy.icyTitle().value_or("(none)");
  player.SetStreamTitle("next song");
  EXPECT_TRUE(QTest::qWaitFor([&] { return server.Title(kMount) == "next song"; }, 5000));

  // A song at another rate: the stream goes on at 44.1 kHz, in tune.
  player.Open(songs_->filePath("tone48k.mp3").toStdString());
  const std::vector<float> resampled = HearNext(listener, 2.0);
  EXPECT_EQ(listener.rate(), 44100);
  EXPECT_NEAR(StrongestFrequency(resampled, listener.rate()), 880.0, 3.0);

  // A stream started anew, here to another mount, keeps the title; its own gain sets its level.
  platform::StreamOptions options;
  options.gainDb = -6.0;
  options.name = "caf\u00e1 radio";
  options.genre = "chiptune";
  options.description = "all night";
  options.url = "http://radio.example/";
  player.StartStream(IcecastUrl{"source", "127.0.0.1", server.port(), "/other.mp3"}, "hackme",
                     options);
  EXPECT_TRUE(QTest::qWaitFor([&] { return server.Title("/other.mp3") == "next song"; }, 10000));
  StreamListener other;
  ASSERT_TRUE(other.Connect(server.ListenUrl("/other.mp3")));
  EXPECT_NEAR(DecibelsBetween(HearNext(other, 2.0), resampled), -6.0, 0.5);
  // The station as the server shows it.
  EXPECT_EQ(server.SourceField("/other.mp3", "server_name"), "caf\u00e1 radio");
  EXPECT_EQ(server.SourceField("/other.mp3", "genre"), "chiptune");
  EXPECT_EQ(server.SourceField("/other.mp3", "server_description"), "all night");
  EXPECT_EQ(server.SourceField("/other.mp3", "server_url"), "http://radio.example/");
}

TEST_F(StreamTest, AnOpusStreamIsHeardInTuneWithItsTitlesInsideTheStream) {
  IcecastServer server;
  ASSERT_TRUE(server.Start());
  constexpr char kOpusMount[] = "/spindeck.opus";
  platform::StreamOptions options;
  options.format = platform::StreamFormat::kOpus;
  MediaPlayer player;
  player.StartStream(IcecastUrl{"source", "127.0.0.1", server.port(), kOpusMount}, "hackme",
                     options);
  player.SetStreamTitle("modem hearts - caf\xE1");
  player.Open(TonePath());
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.HasSource(kOpusMount); }, 10000));

  StreamListener listener;
  ASSERT_TRUE(listener.Connect(server.ListenUrl(kOpusMount)));
  EXPECT_EQ(listener.contentType(), "application/ogg");
  const std::vector<float> tone = HearNext(listener, 3.0);
  EXPECT_EQ(listener.rate(), 48000);
  EXPECT_NEAR(StrongestFrequency(tone, listener.rate()), 440.0, 3.0);
  EXPECT_GT(QuietestRms(tone, listener.rate()), 0.1);
  EXPECT_EQ(listener.oggTitle(), std::string("modem hearts - caf\u00e1"));

  // A new title starts a new stream in the chain; the listener goes on hearing the song.
  player.SetStreamTitle("next song");
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        listener.Read(0.1, 100);
        return listener.oggTitle() == std::string("next song");
      },
      10000))
      << listener.oggTitle().value_or("(none)");
  const std::vector<float> after = HearNext(listener, 2.0);
  EXPECT_NEAR(StrongestFrequency(after, listener.rate()), 440.0, 3.0);
  EXPECT_GT(QuietestRms(after, listener.rate()), 0.1);
}

TEST_F(StreamTest, OverTlsStreamAndTitleGoThroughAndAnUnknownAuthorityIsRefused) {
  const QTemporaryDir certificates;
  QString ca, certificate, key, otherCa, otherCertificate, otherKey;
  ASSERT_TRUE(spindeck::testing::MakeTestCertificates(certificates.filePath("ours"), "localhost",
                                                      ca, certificate, key));
  ASSERT_TRUE(spindeck::testing::MakeTestCertificates(certificates.filePath("other"), "localhost",
                                                      otherCa, otherCertificate, otherKey));
  // The server's certificate and key in one file, which the server reads as its own user.
  const std::string pem = certificates.filePath("server.pem").toStdString();
  {
    std::ofstream out(pem);
    for (const QString& part : {certificate, key}) {
      std::ifstream in(part.toStdString());
      out << in.rdbuf();
    }
  }
  ::chmod(pem.c_str(), 0644);
  ::chmod(certificates.path().toLocal8Bit().constData(), 0755);
  IcecastOptions options;
  options.tlsCertificate = pem;
  IcecastServer server(options);
  ASSERT_TRUE(server.Start()) << server.log();
  const auto url = [&](const std::string& host, const QString& caFile, const std::string& mount) {
    IcecastUrl result("source", host, server.tlsPort(), mount, true, caFile.toStdString());
    return result;
  };

  MediaPlayer player;
  player.StartStream(url("localhost", ca, "/tls.mp3"), "hackme");
  player.SetStreamTitle("over tls");
  player.Open(TonePath());
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.HasSource("/tls.mp3"); }, 10000)) << server.log();
  // The title request goes over TLS too.
  EXPECT_TRUE(QTest::qWaitFor([&] { return server.Title("/tls.mp3") == "over tls"; }, 5000));

  // A certificate from an authority the stream does not know is refused, and said so once.
  const StderrCapture errors;
  MediaPlayer unknownCa;
  unknownCa.StartStream(url("localhost", otherCa, "/unknown.mp3"), "hackme");
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return errors.Count("certificate that is not trusted") > 0; }, 10000))
      << errors.text();
  EXPECT_FALSE(server.HasSource("/unknown.mp3"));
  EXPECT_EQ(errors.Count("trusted"), 1) << errors.text();
}

TEST_F(StreamTest, ServerRestartBringsTheStreamBackWhilePlaybackGoesOn) {
  IcecastServer server;
  ASSERT_TRUE(server.Start());
  const StderrCapture errors;
  MediaPlayer player;
  player.StartStream(UrlOf(server), "hackme");
  player.SetStreamTitle("before");
  player.Open(TonePath());
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.HasSource(kMount); }, 10000));

  server.Stop();
  const double before = player.CurrentPosition();
  // Down long enough for the stream to notice and try again a few times.
  EXPECT_TRUE(QTest::qWaitFor([&] { return player.CurrentPosition() > before + 3.0; }, 20000));
  ASSERT_TRUE(server.Start());
  EXPECT_TRUE(QTest::qWaitFor([&] { return server.HasSource(kMount); }, 10000));
  EXPECT_EQ(player.PlayState(), kPlayingState);
  EXPECT_GT(player.CurrentPosition(), before + 3.0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return server.Title(kMount) == "before"; }, 5000));

  StreamListener listener;
  ASSERT_TRUE(listener.Connect(server.ListenUrl(kMount)));
  const std::vector<float> heard = HearNext(listener, 2.0);
  EXPECT_NEAR(StrongestFrequency(heard, listener.rate()), 440.0, 3.0);
  // The loss and the return are told once each, however many tries it took.
  EXPECT_EQ(errors.Count("was lost"), 1) << errors.text();
  EXPECT_EQ(errors.Count("cannot stream"), 0) << errors.text();
  EXPECT_EQ(errors.Count("streaming again to " + server.ListenUrl(kMount)), 1) << errors.text();
}

TEST_F(StreamTest, RefusedLoginIsToldOnceAndPlayingGoesOn) {
  IcecastOptions options;
  options.sourcePassword = "right";
  // Listeners of the free mount hear the fallback: a wrong password is no "mount in use".
  options.fallbackMount = "/fallback.mp3";
  IcecastServer server(options);
  ASSERT_TRUE(server.Start());
  MediaPlayer fallback;
  fallback.StartStream(IcecastUrl{"source", "127.0.0.1", server.port(), "/fallback.mp3"}, "right");
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.HasSource("/fallback.mp3"); }, 10000));
  const StderrCapture errors;
  MediaPlayer wrong;
  wrong.StartStream(UrlOf(server), "wrong");
  wrong.Open(TonePath());
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return errors.Count("refused the source password") > 0; }, 10000));

  // A second source for a mount that has one is refused too, with its own reason.
  MediaPlayer first;
  first.StartStream(UrlOf(server), "right");
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.HasSource(kMount); }, 10000));
  MediaPlayer second;
  second.StartStream(UrlOf(server), "right");
  EXPECT_TRUE(QTest::qWaitFor([&] { return errors.Count("already has a source") > 0; }, 10000));

  const double position = wrong.CurrentPosition();
  EXPECT_TRUE(QTest::qWaitFor([&] { return wrong.CurrentPosition() > position + 1.0; }, 10000));
  EXPECT_EQ(wrong.PlayState(), kPlayingState);
  EXPECT_EQ(errors.Count("refused the source password"), 1) << errors.text();
  EXPECT_EQ(errors.Count("already has a source"), 1) << errors.text();
}

TEST_F(StreamTest, StalledServerHoldsUpNeitherPlaybackNorTheEnd) {
  IcecastServer server;
  ASSERT_TRUE(server.Start());
  auto player = std::make_unique<MediaPlayer>();
  player->StartStream(UrlOf(server), "hackme");
  player->SetStreamTitle("stalled");
  player->Open(TonePath());
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.HasSource(kMount); }, 10000));

  ASSERT_EQ(kill(static_cast<pid_t>(server.pid()), SIGSTOP), 0);
  // Long enough for the socket's buffers to fill and a new title to be tried.
  const double position = player->CurrentPosition();
  player->SetStreamTitle("still stalled");
  EXPECT_TRUE(QTest::qWaitFor([&] { return player->CurrentPosition() > position + 8.0; }, 30000));
  EXPECT_EQ(player->PlayState(), kPlayingState);
  {
    const spindeck::testing::Watchdog bound(std::chrono::seconds(30), "destroying the player");
    player.reset();  // returns within its bound although the server takes nothing
  }
  kill(static_cast<pid_t>(server.pid()), SIGCONT);
}

// Enough of an Icecast server to take a source and count what it sends; title updates (and
// anything else) it takes in and never answers, as a busy or broken server might.
class MuteTitleServer {
 public:
  MuteTitleServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* client = server_.nextPendingConnection()) {
        QObject::connect(client, &QTcpSocket::readyRead, [this, client] { Read(client); });
      }
    });
  }
  int port() const { return server_.serverPort(); }
  qint64 audioBytes() const { return audioBytes_; }

 private:
  void Read(QTcpSocket* client) {
    if (client == source_) {
      audioBytes_ += client->readAll().size();
      return;
    }
    QByteArray& request = requests_[client];
    request += client->readAll();
    if (!request.contains("\r\n\r\n")) return;
    if (request.startsWith("PUT ") || request.startsWith("SOURCE ")) {
      source_ = client;
      client->write("HTTP/1.0 200 OK\r\n\r\n");
      audioBytes_ += request.size() - request.indexOf("\r\n\r\n") - 4;
    }
  }

  QTcpServer server_;
  std::map<QTcpSocket*, QByteArray> requests_;
  QTcpSocket* source_ = nullptr;
  qint64 audioBytes_ = 0;
};

TEST_F(StreamTest, AServerThatNeverAnswersTitlesStillGetsTheAudio) {
  MuteTitleServer server;
  MediaPlayer player;
  player.StartStream(IcecastUrl{"source", "127.0.0.1", server.port(), kMount}, "hackme");
  player.Open(TonePath());
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.audioBytes() > 16000; }, 10000));
  player.SetStreamTitle("unanswered");
  // Several seconds of audio (16 kB each) after the title: the stream's thread is not held.
  const qint64 before = server.audioBytes();
  EXPECT_TRUE(QTest::qWaitFor([&] { return server.audioBytes() > before + 64000; }, 20000));
}

TEST_F(StreamTest, PlayerEndsAgainstAServerThatNeverAnswers) {
  // Takes connections (the system does, into its backlog) and never says a word.
  QTcpServer silent;
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
  auto player = std::make_unique<MediaPlayer>();
  player->StartStream(IcecastUrl{"source", "127.0.0.1", silent.serverPort(), kMount}, "hackme");
  player->Open(TonePath());
  ASSERT_TRUE(silent.waitForNewConnection(10000));
  const spindeck::testing::Watchdog bound(std::chrono::seconds(30), "destroying the player");
  player.reset();  // returns within its bound rather than waiting for the server
}

}  // namespace
