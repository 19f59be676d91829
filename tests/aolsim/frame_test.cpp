// The frame of the running client: the keyword box and the menu bar that tells the version.
#include <gtest/gtest.h>

#include <cctype>

#include "tests/support/aolsim_process.h"
#include "tests/support/aolsim_windows.h"

namespace aolsim_test {

using namespace spindeck::testing;

namespace {

using namespace win32;

HWND KeywordBox() {
  const HWND toolbar = Child(Frame(), "aol toolbar");
  const HWND inner = Child(toolbar, "_aol_toolbar");
  const HWND combo = Child(inner, "_aol_combobox");
  return Child(combo, "edit");
}

void EnterKeyword(const std::string& keyword) {
  const HWND box = KeywordBox();
  SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(keyword.c_str()));
  SendMessageA(box, WM_CHAR, 32, 0);
  SendMessageA(box, WM_CHAR, 13, 0);
}

// Every item text of the menu bar, menu by menu, read by command id as the program does.
std::vector<std::string> MenuItemTexts() {
  std::vector<std::string> texts;
  const HMENU bar = GetMenu(Frame());
  for (int i = 0; i < GetMenuItemCount(bar); ++i) {
    const HMENU sub = GetSubMenu(bar, i);
    for (int j = 0; j < GetMenuItemCount(sub); ++j) {
      char buffer[100] = {};
      GetMenuStringA(sub, GetMenuItemID(sub, j), buffer, sizeof buffer, MF_BYCOMMAND);
      texts.emplace_back(buffer);
    }
  }
  return texts;
}

bool MenusName(const std::string& needle) {
  for (std::string text : MenuItemTexts()) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (text.find(needle) != std::string::npos) return true;
  }
  return false;
}

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(client.started());
    client.Command({"signon", "Bob"});
    client.Command({"room", "lobby"});
    client.Sync();
  }
  AolsimProcess client;
};

TEST_F(FrameTest, PrivateRoomKeywordOpensTheRoomOnTopWithTheUser) {
  ASSERT_NE(KeywordBox(), 0u);
  EnterKeyword("aol://2719:2-2-jams");
  EXPECT_EQ(client.NextEvent(), "keyword\taol://2719:2-2-jams");
  const HWND top = Children(MdiClient(), "AOL Child").front();
  EXPECT_EQ(Caption(top), "jams");
  EXPECT_EQ(MemberNames(Child(top, "_AOL_Listbox")), std::vector<std::string>{"Bob"});
  EXPECT_EQ(ControlText(KeywordBox()), "");

  // Lines now go into the new room.
  client.Command({"say", "Bob", "hi"});
  EXPECT_EQ(client.NextEvent(), "line\tjams\tBob\thi");
}

TEST_F(FrameTest, OtherKeywordsAreOnlyReported) {
  EnterKeyword("weather");
  EXPECT_EQ(client.NextEvent(), "keyword\tweather");
  EnterKeyword("aol://2719:2-2-");  // no room name
  EXPECT_EQ(client.NextEvent(), "keyword\taol://2719:2-2-");
  const auto rooms = Children(MdiClient(), "AOL Child");
  EXPECT_EQ(rooms.size(), 2u);  // the lobby and the Welcome window
  EXPECT_EQ(Caption(rooms.front()), "lobby");
}

TEST_F(FrameTest, MenuBarTellsTheVersion) {
  EXPECT_EQ(GetMenuItemCount(GetMenu(Frame())), 6);
  EXPECT_TRUE(MenusName("about aol 8.0"));
  for (const char* v : {"7", "6", "5", "4"}) {
    client.Command({"version", v});
    client.Sync();
    EXPECT_EQ(GetMenuItemCount(GetMenu(Frame())), 6) << v;
    EXPECT_TRUE(MenusName(std::string("aol ") + v + ".0")) << v;
    EXPECT_FALSE(MenusName("aol 8.0")) << v;
  }
  client.Command({"version", "3"});
  client.Sync();
  EXPECT_EQ(GetMenuItemCount(GetMenu(Frame())), 8);
  client.Command({"version", "2.5"});
  client.Sync();
  EXPECT_EQ(GetMenuItemCount(GetMenu(Frame())), 7);
  client.Command({"version", "9"});  // unknown: the bar stays
  client.Sync();
  EXPECT_EQ(GetMenuItemCount(GetMenu(Frame())), 7);
}

TEST_F(FrameTest, MalformedCommandsAreSkipped) {
  client.Command({"say"});
  client.Command({"bogus", "x"});
  client.Command({"close", "nowhere"});
  client.Command({""});
  client.Command({"say", "Ann", "still\there"});
  EXPECT_EQ(client.NextEvent(), "line\tlobby\tAnn\tstill\there");
  client.Command({"quit"});
  EXPECT_EQ(client.CloseInputAndWait(), 0);
}

}  // namespace
}  // namespace aolsim_test
