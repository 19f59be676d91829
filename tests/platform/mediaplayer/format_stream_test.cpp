// Songs of the formats beside MP3 through the player's stream to a real Icecast server: a
// listener hears each one decoded, at its pitch and level, one after the other on one stream.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>

#include "platform/mediaplayer/icecast_url.h"
#include "platform/mediaplayer/media_player.h"
#include "tests/support/format_songs.h"
#include "tests/support/icecast_server.h"
#include "tests/support/stream_listener.h"

namespace {

using spindeck::testing::FormatName;
using spindeck::testing::FormatSongSpec;
using spindeck::testing::QuietestRms;
using spindeck::testing::RmsOf;
using spindeck::testing::SongFormat;
using spindeck::testing::StreamListener;
using spindeck::testing::StrongestFrequency;

constexpr char kFormatsMount[] = "/spindeck.mp3";

QString SongFile(const QTemporaryDir& dir, SongFormat format) {
  const char* extension = format == SongFormat::kOpusStereo ? ".opus" : ".flac";
  return dir.filePath(QString::fromStdString(FormatName(format)) + extension);
}

// The quietest 10 ms of the samples: a hole in a steady tone shows here.
TEST(FormatStream, EachFormatReachesTheListenerAtItsPitchAndLevel) {
  qputenv("SPINDECK_AUDIO", "null");  // paced silent output: the stream runs in real time
  QTemporaryDir dir;
  // Different tones, so that what is heard cannot be the previous song's tail.
  const std::vector<FormatSongSpec> songs = {{SongFormat::kFlac16, 6.0, 440.0, {}},
                                             {SongFormat::kFlac24At96k, 6.0, 550.0, {}},
                                             {SongFormat::kOpusStereo, 6.0, 660.0, {}}};
  for (const FormatSongSpec& song : songs) {
    ASSERT_TRUE(spindeck::testing::MakeFormatSong(SongFile(dir, song.format), song));
  }

  spindeck::testing::IcecastServer server;
  ASSERT_TRUE(server.Start());
  platform::MediaPlayer player;
  player.StartStream(platform::IcecastUrl{"source", "127.0.0.1", server.port(), kFormatsMount},
                     "hackme");
  StreamListener listener;
  for (const FormatSongSpec& song : songs) {
    const std::string name = FormatName(song.format);
    player.Open(SongFile(dir, song.format).toStdString());
    ASSERT_FALSE(player.FileName().empty()) << name;
    if (!listener.connected()) {
      ASSERT_TRUE(QTest::qWaitFor([&] { return server.HasSource(kFormatsMount); }, 10000));
      ASSERT_TRUE(listener.Connect(server.ListenUrl(kFormatsMount)));
    }
    // What the server and the stream's buffer held of the song before is passed over.
    listener.Skip();
    listener.Read(1.0, 10000);
    const std::vector<float> heard = listener.Read(2.5, 20000).value_or(std::vector<float>{});
    ASSERT_FALSE(heard.empty()) << name;
    EXPECT_EQ(listener.rate(), 44100) << name;
    EXPECT_NEAR(StrongestFrequency(heard, listener.rate()), song.hz, 3.0) << name;
    // A sine of amplitude 0.5 has an RMS of 0.354; the stream is at full level.
    EXPECT_NEAR(RmsOf(heard), 0.354, 0.04) << name;
    EXPECT_GT(QuietestRms(heard, listener.rate()), 0.1) << name;
  }
  qunsetenv("SPINDECK_AUDIO");
}

}  // namespace
