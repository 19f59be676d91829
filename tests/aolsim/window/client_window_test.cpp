// The client's window as a view of the served windows, both ways: what the user does in it
// reaches the windows as their messages, and whatever changes the windows shows in it.
#include "aolsim/window/client_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QTest>

#include "aolsim/window/chatter_view.h"
#include "aolsim/window/room_view.h"
#include "aolsim/window/welcome_view.h"
#include "tests/support/aolsim_process.h"

namespace aolsim::window {
namespace {

using win32::HWND;

class ClientWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    client.SignOn("DjSam");
    client.OpenRoom("lobby");
    client.Join("Bob");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  // The view once it has drawn the changes so far.
  ClientWindow& Shown() {
    QCoreApplication::processEvents();
    return window;
  }
  HWND Top() { return tree.Children(client.mdi()).front(); }
  RoomView& Room(HWND room) { return dynamic_cast<RoomView&>(*Shown().ViewOf(room)); }
  std::string Transcript(HWND room) {
    return Room(room).transcript().document()->toPlainText().toStdString();
  }
  std::string ServedText(HWND room) {
    const HWND box = tree.FindChild(room, 0, "RICHCNTLREADONLY", nullptr);
    return tree.Dispatch(box, {win32::WM_GETTEXT, 0, 0, {}}).text;
  }

  win32::WindowTree tree;
  std::vector<std::vector<std::string>> events;
  ChatClient client{tree, [this](const std::vector<std::string>& e) { events.push_back(e); }};
  ClientWindow window{client, tree};
};

TEST_F(ClientWindowTest, SendFromTheInputBoxIsTheServedEnterAndLinesShow) {
  const HWND lobby = Top();
  RoomView& room = Room(lobby);
  room.input().setText("hi <b>all</b> \xC3\xA1");
  QTest::keyClick(&room.input(), Qt::Key_Return);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(),
            (std::vector<std::string>{"line", "lobby", "DjSam", "hi <b>all</b> \xE1"}));
  room.input().setText("again");
  QTest::mouseClick(&room.send(), Qt::LeftButton);
  EXPECT_EQ(events.back()[3], "again");
  EXPECT_TRUE(room.input().text().isEmpty());
  // The served text stays plain; the view draws the same lines.
  EXPECT_EQ(ServedText(lobby), "DjSam:\thi all \xE1\r\nDjSam:\tagain");
  client.Say("Bob", "yo");
  EXPECT_EQ(Transcript(lobby), "DjSam:\thi all \xC3\xA1\nDjSam:\tagain\nBob:\tyo");
  EXPECT_EQ(room.members().count(), 2);
  client.Leave("Bob");
  EXPECT_EQ(Room(lobby).members().count(), 1);
}

TEST_F(ClientWindowTest, ActivatingARoomPutsItOnTopOfTheServedWindows) {
  client.OpenRoom("den");
  const HWND den = Top();
  EXPECT_EQ(Shown().area().currentSubWindow()->widget(), Shown().ViewOf(den));
  const HWND lobby = tree.FindChild(client.mdi(), 0, "AOL Child", "lobby");
  for (QMdiSubWindow* sub : window.area().subWindowList()) {
    if (sub->widget() == window.ViewOf(lobby)) window.area().setActiveSubWindow(sub);
  }
  EXPECT_EQ(client.RoomNames().front(), "lobby");
  client.Say("Bob", "where am i");
  EXPECT_EQ(Transcript(lobby), "Bob:\twhere am i");
  EXPECT_EQ(Transcript(den), "");
  // And back: a room brought on top by the client is the one the view shows active.
  client.OpenRoom("den");
  EXPECT_EQ(Shown().area().currentSubWindow()->widget(), window.ViewOf(den));
}

