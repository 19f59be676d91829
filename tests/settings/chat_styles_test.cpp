// Loading, saving, listing and picking chat styles through the chat commands.
#include "src/settings/chat_styles.h"

#include <filesystem>
#include <iterator>
#include <map>

#include "src/settings/settings_store.h"
#include "tests/support/command_test.h"

namespace spindeck::testing {
namespace {

// The fields of a style that show in a reply line.
struct Look {
  std::string fascii, bascii, font, fcolor, afont, acolor;
};

// The look of a file written by putStyle with this tag.
Look Tagged(const std::string& tag) {
  return {"fascii" + tag, "bascii" + tag, "font" + tag,
          "fcolor" + tag, "afont" + tag,  "acolor" + tag};
}

// The look of the empty style with only a front decoration.
Look FrontOnly(const std::string& fascii) {
  Look look;
  look.fascii = fascii;
  return look;
}

// A reply line in the look: the decorations in the decoration font and colour around the
// text in the text font and colour, after the closing of tags a chatter left open.
std::string Dressed(const Look& l, const std::string& text) {
  return "</i></u></b><font color=" + l.acolor + "><font face=\"" + l.afont + "\">" + l.fascii +
         "<font color=" + l.fcolor + "><font face=\"" + l.font + "\"> " + text +
         " <font color=" + l.acolor + "><font face=\"" + l.afont + "\">" + l.bascii +
         "<font color=#ffffff>";
}

class ChatStylesTest : public CommandTest {
 protected:
  void SetUp() override { std::filesystem::create_directories(path("styles")); }

  // A style file with all eight keys, each value the key's name followed by the tag.
  void putStyle(const std::string& name, const std::string& tag) {
    std::string text = "[" + name + "]\r\n";
    for (const char* key :
         {"font", "fcolor", "fascii", "bascii", "acolor", "afont", "author", "mascii"})
      text += std::string(key) + "=" + key + tag + "\r\n";
    put(path("styles/" + name + ".dll"), text);
  }
  // Sends the line, then checks that its one reply is the text in the look.
  void expectStyled(const std::string& line, const Look& look, const std::string& text) {
    EXPECT_EQ(say(line), std::vector<std::string>{Dressed(look, text)}) << line;
  }
  std::string styleKey(const std::string& name, const std::string& key) const {
    return ReadIni(name, key, path("styles/" + name + ".dll"));
  }
  std::string settingsStyle() const { return ReadIni("spin.deck", "style", path("config.dll")); }
};

TEST_F(ChatStylesTest, PlainStyleNamesStayInsideTheStylesFolder) {
  for (const char* bad : {"a/b", "a\\b", "..", "..x", "/etc/x", "\\x"})
    EXPECT_FALSE(IsPlainStyleName(bad)) << bad;
  for (const char* good : {"cool", "a..b", ".x", "x..", "", "\xE1rbol"})
    EXPECT_TRUE(IsPlainStyleName(good)) << good;
}

TEST_F(ChatStylesTest, StyleLoadsAValidStyleAndRefusesTheRest) {
  putStyle("cool", "1");
  put(path("styles/bare.dll"), "[bare]\r\nFONT=Arial\r\nFASCII=\r\n");
  putStyle("x", "2");  // styles/x.dll, and a valid copy outside the styles folder
  std::filesystem::copy_file(path("styles/x.dll"), path("x.dll"));

  for (const char* name : {"none", "bare", "../x", "..\\x", ".."}) {
    EXPECT_EQ(say(std::string("style ") + name),
              replies({"<u>" + std::string(name) + "</u> isnt a valid style"}));
    EXPECT_EQ(state.lblstyle, "");
    EXPECT_EQ(state.lblfont, "");
  }
  EXPECT_EQ(settingsStyle(), "");
  EXPECT_TRUE(say("style").empty());

  expectStyled("style cool", Tagged("1"), "style changed to: <u>cool</u>");
  EXPECT_EQ(state.lblstyle, "cool");
  EXPECT_EQ(settingsStyle(), "cool");
  EXPECT_EQ((std::vector<std::string>{state.lblfont, state.lblfcolor, state.lblfascii,
                                      state.lblbascii, state.lblacolor, state.lblafont,
                                      state.lblsauthor, state.lblmascii}),
            (std::vector<std::string>{"font1", "fcolor1", "fascii1", "bascii1", "acolor1", "afont1",
                                      "author1", "mascii1"}));

  // The name goes through the settings file: its reader drops the enclosing quotation marks,
  // so the style loaded is x while the reply keeps the argument.
  put(path("styles/\"x\".dll"), "[\"x\"]\r\nfascii=quoted\r\n");
  expectStyled("style \"x\"", Tagged("2"), "style changed to: <u>\"x\"</u>");
  EXPECT_EQ(state.lblstyle, "x");
  EXPECT_EQ(state.lblfascii, "fascii2");
}

TEST_F(ChatStylesTest, StyleFilesAreFoundWithoutRegardToCase) {
  putStyle("Neon", "Upper");
  putStyle("neon", "Lower");
  // On disk the name is UTF-8 ("n\xE9on"); the section inside is program text.
  put(path("styles/n\xC3\xA9on.dll"), "[n\xE9on]\r\nfascii=accented\r\n");
  put(path("styles/\xCE\xA9.dll"), "[?]\r\nfascii=omega\r\n");

  // The exact name first, then the first name in the listing's order that matches.
  say("style neon");
  EXPECT_EQ(state.lblfascii, "fasciiLower");
  const Look accented = FrontOnly("accented");
  expectStyled("style NEON", Tagged("Upper"), "style changed to: <u>NEON</u>");
  EXPECT_EQ(state.lblfascii, "fasciiUpper");
  expectStyled("style N\xC9ON", accented, "style changed to: <u>N\xC9ON</u>");
  EXPECT_EQ(state.lblfascii, "accented");
  expectStyled("style ?", accented, "<u>?</u> isnt a valid style");

  // Saving and single-field changes write into the file that is there, never a second one.
  state.lblhandle = "DJ";
  expectStyled("sstyle N\xC9on", accented, "style saved as <u>N\xC9on</u>");
  EXPECT_EQ(ReadIni("n\xE9on", "author", path("styles/n\xC3\xA9on.dll")), "DJ");
  putStyle("Default", "0");
  expectStyled("fa >>", FrontOnly(">>"), "new front ascii set");
  EXPECT_EQ(styleKey("Default", "fascii"), ">>");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path("styles")), {}), 5);
}

