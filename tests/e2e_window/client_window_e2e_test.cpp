// The chat client's window beside the real program: lines typed into a room's view reach the
// program, its styled replies are drawn in their colours and fonts, and the room the user
// activates is the one it answers in. The client runs in this process, served on this
// thread's event loop, as `aolsim --window` serves it.
#include <sys/prctl.h>

#include <QMdiSubWindow>
#include <QTest>
#include <QTextBlock>

#include "aolsim/chat_client.h"
#include "aolsim/window/client_window.h"
#include "aolsim/window/room_view.h"
#include "platform/text/cp1252.h"
#include "platform/win32/desktop_host.h"
#include "tests/support/jukebox.h"
#include "tests/support/test_songs.h"

namespace spindeck::e2e {
namespace {

using win32::HWND;

constexpr char kStyledStart[] = "</i></u></b>";
constexpr int kStartMs = 30000;

// A style whose two parts differ in colour and font, with fonts every machine here has.
constexpr char kNeonFile[] =
    "[neon]\r\nfont=DejaVu Sans Mono\r\nfcolor=#ff3399\r\nfascii=~*\r\nbascii=*~\r\n"
    "acolor=#33ccff\r\nafont=DejaVu Serif\r\nauthor=Ann\r\nmascii=|\r\n";

class WindowDeck {
 public:
  WindowDeck() {
    ::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);  // the program reads our records
    if (!root_.isValid() || !host_.Listen(desktop_.path().toStdString())) return;
    client_.SignOn(kUser);
    client_.OpenRoom("lobby");
    client_.Join(kOther);
    window_.show();
    if (!QTest::qWaitForWindowExposed(&window_)) return;
    QDir().mkpath(root_.filePath("program/styles"));
    testing::WriteFile(root_.filePath("program/styles/neon.dll"), kNeonFile);
    // The screen name the greeting uses, as the demo's program folder has it.
    testing::WriteFile(root_.filePath("program/config.dll"), "[spin.deck]\r\nID=DjSam\r\n");
    program_ = std::make_unique<Spindeck>(desktop_.path(), root_.filePath("program"));
    for (int i = 0; i < 2; ++i) {
      if (NextReply(kStartMs).empty()) return;
    }
    started_ = Ask("lobby", "eliteoff").find("elite text: off") != std::string::npos;
  }

  bool started() const { return started_; }
  aolsim::ChatClient& client() { return client_; }
  aolsim::window::ClientWindow& window() { return window_; }
  HWND Room(const std::string& name) {
    return tree_.FindChild(client_.mdi(), 0, "AOL Child", name.c_str());
  }
  aolsim::window::RoomView& View(const std::string& room) {
    return dynamic_cast<aolsim::window::RoomView&>(*window_.ViewOf(Room(room)));
  }

  // Types the line into the room's view and presses Enter.
  void Type(const std::string& room, const std::string& text) {
    QLineEdit& input = View(room).input();
    input.setText(QString::fromStdString(text));
    QTest::keyClick(&input, Qt::Key_Return);
  }
  // The program's next reply (Windows-1252 HTML, as said) in any room, with the room's name;
  // empty when none comes in time.
  std::string NextReply(int timeoutMs = 10000, std::string* room = nullptr) {
    std::string reply;
    (void)QTest::qWaitFor(
        [&] {
          while (taken_ < events_.size()) {
            const auto& e = events_[taken_++];
            if (e.size() >= 4 && e[0] == "line" && e[2] == kUser &&
                e[3].starts_with(kStyledStart)) {
              reply = e[3];
              if (room != nullptr) *room = e[1];
              return true;
            }
          }
          return false;
        },
        timeoutMs);
    return reply;
  }
  std::string Ask(const std::string& room, const std::string& text) {
    Type(room, text);
    return NextReply();
  }

 private:
  QTemporaryDir root_;
  TestDesktop desktop_;
  win32::WindowTree tree_;
  std::vector<std::vector<std::string>> events_;
  std::size_t taken_ = 0;
  aolsim::ChatClient client_{tree_,
                             [this](const std::vector<std::string>& e) { events_.push_back(e); }};
  win32::DesktopHost host_{tree_};
  aolsim::window::ClientWindow window_{client_, tree_};
  std::unique_ptr<Spindeck> program_;
  bool started_ = false;
};

struct Fragment {
  std::string text;  // UTF-8
  QTextCharFormat format;
};

// The fragments of the transcript view's last line.
std::vector<Fragment> LastLine(aolsim::window::RoomView& view) {
  std::vector<Fragment> fragments;
  const QTextBlock block = view.transcript().document()->lastBlock();
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    fragments.push_back({it.fragment().text().toStdString(), it.fragment().charFormat()});
  }
  return fragments;
}

