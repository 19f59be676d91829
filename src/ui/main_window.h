#pragma once
// The main form: a small window that shows the help list, the chat styles, the messages left
// while away and the playlist. It is dragged by its title strip, then slides back inside the
// screen and snaps to near edges. It stays on top of other windows.
#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>

#include "src/state/runtime_state.h"
#include "src/ui/click_label.h"
#include "src/ui/state_list_widget.h"
#include "src/ui/title_strip.h"
#include "src/ui/window_drag.h"

namespace spindeck {

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(RuntimeState& state);
  ~MainWindow() override;

  // Sizes the window to 3240 x 2160 twips and paints the title strip's gradient once.
  void SizeAndPaintTitle();
  // Keeps the window above all other windows; its position and size stay as they are.
  void StayOnTop();
  // Slides the window back inside the screen and onto near edges, as after a drag.
  void SnapToEdges();

  // Called when the window is closed, to unload the form.
  void setUnloadHandler(std::function<void()> handler) { unload_ = std::move(handler); }

  // The logical dots per inch of the window's screen, which turn twips into pixels.
  double dpi() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Places the strip and the tabs, in twips turned into pixels at the screen's dpi.
  void layOut();

  RuntimeState& state_;
  std::function<void()> unload_;

  // The child widgets, each declared after the widget it sits in: members are destroyed in
  // reverse order, so every child goes before its parent would delete it. The pages and
  // frames are handed to the tabs and layouts that hold them.
  TitleStrip Picture1{this};
  QLabel Label1{&Picture1};
  QTabWidget SSTab1{this};
  StateListWidget lstcmds;
  QWidget miscPage_;
  QHBoxLayout miscLayout_{&miscPage_};
  QGroupBox stylesFrame_;
  QVBoxLayout stylesLayout_{&stylesFrame_};
  StateListWidget lstStyles;
  QGroupBox messagesFrame_;
  QVBoxLayout messagesLayout_{&messagesFrame_};
  StateListWidget lstMsg;
  ClickLabel Label2;
  StateListWidget lstpl;

  // Without a frame the window has no close button: the title strip's menu closes it.
  QAction closeAction_{"close"};

  WindowDrag drag_;
  bool snapping_ = false;
};

}  // namespace spindeck
