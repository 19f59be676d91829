#include <gtest/gtest.h>

#include "src/aol/aol_keyword.h"
#include "src/aol/aol_windows.h"
#include "src/aol/room_members.h"
#include "tests/aol/test_desktop.h"

namespace spindeck {
namespace {

using testing::TestDesktop;

TEST(Automation, NoClientAtAll) {
  TestDesktop desktop;  // nobody listens on its socket
  EXPECT_EQ(FindChatRoom(), 0u);
  ChatSend("hello");
  EXPECT_EQ(GetScreenName(), "");
  EXPECT_EQ(AolVersion(), "?");
  EXPECT_EQ(WelcomeTemperature(), "");
  EXPECT_EQ(RoomCount(), 0);
  StateList names;
  ListRoomMembers(names, true);
  EXPECT_EQ(names.count(), 0);
  ToggleIgnore("bob", true);
  PrivateRoom("jams");
}

TEST(Automation, ChatSendTypesIntoTheTopRoomOnly) {
  TestDesktop desktop;
  const auto lower = desktop.Room("lower");
  desktop.Room("no static", {}, false);  // not a chat room without its static control
  const auto upper = desktop.Room("upper");
  desktop.tree.BringToTop(upper);
  desktop.Serve();
  EXPECT_EQ(FindChatRoom(), upper);
  ChatSend("hi \xE1\xF8");
  EXPECT_EQ(desktop.sent[upper], std::vector<std::string>{"hi \xE1\xF8"});
  EXPECT_TRUE(desktop.sent[lower].empty());
  desktop.tree.BringToTop(desktop.tree.FindChild(desktop.Mdi(), 0, "AOL Child", "no static"));
  EXPECT_EQ(FindChatRoom(), upper);
}

TEST(Automation, ScreenNameFromTheWelcomeWindowWhereverItStands) {
  TestDesktop desktop;
  desktop.Room("lobby");
  const auto welcome = desktop.Welcome("Bob");
  desktop.Serve();
  EXPECT_EQ(GetScreenName(), "Bob");  // on top: still found
  desktop.tree.BringToTop(desktop.tree.FindChild(desktop.Mdi(), 0, "AOL Child", "lobby"));
  EXPECT_EQ(GetScreenName(), "Bob");  // under another window
  EXPECT_EQ(WelcomeTemperature(), "72F");
  desktop.tree.SetCaption(welcome, "Welcome, Bob");
  EXPECT_EQ(GetScreenName(), "");  // no "!"
  desktop.tree.SetCaption(welcome, "welcome, Bob!");
  EXPECT_EQ(GetScreenName(), "");
  desktop.tree.SetCaption(welcome, "Welcome, !");
  EXPECT_EQ(GetScreenName(), "");
}

TEST(Automation, VersionFromTheMenuBar) {
  TestDesktop desktop;
  auto& tree = desktop.tree;
  const auto frame = desktop.Frame();
  desktop.Serve();
  auto bar = [&](int menus, const std::vector<std::string>& items) {
    const auto menu = tree.CreateMenu();
    for (int i = 0; i < menus; ++i) {
      const auto sub = tree.CreateMenu();
      if (i == menus - 1) {
        win32::UINT id = 100;
        for (const auto& item : items) tree.AppendItem(sub, id++, item);
      }
      tree.AppendSubMenu(menu, sub, "menu");
    }
    tree.SetMenu(frame, menu);
  };
  bar(6, {"Help", "About AOL 8.0"});
  EXPECT_EQ(AolVersion(), "8");
  bar(6, {"About AOL 7.0", "About AOL 8.0"});
  EXPECT_EQ(AolVersion(), "7");  // the earlier item wins
  bar(8, {"About AOL 8.0"});
  EXPECT_EQ(AolVersion(), "3");
  bar(7, {});
  EXPECT_EQ(AolVersion(), "2.5");
  bar(6, {"nothing"});
  EXPECT_EQ(AolVersion(), "?");
}

TEST(Automation, MembersAreReadFromTheClientsMemory) {
  TestDesktop desktop;
  desktop.Welcome("Me");
  desktop.Room("lobby", {"Bob", "Me", "SixteenCharsName", "Ann"});
  desktop.Serve();
  EXPECT_EQ(RoomCount(), 4);
  StateList others;
  ListRoomMembers(others, false);
  EXPECT_EQ(others.entries(), (std::vector<std::string>{"Bob", "SixteenCharsName", "Ann"}));
  StateList all;
  ListRoomMembers(all, true);
  EXPECT_EQ(all.count(), 4);
}

TEST(Automation, IgnoreReachesTheWantedStateAndClosesTheWindow) {
  TestDesktop desktop;
  desktop.Welcome("Me");
  desktop.Room("lobby", {"Bob", "Me", "Ann"});
  desktop.Serve();
  ToggleIgnore("ANN", true);
  EXPECT_TRUE(desktop.ignored[2]);
  EXPECT_EQ(desktop.clicks, 1);
  EXPECT_EQ(desktop.closed, 1);
  ToggleIgnore("ann", true);  // already ignored: no click, window still closed
  EXPECT_TRUE(desktop.ignored[2]);
  EXPECT_EQ(desktop.clicks, 1);
  EXPECT_EQ(desktop.closed, 2);
  ToggleIgnore("Ann", false);
  EXPECT_FALSE(desktop.ignored[2]);
  ToggleIgnore("Me", true);  // never the user
  EXPECT_FALSE(desktop.ignored[1]);
  EXPECT_EQ(FindMemberWindow(), 0u);
}

TEST(Automation, KeywordBoxGetsTheKeywordASpaceAndEnter) {
  TestDesktop desktop;
  auto& tree = desktop.tree;
  const auto toolbar = tree.Create(desktop.Frame(), "AOL Toolbar", "");
  const auto inner = tree.Create(toolbar, "_AOL_Toolbar", "");
  const auto combo = tree.Create(inner, "_AOL_Combobox", "");
  std::vector<std::string> typed;
  tree.Create(combo, "Edit", "",
              [&](win32::HWND self, const win32::Message& m, win32::MessageResult&) {
                if (m.msg == win32::WM_CHAR && m.wParam == 32)
                  tree.SetCaption(self, tree.Caption(self) + " ");
                if (m.msg == win32::WM_CHAR && m.wParam == 13) typed.push_back(tree.Caption(self));
                return m.msg == win32::WM_CHAR;
              });
  desktop.Serve();
  PrivateRoom("jams");
  EXPECT_EQ(typed, std::vector<std::string>{"aol://2719:2-2-jams "});
}

}  // namespace
}  // namespace spindeck
