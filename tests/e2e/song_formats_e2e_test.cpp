// Songs of every format beside MP3 through the program and the chat: the library lists them,
// each plays and shows its exact length and its tag, files whose content cannot be played are
// refused and the program goes on, and "del" removes a FLAC as it does an MP3.
#include <gtest/gtest.h>

#include <QFile>

#include "tests/support/format_songs.h"
#include "tests/support/jukebox.h"

namespace spindeck::e2e {
namespace {

using testing::FormatSongSpec;
using testing::MakeFormatSong;
using testing::SongFormat;

TEST(SongFormatsE2E, EveryFormatPlaysShowsItsLengthAndTagAndBadFilesAreRefused) {
  Jukebox deck;
  ASSERT_TRUE(deck.started());
  const testing::SongTagText tag{"Blue Sky", "The Band", "First Light", "1999-04-01", "Lossless"};
  const auto make = [&](const QString& name, SongFormat format, double seconds,
                        const testing::SongTagText& text = {}) {
    return MakeFormatSong(deck.song(name), FormatSongSpec{format, seconds, 440.0, text});
  };
  ASSERT_TRUE(make("Alpha.FLAC", SongFormat::kFlac16, 3.0, tag));
  ASSERT_TRUE(make("beta.mp3", SongFormat::kFlac24At96k, 2.5));  // a FLAC named .mp3
  ASSERT_TRUE(make("chain.oga", SongFormat::kVorbisChained, 2.0));
  ASSERT_TRUE(make("delta.Opus", SongFormat::kOpusStereo, 2.0));
  ASSERT_TRUE(make("echo.WAV", SongFormat::kWavFloat, 2.0));
  QFile text(deck.song("fake.flac"));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("not a song at all\n");
  text.close();
  QFile empty(deck.song("zero.ogg"));
  ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
  empty.close();
  EXPECT_EQ(deck.Refresh(), Line("<b>01</b> dirs refeshed! <b>007</b> files"));

  // Each song's length is known at once, to the second as "pos" shows it.
  const std::vector<std::pair<std::string, std::string>> songs = {{"01</b>. alpha", "00:03"},
                                                                  {"02</b>. beta", "00:02"},
                                                                  {"03</b>. chain", "00:02"},
                                                                  {"04</b>. delta", "00:02"},
                                                                  {"05</b>. echo", "00:02"}};
  for (std::size_t i = 0; i < songs.size(); ++i) {
    const auto& [display, length] = songs[i];
    SCOPED_TRACE(display);
    EXPECT_EQ(deck.Ask("p " + std::to_string(i + 1)), Line("playing: <b>" + display));
    const std::string pos = deck.Pos();
    EXPECT_NE(pos.find("</b>/<b>" + length + "</b>"), std::string::npos) << pos;
  }

  EXPECT_EQ(deck.Ask("p 6"), Line("error: <u>06</b>. fake</u> cannot be played"));
  EXPECT_EQ(deck.Ask("p 7"), Line("error: <u>07</b>. zero</u> cannot be played"));

  EXPECT_EQ(deck.Ask("p 1"), Line("playing: <b>01</b>. alpha"));
  EXPECT_EQ(deck.Ask("id3"), Line("artist: the band"));
  EXPECT_EQ(deck.NextReply(), Line("album: first light"));
  EXPECT_EQ(deck.NextReply(), Line("year: 1999"));
  EXPECT_EQ(deck.NextReply(), Line("song: blue sky"));
  EXPECT_EQ(deck.NextReply(), Line("comment: lossless"));

  EXPECT_EQ(deck.Ask("del"), Line("file deleted sucessfully!"));
  EXPECT_FALSE(QFile::exists(deck.song("Alpha.FLAC")));
}

}  // namespace
}  // namespace spindeck::e2e
