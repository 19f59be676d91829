// The main window: its size in twips, the title gradient, the live lists and their clicks,
// staying on top, the drag by the title and the slide onto the screen's edges.
#include "src/ui/main_window.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <memory>

#include "src/core/dispatch.h"
#include "src/core/help_list.h"
#include "src/ui/edge_snap.h"
#include "src/ui/twips.h"
#include "tests/support/command_test.h"
#include "tests/support/test_songs.h"

namespace spindeck::testing {
namespace {

class MainWindowTest : public CommandTest {
 protected:
  MainWindowTest() : window(std::make_unique<MainWindow>(state)) { window->SizeAndPaintTitle(); }

  template <typename T>
  T& child(const char* name) {
    auto* w = window->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return *w;
  }
  QListWidget& list(const char* name) { return child<QListWidget>(name); }
  static QStringList rows(const QListWidget& l) {
    QStringList texts;
    for (int i = 0; i < l.count(); ++i) texts << l.item(i)->text();
    return texts;
  }
  void showWindow() {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  std::unique_ptr<MainWindow> window;
};

TEST(TwipsTest, FifteenTwipsAPixelAt96Dpi) {
  EXPECT_EQ(TwipsToPixels(3240, 96), 216);
  EXPECT_EQ(TwipsToPixels(2160, 96), 144);
  EXPECT_EQ(TwipsToPixels(10, 96), 1);  // 0.67 rounds up
  EXPECT_EQ(TwipsToPixels(1440, 120), 120);
  EXPECT_EQ(PixelsToTwips(216, 96), 3240);
  EXPECT_EQ(PixelsToTwips(-7, 96), -105);
  EXPECT_EQ(PixelsToTwips(120, 120), 1440);
}

TEST_F(MainWindowTest, SizeInTwipsAndTheGradientOfTheTitle) {
  const double dpi = window->dpi();
  EXPECT_EQ(window->size(), QSize(TwipsToPixels(3240, dpi), TwipsToPixels(2160, dpi)));
  if (dpi == 96) {
    EXPECT_EQ(window->size(), QSize(216, 144));
  }
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  EXPECT_EQ(child<QLabel>("Label1").text(), QString(20, ' ') + "spin.deck; quill");

  // Column 0 is already one step in; 209 added steps of a fraction, rounded, come to the right
  // colour exactly, although their sum is a hair below it.
  const auto columns = TitleGradientColumns(209);
  ASSERT_EQ(columns.size(), 210u);
  EXPECT_EQ(columns[0], QColor(1, 65, 129));
  EXPECT_EQ(columns[1], QColor(2, 65, 129));
  EXPECT_EQ(columns[208], QColor(168, 211, 255));
  EXPECT_TRUE(TitleGradientColumns(0).empty());

  const QImage picture = child<TitleStrip>("Picture1").picture().toImage();
  ASSERT_EQ(picture.size(), QSize(TwipsToPixels(3135, dpi), TwipsToPixels(210, dpi)));
  const auto painted = TitleGradientColumns(picture.width());
  for (int y : {0, picture.height() - 1}) {
    EXPECT_EQ(picture.pixelColor(0, y), painted.front());
    EXPECT_EQ(picture.pixelColor(picture.width() - 1, y), painted[painted.size() - 2]);
  }
}

TEST_F(MainWindowTest, TabsShowTheListsLive) {
  auto& tabs = child<QTabWidget>("SSTab1");
  ASSERT_EQ(tabs.count(), 3);
  EXPECT_EQ(tabs.tabText(0), "cmds");
  EXPECT_EQ(tabs.tabText(1), "misc");
  EXPECT_EQ(tabs.tabText(2), "playlist");
  EXPECT_EQ(tabs.widget(0), &list("lstcmds"));
  EXPECT_EQ(tabs.widget(2), &list("lstpl"));
  EXPECT_EQ(child<QGroupBox>("styles").title(), "styles");
  EXPECT_TRUE(child<QGroupBox>("styles").isAncestorOf(&list("lstStyles")));
  EXPECT_TRUE(child<QGroupBox>("messages").isAncestorOf(&list("lstMsg")));
  EXPECT_TRUE(child<QGroupBox>("messages").isAncestorOf(&child<QLabel>("Label2")));
  EXPECT_EQ(tabs.widget(1), child<QGroupBox>("styles").parentWidget());

  for (const char* e : {"01. one", "02. caf\xE9", "03. three", "04. four"}) state.lstpl.append(e);
  auto& pl = list("lstpl");
  EXPECT_EQ(rows(pl), QStringList({"01. one", "02. café", "03. three", "04. four"}));
  state.lstpl.removeAt(1);
  EXPECT_EQ(rows(pl), QStringList({"01. one", "03. three", "04. four"}));
  state.lstpl.setSelectedIndex(2);
  EXPECT_EQ(pl.currentRow(), 2);
  pl.setCurrentRow(0);
  EXPECT_EQ(state.lstpl.selectedIndex(), 0);
  // The keyboard focus gives the widget a current row of its own, not a selection.
  state.lstpl.setSelectedIndex(-1);
  pl.setCurrentRow(-1);
  QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
  QCoreApplication::sendEvent(&pl, &focus);
  EXPECT_EQ(state.lstpl.selectedIndex(), -1);
  state.lstpl.setSelectedIndex(0);
  state.lstpl.removeAt(0);
  EXPECT_EQ(pl.currentRow(), -1);
  state.lstpl.clear();
  EXPECT_EQ(pl.count(), 0);

  FillHelpList(state.lstcmds);
  EXPECT_EQ(list("lstcmds").count(), static_cast<int>(kHelpLineCount));
  state.lstStyles.append("neon");
  EXPECT_EQ(rows(list("lstStyles")), QStringList({"neon"}));

  // A list shown by a window that is gone changes as before, and keeps its selection.
  state.lstStyles.setSelectedIndex(0);
  window.reset();
  state.lstStyles.append("retro");
  EXPECT_EQ(state.lstStyles.selectedIndex(), 0);
  EXPECT_EQ(state.mainForm, nullptr);
}

TEST_F(MainWindowTest, ClearEmptiesTheMessagesSilently) {
  state.lstMsg.append("12:01 Bob: hi");
  state.lstMsg.append("12:02 Ann: back soon?");
  EXPECT_EQ(list("lstMsg").count(), 2);
  QTest::mouseClick(&child<QLabel>("Label2"), Qt::LeftButton);
  EXPECT_EQ(state.lstMsg.count(), 0);
  EXPECT_EQ(list("lstMsg").count(), 0);
  EXPECT_TRUE(chat.sent.empty());
}

TEST_F(MainWindowTest, DoubleClickOnAPlaylistEntryPlaysIt) {
  std::filesystem::create_directories(path("m"));
  for (const char* song : {"m/one.mp3", "m/two.mp3"}) {
    ASSERT_TRUE(MakeTestSong(QString::fromStdString(path(song).string()), {"--seconds", "1"}));
  }
  writeDirs(path("m").string());
  say("ref");
  ASSERT_EQ(state.lstpl.count(), 2);
  child<QTabWidget>("SSTab1").setCurrentIndex(2);
  showWindow();
  auto& pl = list("lstpl");
  const QPoint second = pl.visualItemRect(pl.item(1)).center();
  // As a mouse does it: the first click, then the second one that makes it double.
  QTest::mouseClick(pl.viewport(), Qt::LeftButton, {}, second);
  QTest::mouseDClick(pl.viewport(), Qt::LeftButton, {}, second);
  EXPECT_EQ(state.lstpl.selectedIndex(), 1);
  EXPECT_EQ(state.player.FileName(), state.lstmultidir.entryAt(1));
  EXPECT_FALSE(state.player.FileName().empty());
}

TEST_F(MainWindowTest, StaysOnTopInPlaceAndUnloadsWhenClosed) {
  showWindow();
  window->move(120, 80);
  QCoreApplication::processEvents();
  const QRect before = window->geometry();
  window->StayOnTop();
  EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->geometry(), before);

