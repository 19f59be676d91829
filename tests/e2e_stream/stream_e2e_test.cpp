// The program as a source for real Icecast servers: what listeners hear and see, a server that
// goes away and comes back, a relay, and a refused login.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <cmath>
#include <functional>

#include "tests/support/icecast_server.h"
#include "tests/support/jukebox.h"
#include "tests/support/stream_listener.h"
#include "tests/support/test_songs.h"

namespace spindeck::e2e {
namespace {

using testing::IcecastOptions;
using testing::IcecastServer;
using testing::RmsOf;
using testing::StreamListener;
using testing::StrongestFrequency;

constexpr char kMount[] = "/spindeck.mp3";

// Turns the event loop until `done` holds, at most `ms`; whether it came to hold.
bool Within(int ms, const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    Spin(100);
  }
  return true;
}

// Writes the program folder's stream settings for a server on `port`, with a private password
// file.
std::function<void(const QString&)> StreamSettings(int port, const std::string& password) {
  return [port, password](const QString& folder) {
    testing::WriteFile(folder + "/stream-password.txt", QByteArray::fromStdString(password + "\n"));
    QFile::setPermissions(folder + "/stream-password.txt", QFile::ReadOwner | QFile::WriteOwner);
    testing::WriteFile(folder + "/config.dll",
                       "[stream]\r\nURL=icecast://source@127.0.0.1:" + QByteArray::number(port) +
                           kMount + "\r\nPASSWORDFILE=stream-password.txt\r\n");
  };
}

using Heard = std::vector<float>;

// What the listener hears once a change has reached it: after what arrived before, half
// seconds are read until one shows the change (at most 15 s: the stream lags behind the
// player by its buffers, the more on a busy machine), then `seconds` more. Empty when the
// change never came.
Heard HearAfter(StreamListener& listener, const std::function<bool(const Heard&)>& changed,
                double seconds) {
  listener.Skip();
  for (int piece = 0; piece < 30; ++piece) {
    const auto heard = listener.Read(0.5, 10000);
    if (!heard) return {};
    if (changed(*heard)) return listener.Read(seconds, 20000).value_or(Heard{});
  }
  return {};
}

bool Sounding(const Heard& heard) {
  return RmsOf(heard) > 0.01;
}

// The frames the program has played into its wav output so far.
std::size_t Played(const std::string& wav) {
  return testing::ReadWav(wav).frames();
}

TEST(StreamE2E, ListenersHearTheSongItsTitleItsTempoAndVolumeAcrossRelayStopAndRestart) {
  IcecastServer server;
  ASSERT_TRUE(server.Start());
  QTemporaryDir out;
  const std::string wav = out.filePath("heard.wav").toStdString();
  QProcessEnvironment env;
  env.insert("SPINDECK_AUDIO", QString::fromStdString("wav:" + wav));
  Jukebox deck(env, StreamSettings(server.port(), "hackme"));
  ASSERT_TRUE(deck.started());
  const QStringList tone = {"--seconds", "120", "--freq", "440", "--volume", "0.5"};
  ASSERT_TRUE(deck.MakeSong("modem hearts - fifty six k.mp3", tone));
  ASSERT_TRUE(deck.MakeSong("the dial tones - sign on.mp3", tone));
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>002</b> files"));
  EXPECT_EQ(deck.Ask("listen"), Line("listen at: <u>" + server.ListenUrl(kMount) + "</u>"));

  // Silence from the start, before any song, keeps the mount up.
  ASSERT_TRUE(Within(10000, [&] { return server.HasSource(kMount); })) << server.log();
  StreamListener listener;
  ASSERT_TRUE(listener.Connect(server.ListenUrl(kMount)));

  EXPECT_EQ(deck.Ask("p 1"), Line("playing: <b>01</b>. modem hearts - fifty six k"));
  ASSERT_TRUE(Within(10000, [&] { return server.Title(kMount) == "modem hearts - fifty six k"; }))
      << server.Title(kMount).value_or("<no source>");
  const long rate = 44100;
  auto heard = HearAfter(listener, Sounding, 5);
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(listener.rate(), rate);
  EXPECT_NEAR(StrongestFrequency(heard, rate), 440, 3);
  const double fullRms = RmsOf(heard);

  // Each step of itempo is 4 %: five make the tone 20 % higher.
  EXPECT_EQ(deck.Ask("itempo 5"), Line("tempo increased by <b>05</b>"));
  heard = HearAfter(
      listener, [&](const Heard& h) { return StrongestFrequency(h, rate) > 460; }, 5);
  EXPECT_NEAR(StrongestFrequency(heard, rate), 528, 3);
  EXPECT_EQ(deck.Ask("tempo"), Line("tempo set to normal level"));

  // "mvol 0" is the player's lowest volume, 25 dB down on the DJ's speakers; the stream stays
  // at full level. What the stream still held before the command is passed over first.
  EXPECT_EQ(deck.Ask("mvol 0"), Line("ccom volume set to <b>00</b>%"));
  listener.Skip();
  ASSERT_TRUE(listener.Read(5.0, 20000));
  heard = listener.Read(3.0, 20000).value_or(Heard{});
  ASSERT_FALSE(heard.empty());
  EXPECT_NEAR(20.0 * std::log10(RmsOf(heard) / fullRms), 0.0, 0.5);
  EXPECT_EQ(deck.Ask("mvol 100"), Line("ccom volume set to <b>100</b>%"));

  EXPECT_EQ(deck.Ask("next"), Line("playing: <b>02</b>. the dial tones - sign on"));
  EXPECT_TRUE(Within(10000, [&] { return server.Title(kMount) == "the dial tones - sign on"; }))
      << server.Title(kMount).value_or("<no source>");

  // A second server relays the mount: its listeners hear the same tone.
  IcecastServer relay({.relayPort = server.port(), .relayMount = kMount});
  ASSERT_TRUE(relay.Start());
  ASSERT_TRUE(Within(30000, [&] { return relay.HasSource(kMount); })) << relay.log();
  StreamListener relayListener;
  ASSERT_TRUE(relayListener.Connect(relay.ListenUrl(kMount)));
  heard = HearAfter(relayListener, Sounding, 5);
  ASSERT_FALSE(heard.empty());
  EXPECT_NEAR(StrongestFrequency(heard, rate), 440, 3);
  relay.Stop();

  // "stop" keeps the listener connected, and it hears silence.
  EXPECT_EQ(deck.Ask("stop"), Line("song stopped playing"));
  heard = HearAfter(
      listener, [](const Heard& h) { return RmsOf(h) < 0.001; }, 3);
  ASSERT_FALSE(heard.empty());
  EXPECT_LT(RmsOf(heard), 0.001);
  EXPECT_TRUE(listener.connected());

  // The server goes away and comes back: the stream returns, and the song played on locally
  // all the while.
  EXPECT_EQ(deck.Ask("p 1"), Line("playing: <b>01</b>. modem hearts - fifty six k"));
  const std::size_t before = Played(wav);
  server.Stop();
  ASSERT_TRUE(Within(5000, [&] { return Played(wav) > before + 44100; }));
  const std::size_t whileDown = Played(wav);
  ASSERT_TRUE(server.Start());
  EXPECT_TRUE(Within(10000, [&] { return server.HasSource(kMount); })) << server.log();
  EXPECT_GT(Played(wav), whileDown);
  EXPECT_NE(deck.Pos().find("modem hearts"), std::string::npos);
  StreamListener again;
  ASSERT_TRUE(again.Connect(server.ListenUrl(kMount)));
  heard = HearAfter(again, Sounding, 3);
  ASSERT_FALSE(heard.empty());
  EXPECT_NEAR(StrongestFrequency(heard, rate), 440, 3);
}

TEST(StreamE2E, AWrongPasswordIsToldOnceAndThePlayerPlaysOn) {
  IcecastServer server;
  ASSERT_TRUE(server.Start());
  Jukebox deck({}, StreamSettings(server.port(), "not the password"));
  ASSERT_TRUE(deck.started());
  ASSERT_TRUE(deck.MakeSong("tone.mp3", {"--seconds", "30"}));
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>001</b> files"));
  EXPECT_EQ(deck.Ask("p 1"), Line("playing: <b>01</b>. tone"));

  std::string errors;
  const auto told = [&] {
    return QString::fromStdString(errors).count("password", Qt::CaseInsensitive);
  };
  ASSERT_TRUE(Within(15000, [&] {
    errors += deck.program().output().toStdString();
    return told() > 0;
  })) << errors;
  // A later try (the server logs each refused login) still gives the one message, and the
  // program answers as ever.
  const auto refusals = [&] {
    return QString::fromStdString(server.log()).count("invalid or missing password");
  };
  EXPECT_TRUE(Within(90000, [&] { return refusals() >= 2; })) << server.log();
  errors += deck.program().output().toStdString();
  EXPECT_EQ(told(), 1) << errors;
  EXPECT_FALSE(server.HasSource(kMount));
  EXPECT_NE(deck.Pos().find("tone"), std::string::npos);
  EXPECT_EQ(deck.Ask("listen"), Line("listen at: <u>" + server.ListenUrl(kMount) + "</u>"));
}

TEST(StreamE2E, AnOpenPasswordFileIsRefusedAndNothingStreams) {
  const auto settings = StreamSettings(8000, "hackme");
  Jukebox deck({}, [&](const QString& folder) {
    settings(folder);
    QFile::setPermissions(folder + "/stream-password.txt",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
  });
  ASSERT_TRUE(deck.started());
  EXPECT_NE(deck.program().output().toStdString().find("make it private (chmod 600"),
            std::string::npos);
  EXPECT_EQ(deck.Ask("listen"), Line("error: no stream"));
}

}  // namespace
}  // namespace spindeck::e2e
