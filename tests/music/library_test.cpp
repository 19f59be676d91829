#include "src/music/library.h"

#include "src/music/display_name.h"
#include "src/ui/state_list_widget.h"
#include "tests/music/music_fixture.h"

namespace spindeck::testing {
namespace {

class LibraryTest : public MusicTest {};

TEST_F(LibraryTest, ScanOrdersNumbersAndNamesSongs) {
  const auto a = folderWith("a", {"B.mp3", "a.MP3", "notes.txt", "Mix.mp3.mp3"});
  std::filesystem::create_directories(path("a/sub"));
  put(path("a/sub/deep.mp3"), "");
  const auto b = folderWith("b", {"x.mp3"});
  writeDirs(a + "\n" + b + "\n");
  EXPECT_EQ(say("ref"), replies({"<b>02</b> dirs refeshed! <b>004</b> files"}));
  EXPECT_EQ(state.lstpl.entries(),
            (std::vector<std::string>{"01. a", "02. b", "03. mix", "04. x"}));
  EXPECT_EQ(
      state.lstmultidir.entries(),
      (std::vector<std::string>{a + "/a.MP3", a + "/B.mp3", a + "/Mix.mp3.mp3", b + "/x.mp3"}));
  EXPECT_EQ(say("dirs anything"), replies({"<b>02</b> dirs and <b>004</b> files"}));
  // "ref" with an argument does nothing.
  writeDirs("");
  EXPECT_TRUE(say("ref now").empty());
  EXPECT_EQ(state.lstpl.count(), 4);
}

TEST_F(LibraryTest, EveryPlayableFormatIsASongNamedWithoutItsOwnExtension) {
  const auto a = folderWith("a", {"Song.FLAC", "song.mp3", "Tune.ogg", "c.oga", "d.Opus", "e.WAV",
                                  "f.mp3.flac", "g.wma", "h.flac.txt", "i.aiff"});
  writeDirs(a + "\n");
  EXPECT_EQ(say("ref"), replies({"<b>01</b> dirs refeshed! <b>007</b> files"}));
  EXPECT_EQ(state.lstpl.entries(), (std::vector<std::string>{"01. c", "02. d", "03. e", "04. f.mp3",
                                                             "05. song", "06. song", "07. tune"}));
  EXPECT_EQ(state.lstmultidir.entryAt(4), a + "/Song.FLAC");
  EXPECT_EQ(state.lstmultidir.entryAt(5), a + "/song.mp3");
  EXPECT_EQ(say("dirs"), replies({"<b>01</b> dirs and <b>007</b> files"}));
}

TEST_F(LibraryTest, NumbersGrowPastTwoDigitsWithoutPadding) {
  std::vector<std::string> files;
  for (int i = 0; i < 100; ++i) files.push_back("s" + std::to_string(1000 + i) + ".mp3");
  writeDirs(folderWith("m", files));
  EXPECT_EQ(say("ref"), replies({"<b>01</b> dirs refeshed! <b>100</b> files"}));
  EXPECT_EQ(state.lstpl.entryAt(8), "09. s1008");
  EXPECT_EQ(state.lstpl.entryAt(9), "10. s1009");
  EXPECT_EQ(state.lstpl.entryAt(99), "100. s1099");
}

TEST_F(LibraryTest, UnlistableDirectoriesAreSkipped) {
  const auto a = folderWith("a", {"one.mp3"});
  // A missing folder, an empty line and a file in place of a folder are skipped.
  put(path("plain"), "");
  writeDirs(path("missing").string() + "\n\n" + path("plain").string() + "\n" + a + "\n");
  EXPECT_EQ(say("ref"), replies({"<b>04</b> dirs refeshed! <b>001</b> files"}));
  EXPECT_EQ(state.lstpl.entries(), std::vector<std::string>{"01. one"});
  // No dirs.txt at all: an empty library.
  std::filesystem::remove(path("dirs.txt"));
  EXPECT_EQ(say("ref"), replies({"<b>00</b> dirs refeshed! <b>000</b> files"}));
}

TEST_F(LibraryTest, AdirChecksTheDirectoryBeforeChangingAnything) {
  const auto a = folderWith("a", {"one.mp3", "two.mp3"});
  writeDirs(a + "\n");
  say("ref");
  const std::string before = get(path("dirs.txt"));
  EXPECT_EQ(say("adir " + path("nowhere").string()),
            replies({"error: <u>" + path("nowhere").string() + "</u> is not a directory"}));
  EXPECT_EQ(get(path("dirs.txt")), before);
  EXPECT_EQ(state.lstdirs.count(), 1);
  EXPECT_TRUE(say("adir").empty());
  // The same directory again is listed twice, with new numbers.
  EXPECT_EQ(say("adir " + a), replies({"<b>02</b> dirs refeshed! <b>004</b> files"}));
  EXPECT_EQ(state.lstpl.entryAt(3), "04. two");
  EXPECT_EQ(get(path("dirs.txt")), a + "\r\n" + a + "\r\n");
}

TEST_F(LibraryTest, LibraryCommandsArrivingTogetherNeitherDoubleNorLoseDirectories) {
  const auto a = folderWith("a", {"one.mp3"});
  const auto b = folderWith("b", {"two.mp3"});
  const auto c = folderWith("c", {"three.mp3"});
  const auto refreshed = [&](const char* dirs, const char* files) {
    return PlainLine("<b>" + std::string(dirs) + "</b> dirs refeshed! <b>" + files + "</b> files");
  };
  // "adir" handled while "ref" reads dirs.txt, then "ref" while "adir" reads it.
  writeDirs(a + "\n");
  say("ref");
  StateListWidget shown(state.lstpl, "lstpl");
  QTimer::singleShot(0, [&] { say("adir " + b); });
  EXPECT_EQ(say("ref"), (std::vector{refreshed("02", "002"), refreshed("02", "002")}));
  QTimer::singleShot(0, [&] { say("ref"); });
  EXPECT_EQ(say("adir " + c), (std::vector{refreshed("03", "003"), refreshed("03", "003")}));
  EXPECT_EQ(state.lstdirs.entries(), (std::vector{a, b, c}));
  EXPECT_EQ(state.lstpl.entries(), (std::vector<std::string>{"01. one", "02. two", "03. three"}));
  EXPECT_EQ(state.lstmultidir.count(), 3);
  ASSERT_EQ(shown.count(), 3);
  EXPECT_EQ(shown.item(2)->text(), "03. three");
  EXPECT_EQ(get(path("dirs.txt")), a + "\r\n" + b + "\r\n" + c + "\r\n");
}

TEST_F(LibraryTest, FileNamesBecomeWindows1252Entries) {
  // "Café Ørsted.mp3" in UTF-8; a character without a Windows-1252 byte shows as "?".
  const auto a = folderWith("a", {"Caf\xC3\xA9 \xC3\x98rsted.mp3", "\xE2\x98\x83.mp3"});
  writeDirs(a);
  say("ref");
  EXPECT_EQ(state.lstpl.entryAt(0), "01. caf\xE9 \xF8rsted");
  EXPECT_EQ(state.lstmultidir.entryAt(0), a + "/Caf\xC3\xA9 \xC3\x98rsted.mp3");
  EXPECT_EQ(state.lstpl.entryAt(1), "02. ?");
}

TEST_F(LibraryTest, StartupLoadSendsNothing) {
  writeDirs(folderWith("a", {"one.mp3"}));
  LoadLibraryAtStartup(state);
  EXPECT_TRUE(chat.sent.empty());
  EXPECT_EQ(state.lstpl.entries(), std::vector<std::string>{"01. one"});
}

TEST_F(LibraryTest, TheLibraryStopsAtTheLargestSongNumber) {
  std::vector<std::string> files;
  for (int i = 0; i < kMaxSongs + 3; ++i) files.push_back(std::to_string(100000 + i) + ".mp3");
  writeDirs(folderWith("big", files));
  EXPECT_EQ(say("ref"), replies({"<b>01</b> dirs refeshed! <b>32767</b> files"}));
  EXPECT_EQ(state.lstmultidir.count(), kMaxSongs);
}

TEST(DisplayName, BoldsTheNumberAndGivesTheEntryBack) {
  EXPECT_EQ(DisplayName("07. mr. blue"), "07</b>. mr</b>. blue");
  EXPECT_EQ(EntryOfDisplayName("07</b>. mr</b>. blue"), "07. mr. blue");
}

}  // namespace
}  // namespace spindeck::testing
