#include <set>

#include "src/state/random_number.h"
#include "src/music/matching.h"
#include "src/music/play_modes.h"
#include "src/music/song_search.h"
#include "tests/music/music_fixture.h"
#include "tests/music/silent_song.h"

namespace spindeck::testing {
namespace {

class SearchTest : public MusicTest {
 protected:
  void SetUp() override {
    const auto folder = folderWith("m", {});
    for (const char* f : {"x.mp3", "Rock.mp3", "y.mp3", "007 theme.mp3"}) {
      put(path("m") / f, SilentMp3(3));
    }
    writeDirs(folder);
    say("ref");
    // An extra entry to show that numbers match like names.
    state.lstpl.append("107. y");
    state.lstmultidir.append("/nowhere/y.mp3");
    state.scan2 = std::make_unique<platform::ChatScanner>([] { return win32::HWND(0); });
    chat.sent.clear();
  }
  std::vector<std::string> dialogue(const std::string& sender, const std::string& text) {
    chat.sent.clear();
    SelectionDialogueLine(state, sender, text);
    return chat.sent;
  }
};

TEST_F(SearchTest, MatchingIgnoresCaseAndFindsNumbers) {
  // Sorted case-blind: 007 theme, Rock, x, y.
  FindMatches(state, "07");
  EXPECT_EQ(state.lstfound1.entries(), (std::vector<std::string>{"01. 007 theme", "107. y"}));
  EXPECT_EQ(state.lstfound2.entryAt(1), "/nowhere/y.mp3");
  FindMatches(state, "ROCK");
  EXPECT_EQ(state.lstfound1.entries(), std::vector<std::string>{"02. rock"});
  FindMatches(state, "");
  EXPECT_EQ(state.lstfound1.count(), 5);
  FindMatches(state, ". ");
  EXPECT_EQ(state.lstfound1.count(), 5);
}

TEST_F(SearchTest, PlaystrPlaysOneReportsNoneOrOpensTheDialogue) {
  const std::string separator = " <font color=><font color=> ";
  playstr(state, "rock");
  EXPECT_EQ(chat.sent, replies({"playing: <b>02</b>. rock"}));
  EXPECT_FALSE(SelectionDialogueOpen(state));
  chat.sent.clear();
  playstr(state, "zzz");
  EXPECT_EQ(chat.sent, replies({"no matches found for <u>zzz</u>"}));
  chat.sent.clear();
  playstr(state, "y");
  EXPECT_EQ(chat.sent,
            replies({"<b>02</b> matches found for <u>y</u>" + separator + "scroll, cancel"}));
  EXPECT_TRUE(SelectionDialogueOpen(state));
}

TEST_F(SearchTest, PlaystrPlaysTheMatchItFoundWhateverASearchInItsPauseFinds) {
  QTimer::singleShot(0, [&] { playstr(state, "zzz"); });
  playstr(state, "rock");
  EXPECT_EQ(chat.sent, replies({"no matches found for <u>zzz</u>", "playing: <b>02</b>. rock"}));
  EXPECT_EQ(state.player.FileName(), path("m/Rock.mp3").string());
}

TEST_F(SearchTest, DialogueTakesOnlyTheUsersWordsAndKeepsPlayInRange) {
  playstr(state, "y");
  EXPECT_TRUE(dialogue("Other", "cancel").empty());
  EXPECT_TRUE(dialogue("Other", "play 1").empty());
  EXPECT_TRUE(dialogue("DjSam", "scroll now").empty());
  EXPECT_TRUE(dialogue("DjSam", "play two").empty());
  EXPECT_TRUE(dialogue("DjSam", "play").empty());
  EXPECT_TRUE(dialogue("DjSam", "cancel please").empty());
  EXPECT_EQ(dialogue("DjSam", "play 3"), replies({"type 'play' <b>01-02"}));
  EXPECT_EQ(dialogue("DjSam", "PLAY 0"), replies({"type 'play' <b>01-02"}));
  EXPECT_EQ(dialogue("DjSam", "play 99999999999"), replies({"type 'play' <b>01-02"}));
  EXPECT_TRUE(SelectionDialogueOpen(state));
  // 1.5 - 1 = 0.5 rounds to match 0; 2.5 - 1 = 1.5 rounds to match 2, past these two.
  EXPECT_EQ(dialogue("DjSam", "Play 1.5"), replies({"playing: <b>04</b>. y"}));
  EXPECT_FALSE(SelectionDialogueOpen(state));
  EXPECT_TRUE(state.tmrmp3.isActive());
  // A match that cannot play is reported, and the dialogue stays open for another choice.
  playstr(state, "y");
  EXPECT_EQ(dialogue("DjSam", "play 2"), replies({"error: <u>107</b>. y</u> cannot be played"}));
  EXPECT_EQ(state.lblsong, "04</b>. y");
  EXPECT_TRUE(SelectionDialogueOpen(state));
  playstr(state, "y");
  EXPECT_EQ(dialogue("DjSam", "cancel"), replies({"user cancelled action"}));
  EXPECT_FALSE(SelectionDialogueOpen(state));
}

TEST_F(SearchTest, ScrollListsTheMatchesAsTheyAreNow) {
  playstr(state, "y");
  EXPECT_EQ(dialogue("DjSam", "scroll"),
            replies({"<b>04</b>. y", "<b>107</b>. y", "type 'play' <b>01-02"}));
  FindMatches(state, "zzz");
  EXPECT_EQ(dialogue("DjSam", "scroll"), replies({"type 'play' <b>01-00"}));
}

TEST_F(SearchTest, RandomPicksCoverEveryMatchAndShuffleEndsOnNoMatch) {
  std::set<int> seen;
  for (int i = 0; i < 200; ++i) seen.insert(RandomNumber(state, 5));
  EXPECT_EQ(seen, (std::set<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(RandomNumber(state, 1), 1);
  EXPECT_EQ(RandomNumber(state, 0), 1);

  state.lblplaymode = "2";
  strrand(state, "zzz", false);
  EXPECT_EQ(state.lblplaymode, "2");
  strrand(state, "zzz", true);
  EXPECT_EQ(state.lblplaymode, "0");
  chat.sent.clear();
  strrand(state, "rock", true);
  EXPECT_EQ(chat.sent, replies({"shuffle: <b>02</b>. rock"}));
  chat.sent.clear();
  strrand(state, "rock", false);
  EXPECT_EQ(chat.sent, replies({"random: <b>02</b>. rock"}));
}

TEST_F(SearchTest, ModeCommandsSetOneModeAndReplyOnce) {
  EXPECT_EQ(say("shuffle rock"), replies({"shuffle mode: on"}));
  EXPECT_EQ(state.lblplaymode, "2");
  EXPECT_EQ(state.lblrand, "rock");
  say("shuffle");
  EXPECT_EQ(state.lblplaymode, "1");
  EXPECT_EQ(state.lblrand, "rock");
  EXPECT_EQ(say("xcont"), replies({"continue mode: off"}));
  EXPECT_EQ(state.lblplaymode, "0");
  EXPECT_TRUE(say("repon now").empty());
  EXPECT_EQ(say("repon"), replies({"repeat mode: on"}));
  EXPECT_EQ(say("cont"), replies({"continue mode: on"}));
  EXPECT_EQ(say("repoff"), replies({"repeat mode: off"}));
  EXPECT_EQ(say("xshuffle"), replies({"shuffle mode: off"}));
}

TEST_F(SearchTest, SongEndFollowsTheMode) {
  // Continue with nothing selected plays the second entry; after the last, silence.
  state.lblplaymode = "3";
  SongEnd(state);
  EXPECT_EQ(chat.sent, replies({"playing: <b>02</b>. rock"}));
  state.lstpl.setSelectedIndex(4);
  chat.sent.clear();
  SongEnd(state);
  EXPECT_TRUE(chat.sent.empty());
  EXPECT_EQ(state.lstpl.selectedIndex(), 4);
  // Repeat names the entry again and plays it once more.
  state.lblplaymode = "4";
  state.lblsong = "03</b>. x";
  SongEnd(state);
  EXPECT_EQ(chat.sent, replies({"playing: <b>03</b>. x"}));
  state.lblplaymode = "7";
  chat.sent.clear();
  SongEnd(state);
  EXPECT_TRUE(chat.sent.empty());
}

}  // namespace
}  // namespace spindeck::testing
