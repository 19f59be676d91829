#include "src/music/id3_tag.h"

#include "tests/music/music_fixture.h"

namespace spindeck::testing {
namespace {

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

TEST_F(Id3Test, CommandNeedsAnOpenFile) {
  EXPECT_EQ(say("id3"), replies({"error: no mp3 file loaded"}));
  EXPECT_TRUE(say("id3 now").empty());
}

}  // namespace
}  // namespace spindeck::testing