TEST_F(ChatStylesTest, SingleFieldCommandsChangeOnlyTheirKeyOfDefault) {
  putStyle("cool", "1");
  putStyle("default", "0");
  say("style cool");

  Look look = Tagged("1");
  look.fascii = ">>";
  expectStyled("fa >>", look, "new front ascii set");
  EXPECT_EQ(state.lblstyle, "default");
  EXPECT_EQ(state.lblfascii, ">>");
  EXPECT_EQ(state.lblfont, "font1");
  EXPECT_EQ(state.lblacolor, "acolor1");
  EXPECT_EQ(styleKey("default", "fascii"), ">>");
  for (const char* key : {"font", "fcolor", "bascii", "acolor", "afont", "author", "mascii"})
    EXPECT_EQ(styleKey("default", key), key + std::string("0"));
  EXPECT_EQ(settingsStyle(), "cool");  // written only at shutdown

  struct Change {
    std::string command, key, reply;
    std::string Look::*shown;  // nullptr: the middle decoration, not in a reply of one part
  };
  for (const Change& c : std::vector<Change>{{"ba", "bascii", "new back ascii set", &Look::bascii},
                                             {"ac", "acolor", "new ascii color set", &Look::acolor},
                                             {"fc", "fcolor", "new font color set", &Look::fcolor},
                                             {"f", "font", "new text font set", &Look::font},
                                             {"af", "afont", "new ascii font set", &Look::afont},
                                             {"ma", "mascii", "new middle ascii set", nullptr}}) {
    if (c.shown != nullptr) look.*c.shown = "v" + c.command;
    expectStyled(c.command + " v" + c.command, look, c.reply);
    EXPECT_EQ(styleKey("default", c.key), "v" + c.command);
  }
  EXPECT_EQ(state.lblmascii, "vma");

  // An empty front decoration leaves "default" invalid for "style".
  look.fascii = "";
  expectStyled("fa", look, "new front ascii set");
  EXPECT_EQ(state.lblfascii, "");
  expectStyled("style default", look, "<u>default</u> isnt a valid style");
  EXPECT_EQ(state.lblstyle, "default");
}