TEST_F(ClientWindowTest, MemberDoubleClickIgnoreAndClose) {
  const HWND lobby = Top();
  QListWidget& members = Room(lobby).members();
  ASSERT_EQ(members.item(1)->text(), "Bob");
  members.scrollToItem(members.item(1));
  const QPoint at = members.visualItemRect(members.item(1)).center();
  QTest::mouseClick(members.viewport(), Qt::LeftButton, {}, at);  // a double click's first press
  QTest::mouseDClick(members.viewport(), Qt::LeftButton, {}, at);
  const HWND chatter = Top();
  ASSERT_TRUE(client.IsChatter(chatter));
  auto& view = dynamic_cast<ChatterView&>(*Shown().ViewOf(chatter));
  const HWND box = tree.FindChild(chatter, 0, "_AOL_Checkbox", nullptr);
  view.ignore().click();
  EXPECT_EQ(tree.Dispatch(box, {win32::BM_GETCHECK, 0, 0, {}}).result, 1);
  EXPECT_TRUE(view.ignore().isChecked());
  EXPECT_EQ(events.back(), (std::vector<std::string>{"ignore", "lobby", "Bob", "1"}));
  client.SayIn("lobby", "Bob", "unseen");
  EXPECT_EQ(Transcript(lobby), "");

  // Ticked from outside (the served box clicked), the view follows.
  tree.Dispatch(box, {win32::WM_LBUTTONDOWN, 0, 0, {}});
  tree.Dispatch(box, {win32::WM_LBUTTONUP, 0, 0, {}});
  EXPECT_FALSE(dynamic_cast<ChatterView&>(*Shown().ViewOf(chatter)).ignore().isChecked());

  QMdiSubWindow* sub = window.area().currentSubWindow();
  ASSERT_EQ(sub->widget(), &view);
  sub->close();
  EXPECT_FALSE(tree.Exists(chatter));
  EXPECT_EQ(Shown().ViewOf(chatter), nullptr);
  EXPECT_EQ(window.area().subWindowList().size(), 2);  // Welcome and lobby
  // A room cannot be closed from its sub-window (only the client closes rooms).
  window.area().currentSubWindow()->close();
  EXPECT_TRUE(tree.Exists(lobby));
}

// Names and captions come from the network and from any desktop peer: no label takes them for
// markup (an <img> would have the window read any file).
TEST_F(ClientWindowTest, MarkupInNamesAndCaptionsShowsLiterally) {
  const std::string markup = "a<br>b<img src=x>";
  const std::string self = "<b>me</b>";
  client.Join(markup);
  client.Rename("DjSam", self);
  const HWND lobby = Top();
  QListWidget& members = Room(lobby).members();
  const auto found = members.findItems(QString::fromStdString(markup), Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1);
  const QPoint at = members.visualItemRect(found.front()).center();
  QTest::mouseClick(members.viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(members.viewport(), Qt::LeftButton, {}, at);
  ASSERT_TRUE(client.IsChatter(Top()));
  int shown = 0;
  for (const QLabel* label : Shown().findChildren<QLabel*>()) {
    const bool rich = label->textFormat() == Qt::RichText ||
                      (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
    EXPECT_FALSE(rich) << label->text().toStdString();
    for (const std::string& name : {markup, self}) {
      shown += label->text().contains(QString::fromStdString(name)) ? 1 : 0;
    }
  }
  EXPECT_GE(shown, 2);  // the chatter's name and the greeting
}

TEST_F(ClientWindowTest, KeywordBoxWelcomeAndMenusFollowTheServedWindows) {
  QTest::keyClicks(&window.keyword(), "aol://2719:2-2-den");
  QTest::keyClick(&window.keyword(), Qt::Key_Return);
  EXPECT_EQ(events.front(), (std::vector<std::string>{"keyword", "aol://2719:2-2-den"}));
  EXPECT_EQ(client.RoomNames().front(), "den");
  EXPECT_EQ(Shown().area().currentSubWindow()->windowTitle(), "den");

  auto& welcome = dynamic_cast<WelcomeView&>(*Shown().ViewOf(client.welcome()));
  EXPECT_EQ(welcome.greeting().text(), "Welcome, DjSam!");
  client.SetTemperature("55F");
  client.Rename("DjSam", "DjS\xE1m");
  QCoreApplication::processEvents();
  EXPECT_EQ(welcome.greeting().text(), "Welcome, DjS\xC3\xA1m!");
  EXPECT_TRUE(welcome.temperature().text().endsWith("55F"));

  EXPECT_EQ(window.menuBar()->actions().size(), 6);
  EXPECT_EQ(window.menuBar()->actions().back()->menu()->actions().back()->text(), "About AOL 8.0");
  client.SetVersion("3");
  EXPECT_EQ(Shown().menuBar()->actions().size(), 8);
  client.SignOff();
  EXPECT_EQ(Shown().area().subWindowList().size(), 2);  // the rooms stay
}

}  // namespace
}  // namespace aolsim::window

// The executable with its window open ends as it does without: at the end of its input, and
// with a companion once the companion has ended.
TEST(AolsimWithWindow, EndsAtTheEndOfItsInputCompanionOrNot) {
  spindeck::testing::AolsimProcess alone({"--window"});
  ASSERT_TRUE(alone.started());
  EXPECT_EQ(alone.CloseInputAndWait(), 0);
  spindeck::testing::AolsimProcess accompanied({"--window", "--companion", "sleep", "30"});
  ASSERT_TRUE(accompanied.started());
  EXPECT_EQ(accompanied.CloseInputAndWait(), 0);
}
