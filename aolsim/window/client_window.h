#pragma once
// The chat client's window: a view of the very windows the client serves on the desktop.
// The frame shows the menu bar the programs read and a toolbar with the keyword box; the MDI
// area holds the Welcome window, the rooms and the chatter windows in the served z-order.
// The view follows every change of the client (told through its observer, drawn once per
// turn of the event loop), and whatever the user does goes to the served windows as their
// messages, so there is one model only.
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QToolBar>
#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "aolsim/chat_client.h"
#include "aolsim/options.h"
#include "aolsim/window/served_sub_window.h"

namespace aolsim::window {

class ClientWindow : public QMainWindow {
  Q_OBJECT
 public:
  ClientWindow(ChatClient& client, win32::WindowTree& tree);
  ~ClientWindow() override;

  // Puts the frame at the place on its screen (before it is shown, so that the window system
  // keeps the place rather than choosing its own).
  void PlaceAt(const WindowPlace& place);

  // Draws the windows as they are now. Changes are drawn by themselves on the next turn of
  // the event loop; this is for a caller that wants them at once.
  void Refresh();

  QMdiArea& area() { return area_; }
  QLineEdit& keyword() { return keyword_; }
  // The view of a served window, or nullptr when it has none.
  WindowView* ViewOf(win32::HWND window);
  // The client is ending: from now on the window closes when asked (the application closes
  // its windows on quitting, and a window that refuses would hold the client up for good).
  void AllowClose() { ending_ = true; }

 signals:
  // The user closed the window: the client is to end.
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ScheduleRefresh();
  void RefreshMenus();
  void SyncWindows();
  std::unique_ptr<WindowView> MakeView(win32::HWND window);
  void EnterKeyword();
  void Activated(QMdiSubWindow* sub);

  ChatClient& client_;
  win32::WindowTree& tree_;
  std::atomic<bool> refreshQueued_{false};
  bool syncing_ = false;  // activations made while drawing are no user's
  bool ending_ = false;
  std::vector<std::string> shownMenus_;

  QToolBar toolbar_{QStringLiteral("Keyword")};
  QLineEdit keyword_;
  QMdiArea area_;
  // After the area: the sub-windows go before it would delete them as its children.
  std::map<win32::HWND, std::unique_ptr<ServedSubWindow>> windows_;
};

}  // namespace aolsim::window
