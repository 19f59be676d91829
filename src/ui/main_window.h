#pragma once
// The main form: a small window that shows the help list, the chat styles, the messages left
// while away and the playlist. It is dragged by its title strip, then slides back inside the
// screen and snaps to near edges. It stays on top of other windows.
#include <QWidget>
#include <functional>

#include "src/core/runtime_state.h"

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

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  RuntimeState& state_;
  std::function<void()> unload_;
};

}  // namespace spindeck
