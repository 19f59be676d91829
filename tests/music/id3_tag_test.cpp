#include "src/music/id3_tag.h"

#include "tests/music/music_fixture.h"
#include "tests/music/silent_song.h"
#include "tests/support/format_songs.h"

namespace spindeck::testing {
namespace {

using spindeck::testing::SongFormat;

// A tag block: the fields as given, each padded to its width with `pad`.
std::string TagBlock(const std::string& id, const std::string& title, const std::string& artist,
                     const std::string& album, const std::string& year, const std::string& comment,
                     char pad = ' ') {
  auto field = [pad](std::string s, std::size_t width) {
    s.resize(width, pad);
    return s;
  };
  return id + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) +
         field(comment, 30) + "\x0c";
}

class Id3Test : public MusicTest {
 protected:
  std::string song(const std::string& name, const std::string& bytes) {
    const auto file = path(name);
    put(file, bytes);
    return file.string();
  }
};

TEST_F(Id3Test, ReadsTheLastBlockAndKeepsLeadingBlanks) {
  const auto file = song("t.mp3", std::string(500, 'x') + TagBlock("TAG", "  My Song", "Art\xE9",
                                                                   "Alb", "    ", "note"));
  TagRecord tag;
  EXPECT_TRUE(ReadTag(tag, file));
  EXPECT_EQ(tag.songTitle, "  My Song" + std::string(21, ' '));
  EXPECT_EQ(GetSongTitle(tag, file), "  My Song");
  EXPECT_EQ(GetArtist(tag, file), "Art\xE9");
  EXPECT_EQ(GetAlbum(tag, file), "Alb");
  EXPECT_EQ(GetYear(tag, file), "");
  EXPECT_EQ(GetComment(tag, file), "note");
}

TEST_F(Id3Test, NoTagShortFilesAndNulPadding) {
  TagRecord tag;
  const auto lower = song("l.mp3", TagBlock("tag", "Title", "A", "B", "1999", "C"));
  EXPECT_TRUE(ReadTag(tag, lower));
  EXPECT_EQ(GetSongTitle(tag, lower), "");
  const auto tiny = song("s.mp3", "TAG tiny");
  EXPECT_TRUE(ReadTag(tag, tiny));
  EXPECT_EQ(tag.artist, std::string(30, ' '));
  EXPECT_FALSE(ReadTag(tag, path("gone.mp3").string()));
  EXPECT_EQ(GetArtist(tag, path("gone.mp3").string()), "");
  // NUL padding (and an ID3v1.1 track byte after the NUL) does not reach the chat.
  std::string block = TagBlock("TAG", "Nul", "Pad", "X", "2001", "c", '\0');
  block[3 + 30 + 30 + 30 + 4 + 29] = '\x07';
  const auto nul = song("n.mp3", block);
  EXPECT_EQ(GetSongTitle(tag, nul), "Nul");
  EXPECT_EQ(GetComment(tag, nul), "c");
  EXPECT_EQ(RemoveSpaces(" a b  c "), "abc");
}

// An ID3v2.4 tag with the given text frames (ISO-8859-1 text).
std::string Id3v2Tag(const std::vector<std::pair<std::string, std::string>>& frames) {
  std::string body;
  for (const auto& [id, text] : frames) {
    const std::string content = std::string(1, '\0') + text;
    body += id;
    for (int shift = 24; shift >= 0; shift -= 8) body += static_cast<char>(content.size() >> shift);
    body += std::string(2, '\0') + content;
  }
  std::string size;
  for (int shift = 21; shift >= 0; shift -= 7)
    size += static_cast<char>((body.size() >> shift) & 0x7F);
  return std::string("ID3\x04\0\0", 6) + size + body;
}

TEST_F(Id3Test, EachFormatReportsTheTagItKeeps) {
  const SongTagText tag{"  Caf\xC3\xA9 \xE2\x98\x83 Song ", "The Band", "First Album", "2004-05-01",
                        "made here"};
  const TagReport expected{"The Band", "First Album", "2004", "Caf\xE9 ? Song", "made here"};
  for (SongFormat format :
       {SongFormat::kFlac16, SongFormat::kFlacPicture, SongFormat::kVorbis,
        SongFormat::kVorbisChained, SongFormat::kOpusMono, SongFormat::kWav16}) {
    SCOPED_TRACE(FormatName(format));
    // Upper-case extensions, and names that say nothing of the content.
    const auto file = path(FormatName(format) + ".MP3").string();
    ASSERT_TRUE(MakeFormatSong(QString::fromStdString(file), {format, 0.2, 440.0, tag}));
    const TagReport report = SongTagReport(file);
    EXPECT_EQ(report.artist, expected.artist);
    EXPECT_EQ(report.album, expected.album);
    EXPECT_EQ(report.year, expected.year);
    EXPECT_EQ(report.title, expected.title);
    EXPECT_EQ(report.comment, expected.comment);
  }
  // Without a tag every field is "n/a".
  const auto bare = path("bare.flac").string();
  ASSERT_TRUE(MakeFormatSong(QString::fromStdString(bare), {SongFormat::kFlac16, 0.2, 440.0, {}}));
  EXPECT_EQ(SongTagReport(bare).title, "n/a");
  EXPECT_EQ(SongTagReport(bare).year, "n/a");
}

TEST_F(Id3Test, AnMp3ReportsItsId3v1TagBeforeItsId3v2Tag) {
  const std::string v2 =
      Id3v2Tag({{"TIT2", "Two Title"}, {"TPE1", "Two Artist"}, {"TDRC", "1999"}});
  const auto only2 = song("only2.mp3", v2 + SilentMp3(0.2));
  EXPECT_EQ(SongTagReport(only2).title, "Two Title");
  EXPECT_EQ(SongTagReport(only2).artist, "Two Artist");
  EXPECT_EQ(SongTagReport(only2).year, "1999");
  EXPECT_EQ(SongTagReport(only2).album, "n/a");
  const auto both = song(
      "both.mp3", v2 + SilentMp3(0.2) + TagBlock("TAG", "One Title", "", "", "2001", "", '\0'));
  EXPECT_EQ(SongTagReport(both).title, "One Title");
  EXPECT_EQ(SongTagReport(both).artist, "n/a");
  EXPECT_EQ(SongTagReport(both).year, "2001");
  const auto none = song("none.mp3", SilentMp3(0.2));
  EXPECT_EQ(SongTagReport(none).title, "n/a");
  EXPECT_EQ(SongTagReport(path("gone.flac").string()).title, "n/a");
}

TEST_F(Id3Test, TagTextIsTrimmedCutAndConverted) {
  EXPECT_EQ(TagFieldText(std::string(" \0 a b \0\0 ", 11)), "a b");
  EXPECT_EQ(TagFieldText("line\r\none\ttab"), "line  one tab");
  EXPECT_EQ(TagFieldText("\xE2\x82\xAC \xF0\x9F\x8E\xB5 \xC3\xA1"), "\x80 ? \xE1");
  const std::string longText = std::string(119, 'x') + " yz";
  EXPECT_EQ(TagFieldText(longText), std::string(119, 'x'));
  EXPECT_EQ(TagFieldText(std::string(130, 'w')).size(), kMaxTagFieldLength);
  EXPECT_EQ(YearOfDate("2004-05-01"), "2004");
  EXPECT_EQ(YearOfDate("May 1987"), "1987");
  EXPECT_EQ(YearOfDate("20041"), "");
  EXPECT_EQ(YearOfDate("no date"), "");
}

TEST_F(Id3Test, CommandNeedsAnOpenFile) {
  EXPECT_EQ(say("id3"), replies({"error: no mp3 file loaded"}));
  EXPECT_TRUE(say("id3 now").empty());
}

}  // namespace
}  // namespace spindeck::testing