TEST(ClientWindowE2E, ALineSentFromTheViewGetsAReplyDrawnInTheStyle) {
  WindowDeck deck;
  ASSERT_TRUE(deck.started());
  EXPECT_EQ(deck.Ask("lobby", "style neon"),
            "</i></u></b><font color=#33ccff><font face=\"DejaVu Serif\">~*<font color=#ff3399>"
            "<font face=\"DejaVu Sans Mono\"> style changed to: <u>neon</u> <font color=#33ccff>"
            "<font face=\"DejaVu Serif\">*~<font color=#ffffff>");
  QCoreApplication::processEvents();
  const std::vector<Fragment> line = LastLine(deck.View("lobby"));
  ASSERT_EQ(line.size(), 6u);
  EXPECT_EQ(line[0].text, "DjSam:\t");
  for (int decoration : {1, 5}) {
    EXPECT_EQ(line[decoration].format.foreground().color(), QColor("#33ccff"));
    EXPECT_EQ(line[decoration].format.fontFamilies().toStringList(), QStringList{"DejaVu Serif"});
  }
  EXPECT_EQ(line[1].text, "~*");
  EXPECT_EQ(line[5].text, "*~");
  for (int text : {2, 3, 4}) {
    EXPECT_EQ(line[text].format.foreground().color(), QColor("#ff3399"));
    EXPECT_EQ(line[text].format.fontFamilies().toStringList(), QStringList{"DejaVu Sans Mono"});
  }
  EXPECT_EQ(line[2].text, " style changed to: ");
  EXPECT_EQ(line[3].text, "neon");
  EXPECT_TRUE(line[3].format.fontUnderline());
  EXPECT_FALSE(line[2].format.fontUnderline());

  // A few more lines for a picture of the client.
  deck.client().SayIn("lobby", kOther, "<font color=#ff9900><b>nice</b> style!</font>");
  EXPECT_FALSE(deck.Ask("lobby", "sinfo").empty());
  EXPECT_FALSE(deck.Ask("lobby", "rstyles").empty());
  QCoreApplication::processEvents();
  const char* folder = std::getenv("SPINDECK_SCREENSHOT_DIR");
  const QString path =
      (folder != nullptr ? QString(folder) : QCoreApplication::applicationDirPath()) +
      "/client-window.png";
  EXPECT_TRUE(deck.window().grab().save(path)) << path.toStdString();
}

TEST(ClientWindowE2E, TheProgramAnswersInTheRoomTheUserActivated) {
  WindowDeck deck;
  ASSERT_TRUE(deck.started());
  deck.client().OpenRoom("den");
  QCoreApplication::processEvents();
  // Back to the lobby, by activating it in the MDI area.
  auto& area = deck.window().area();
  for (QMdiSubWindow* sub : area.subWindowList()) {
    if (sub->windowTitle() == "lobby") area.setActiveSubWindow(sub);
  }
  EXPECT_EQ(deck.client().RoomNames().front(), "lobby");
  EXPECT_EQ(deck.Ask("lobby", "style nope").find("isnt a valid style") != std::string::npos, true);
  // Then the den: the program reads a room a moment after it comes on top, and takes what it
  // shows then as read, so the line is said until it is heard.
  for (QMdiSubWindow* sub : area.subWindowList()) {
    if (sub->windowTitle() == "den") area.setActiveSubWindow(sub);
  }
  ASSERT_EQ(deck.client().RoomNames().front(), "den");
  std::string room;
  for (int attempt = 0; attempt < 5 && room.empty(); ++attempt) {
    deck.Type("den", "style nope");
    deck.NextReply(3000, &room);
  }
  EXPECT_EQ(room, "den");
}

TEST(ClientWindowE2E, ScriptModeWorksWithTheWindowOpen) {
  Jukebox deck(QStringList{"--window"});
  ASSERT_TRUE(deck.started());
  EXPECT_EQ(deck.Ask("style nope"), Line("<u>nope</u> isnt a valid style"));
}

}  // namespace
}  // namespace spindeck::e2e