  int unloads = 0;
  window->setUnloadHandler([&] { ++unloads; });
  // The title strip's menu closes the frameless window.
  const auto actions = child<QLabel>("Label1").actions();
  ASSERT_EQ(actions.size(), 1);
  EXPECT_EQ(actions[0]->text(), "close");
  actions[0]->trigger();
  EXPECT_EQ(unloads, 1);
  EXPECT_FALSE(window->isVisible());
}

// Runs the slide over a screen of 12000 x 9000 twips, recording each event turn ("e") and
// each placing of the window.
struct Recorded {
  std::vector<std::string> calls;
  std::vector<int> lefts, tops;
};
Recorded Snap(TwipsRect window) {
  Recorded r;
  SnapToScreenEdges(window, 12000, 9000,
                    {[&r] {
                       r.calls.push_back("e");
                       return true;
                     },
                     [&r](int left, int top) {
                       r.calls.push_back("p");
                       r.lefts.push_back(left);
                       r.tops.push_back(top);
                     }});
  return r;
}

TEST(EdgeSnapTest, SlidesInsideAndOntoNearEdges) {
  EXPECT_TRUE(Snap({3000, 3000, 3240, 2160}).calls.empty());

  // 100 twips off the left edge: ten steps right, set to 0, then the near-edge slide takes
  // its one step left and sets it back.
  auto r = Snap({-100, 3000, 3240, 2160});
  EXPECT_EQ(r.lefts, std::vector<int>({-90, -80, -70, -60, -50, -40, -30, -20, -10, 0, 0, -10, 0}));
  EXPECT_EQ(r.tops, std::vector<int>(13, 3000));
  EXPECT_EQ(std::vector<std::string>(r.calls.begin(), r.calls.begin() + 4),
            std::vector<std::string>({"e", "p", "e", "p"}));
  EXPECT_EQ(std::count(r.calls.begin(), r.calls.end(), "e"), 11);

  r = Snap({200, 3000, 3240, 2160});
  std::vector<int> lefts;
  for (int l = 190; l >= 0; l -= 10) lefts.push_back(l);
  lefts.push_back(0);
  EXPECT_EQ(r.lefts, lefts);

  // Partly below the screen: up until the bottoms meet, then set there (twice: the bottom
  // near-edge slide finds nothing to do but sets it once more).
  const int bottom = 9000 - 2160;
  r = Snap({3000, bottom + 55, 3240, 2160});
  EXPECT_EQ(r.tops, std::vector<int>({bottom + 45, bottom + 35, bottom + 25, bottom + 15,
                                      bottom + 5, bottom - 5, bottom, bottom}));

  // Off the top and near the right: down to 0 (set), the top's one step up, then right.
  r = Snap({12000 - 3240 - 20, -30, 3240, 2160});
  EXPECT_EQ(r.tops, std::vector<int>({-20, -10, 0, 0, -10, 0, 0, 0, 0}));
  EXPECT_EQ(r.lefts.back(), 12000 - 3240);
  EXPECT_EQ(r.lefts[r.lefts.size() - 3], 12000 - 3240 - 10);
}

TEST_F(MainWindowTest, DraggedByTheTitleAndAnsweringChatWhileSliding) {
  showWindow();
  const QRect area = window->screen()->availableGeometry();
  window->move(area.x() + 300, area.y() + 200);
  QCoreApplication::processEvents();
  // Dropped 150 twips from the left edge, it slides onto it. The window follows the mouse
  // where the window system has no move of its own to offer (a window manager's move cannot
  // be driven by made-up mouse events).
  if (QGuiApplication::platformName() == "offscreen") {
    auto& title = child<QLabel>("Label1");
    const int drop = TwipsToPixels(150, window->dpi());
    QTest::mousePress(&title, Qt::LeftButton, {}, QPoint(60, 5));
    QTest::mouseMove(&title, QPoint(60 - 300 + drop, 5));
    EXPECT_EQ(window->x(), area.x() + drop);
    QTest::mouseRelease(&title, Qt::LeftButton, {}, QPoint(60 - 300 + drop, 5));
    EXPECT_EQ(window->pos(), QPoint(area.x(), area.y() + 200));
  }

  // A chat line that arrives while the window slides is answered before the slide ends.
  state.lblhandle = "Sam";
  window->move(area.x() - TwipsToPixels(100, window->dpi()), area.y() + 200);
  QCoreApplication::processEvents();
  int leftWhenAnswered = 0;
  QTimer::singleShot(0, [&] {
    DispatchChatLine(state, {chat.screenName_, "dj?"});
    leftWhenAnswered = window->x() - area.x();
  });
  chat.sent.clear();
  window->SnapToEdges();
  EXPECT_EQ(chat.sent, replies({"you are deejay <u>Sam</u>"}));
  EXPECT_LT(leftWhenAnswered, 0);
  EXPECT_EQ(window->x(), area.x());
}

TEST_F(MainWindowTest, Screenshot) {
  FillHelpList(state.lstcmds);
  for (const char* s : {"default", "ice", "neon", "ocean", "retro", "sunset"})
    state.lstStyles.append(s);
  for (const char* m : {"[00:12] Kim: brb, save me a song", "[00:20] Jo: play some jazz"}) {
    state.lstMsg.append(m);
  }
  for (const char* e : {"01. Daft Punk - One More Time", "02. Moby - Porcelain",
                        "03. Bj\xF6rk - Hyperballad", "04. Air - Sexy Boy"}) {
    state.lstpl.append(e);
  }
  showWindow();
  const QPixmap shot = window->grab();
  EXPECT_EQ(shot.size(), window->size());
  if (window->dpi() == 96) {
    EXPECT_EQ(shot.size(), QSize(216, 144));
  }
  const char* target = std::getenv("SPINDECK_SCREENSHOT");
  const QString file =
      target != nullptr ? QString(target) : QString::fromStdString(path("main-window.png"));
  ASSERT_TRUE(shot.save(file, "PNG"));
  const QImage saved(file);
  EXPECT_EQ(saved.size(), shot.size());
}

}  // namespace
}  // namespace spindeck::testing
