#include "aolsim/window/client_window.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QScreen>
#include <algorithm>

#include "aolsim/window/chatter_view.h"
#include "aolsim/window/room_view.h"
#include "aolsim/window/shown_text.h"
#include "aolsim/window/welcome_view.h"
#include "aolsim/window/window_actions.h"
#include "aolsim/window/window_place.h"
#include "platform/text/cp1252.h"

namespace aolsim::window {

using win32::HWND;

namespace {

// The menu titles and items of the window's menu bar, in order, each item after its title.
std::vector<std::string> MenuTexts(const win32::WindowTree& tree, HWND frame,
                                   std::vector<int>* itemCounts = nullptr) {
  std::vector<std::string> texts;
  const win32::HMENU bar = tree.Menu(frame);
  for (int i = 0; i < tree.MenuItemCount(bar); ++i) {
    std::string title;
    tree.MenuString(bar, static_cast<win32::UINT>(i), win32::MF_BYPOSITION, title);
    texts.push_back(title);
    const win32::HMENU sub = tree.SubMenu(bar, i);
    const int count = std::max(0, tree.MenuItemCount(sub));
    if (itemCounts != nullptr) itemCounts->push_back(count);
    for (int j = 0; j < count; ++j) {
      std::string item;
      tree.MenuString(sub, static_cast<win32::UINT>(j), win32::MF_BYPOSITION, item);
      texts.push_back(item);
    }
  }
  return texts;
}

}  // namespace

ClientWindow::ClientWindow(ChatClient& client, win32::WindowTree& tree)
    : client_(client), tree_(tree) {
  setWindowTitle(Shown(tree_.Caption(client_.frame())));
  toolbar_.setMovable(false);
  toolbar_.addWidget(&keyword_);
  keyword_.setPlaceholderText(QStringLiteral("Type Keyword or Web Address here and click Go"));
  keyword_.setMaxLength(1024);
  addToolBar(&toolbar_);
  setCentralWidget(&area_);
  area_.setBackground(QColor(0x00, 0x33, 0x66));
  connect(&keyword_, &QLineEdit::returnPressed, this, &ClientWindow::EnterKeyword);
  connect(&area_, &QMdiArea::subWindowActivated, this, &ClientWindow::Activated);
  client_.SetObserver([this] { ScheduleRefresh(); });
  resize(900, 600);
  Refresh();
}

ClientWindow::~ClientWindow() {
  client_.SetObserver({});
  windows_.clear();
  takeCentralWidget();
  removeToolBar(&toolbar_);
}

void ClientWindow::PlaceAt(const WindowPlace& place) {
  const QScreen* shownOn = screen();
  if (shownOn == nullptr) return;
  move(FrameTopLeft(place, frameGeometry().size(), shownOn->availableGeometry()));
}

void ClientWindow::closeEvent(QCloseEvent* event) {
  if (ending_) {
    event->accept();
    return;
  }
  // The window stays until the client ends, which may wait for a companion to finish.
  event->ignore();
  emit closed();
}

void ClientWindow::ScheduleRefresh() {
  // Any thread, with the tree's lock held: only note it, and draw on this window's thread.
  if (refreshQueued_.exchange(true)) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        refreshQueued_ = false;
        Refresh();
      },
      Qt::QueuedConnection);
}

void ClientWindow::Refresh() {
  std::lock_guard guard(tree_.lock());
  RefreshMenus();
  SyncWindows();
}

void ClientWindow::RefreshMenus() {
  std::vector<int> counts;
  std::vector<std::string> texts = MenuTexts(tree_, client_.frame(), &counts);
  if (texts == shownMenus_) return;
  QMenuBar* bar = menuBar();
  bar->clear();
  std::size_t at = 0;
  for (int count : counts) {
    QMenu* menu = bar->addMenu(Shown(texts[at++]));
    for (int j = 0; j < count; ++j) menu->addAction(Shown(texts[at++]));
  }
  shownMenus_ = std::move(texts);
}

std::unique_ptr<WindowView> ClientWindow::MakeView(HWND window) {
  if (client_.IsRoom(window)) return std::make_unique<RoomView>(client_, tree_, window);
  if (client_.IsChatter(window)) return std::make_unique<ChatterView>(tree_, window);
  if (window == client_.welcome()) return std::make_unique<WelcomeView>(client_, tree_, window);
  return nullptr;
}

void ClientWindow::SyncWindows() {
  syncing_ = true;
  const std::vector<HWND> children = tree_.Children(client_.mdi());  // top first
  std::erase_if(windows_, [&](const auto& entry) {
    return std::find(children.begin(), children.end(), entry.first) == children.end();
  });
  // New windows bottom first, so that the last made is the one on top.
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (windows_.count(*it)) continue;
    std::unique_ptr<WindowView> view = MakeView(*it);
    if (!view) continue;
    auto sub = std::make_unique<ServedSubWindow>(std::move(view));
    area_.addSubWindow(sub.get());
    sub->show();
    windows_[*it] = std::move(sub);
  }
  ServedSubWindow* top = nullptr;
  for (HWND child : children) {
    auto it = windows_.find(child);
    if (it == windows_.end()) continue;
    it->second->setWindowTitle(Shown(tree_.Caption(child)));
    it->second->view().Refresh();
    if (top == nullptr) top = it->second.get();
  }
  if (top != nullptr && area_.currentSubWindow() != top) area_.setActiveSubWindow(top);
  syncing_ = false;
}

WindowView* ClientWindow::ViewOf(HWND window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second->view();
}

void ClientWindow::EnterKeyword() {
  const std::string text = platform::Utf8ToCp1252(keyword_.text().toStdString());
  keyword_.clear();
  std::lock_guard guard(tree_.lock());
  const HWND toolbar = tree_.FindChild(client_.frame(), 0, "AOL Toolbar", nullptr);
  const HWND inner = tree_.FindChild(toolbar, 0, "_AOL_Toolbar", nullptr);
  const HWND combo = tree_.FindChild(inner, 0, "_AOL_Combobox", nullptr);
  const HWND box = tree_.FindChild(combo, 0, "Edit", nullptr);
  if (box != 0) TypeAndEnter(tree_, box, text);
}

void ClientWindow::Activated(QMdiSubWindow* sub) {
  if (syncing_ || sub == nullptr) return;
  for (const auto& [window, served] : windows_) {
    if (served.get() == sub) client_.Activate(window);
  }
}

}  // namespace aolsim::window