TEST_F(ChatStylesTest, SstyleWritesAllKeysWithTheDjAsAuthor) {
  putStyle("cool", "1");
  say("style cool");
  state.lblhandle = "DJ \xC9va";
  expectStyled("sstyle mine", Tagged("1"), "style saved as <u>mine</u>");
  EXPECT_EQ(get(path("styles/mine.dll")),
            "[mine]\r\nFONT=font1\r\nFCOLOR=fcolor1\r\nAFONT=afont1\r\nACOLOR=acolor1\r\n"
            "MASCII=mascii1\r\nBASCII=bascii1\r\nFASCII=fascii1\r\nAUTHOR=DJ \xC9va\r\n");
  EXPECT_EQ(settingsStyle(), "mine");
  EXPECT_EQ(state.lstStyles.count(), 0);
  expectStyled("sinfo", Tagged("1"), "style name: mine, author: author1");

  // A name reaching outside the styles folder writes nothing at all.
  for (const char* bad : {"../evil", "..", "a\\b"}) {
    expectStyled(std::string("sstyle ") + bad, Tagged("1"), "error: invalid style name");
    EXPECT_EQ(state.lblstyle, "mine");
  }
  EXPECT_EQ(settingsStyle(), "mine");
  EXPECT_FALSE(std::filesystem::exists(path("evil.dll")));
  state.lblstyle = "../evil";
  SaveStyle(state);
  EXPECT_FALSE(std::filesystem::exists(path("evil.dll")));
  put(path("evil.dll"), "[../evil]\r\nfascii=out\r\n");
  LoadStyle(state);
  EXPECT_EQ(state.lblfascii, "");
  EXPECT_EQ(state.lblfont, "");
}

TEST_F(ChatStylesTest, WritesIntoAMissingStylesFolderStillReply) {
  std::filesystem::remove(path("styles"));
  const Look look = FrontOnly("x");
  expectStyled("fa x", look, "new front ascii set");
  expectStyled("sstyle mine", look, "style saved as <u>mine</u>");
  EXPECT_FALSE(std::filesystem::exists(path("styles")));
  expectStyled("rstyles", look, "styles refreshed! <b>00</b> styles!");
  expectStyled("rstyle", look, "error: no styles found");
  EXPECT_EQ(state.lblstyle, "mine");
}

TEST_F(ChatStylesTest, RstylesListsDllFilesAndCountsWithTwoDigits) {
  for (const char* name : {"cool.dll", "Cool.DLL", "b.dll.dll", "c.Dll", "a.dll", "d.dllx.dll",
                           "e.dll", "notes.txt", "dll"})
    put(path(std::string("styles/") + name), "");
  std::filesystem::create_directories(path("styles/sub.dll"));
  state.lstStyles.append("stale");
  EXPECT_EQ(say("rstyles"), replies({"styles refreshed! <b>07</b> styles!"}));
  EXPECT_EQ(state.lstStyles.entries(),
            (std::vector<std::string>{"a", "b", "c.Dll", "Cool.DLL", "cool", "dx", "e"}));
  for (const char* name : {"f.dll", "g.dll", "h.dll", "i.dll", "j.dll"})
    put(path(std::string("styles/") + name), "");
  EXPECT_EQ(say("rstyles"), replies({"styles refreshed! <b>12</b> styles!"}));
  EXPECT_EQ(state.lstStyles.count(), 12);
  // None of the three takes an argument.
  for (const char* line : {"rstyle now", "sinfo now", "rstyles now"}) {
    EXPECT_TRUE(say(line).empty()) << line;
  }
  EXPECT_EQ(state.lblstyle, "");
}

TEST_F(ChatStylesTest, RstylePicksEveryNameAlikeAndNeverLoopsOnNone) {
  EXPECT_EQ(say("rstyle"), replies({"error: no styles found"}));
  state.lstStyles.append("");
  state.lstStyles.append("");
  EXPECT_EQ(say("rstyle"), replies({"error: no styles found"}));
  EXPECT_EQ(state.lblstyle, "");

  putStyle("a", "A");
  state.lstStyles.append("a");
  state.lstStyles.append("");
  state.lstStyles.append("missing");
  std::map<std::string, int> picks;
  for (int i = 0; i < 600; ++i) {
    const auto sent = say("rstyle");
    ++picks[state.lblstyle];
    // A missing file loads without complaint, leaving the fields empty.
    EXPECT_EQ(state.lblfascii, state.lblstyle == "a" ? "fasciiA" : "");
    ASSERT_EQ(sent,
              std::vector<std::string>{Dressed(state.lblstyle == "a" ? Tagged("A") : Look{},
                                               "random style set: <u>" + state.lblstyle + "</u>")});
  }
  EXPECT_EQ(picks.size(), 2u);
  EXPECT_GT(picks["a"], 240);
  EXPECT_GT(picks["missing"], 240);
  EXPECT_EQ(settingsStyle(), "");
}

}  // namespace
}  // namespace spindeck::testing
