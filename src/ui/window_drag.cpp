#include "src/ui/window_drag.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWindow>

namespace spindeck {
namespace {

constexpr int kWatchMs = 50;
// Resting this long with the button up, the window has been dropped.
constexpr int kRestMs = 200;
// The window system tells the window where it was dropped only after the release.
constexpr int kSettleMs = 150;

}  // namespace

WindowDrag::WindowDrag(QWidget& window, QWidget& handle, std::function<void()> dropped)
    : window_(window), handle_(handle), dropped_(std::move(dropped)) {
  handle_.installEventFilter(this);
  moveWatch_.setInterval(kWatchMs);
  connect(&moveWatch_, &QTimer::timeout, this, [this] { checkSystemMove(); });
  settled_.setSingleShot(true);
  settled_.setInterval(kSettleMs);
  connect(&settled_, &QTimer::timeout, this, [this] { finish(); });
}

WindowDrag::~WindowDrag() {
  if (mode_ == Mode::kSystem || mode_ == Mode::kSettling) {
    QCoreApplication::instance()->removeEventFilter(this);
  }
}

bool WindowDrag::eventFilter(QObject* watched, QEvent* event) {
  if (mode_ == Mode::kSettling) {
    if (watched == &window_ && event->type() == QEvent::Move) settled_.start();
    return false;
  }
  if (mode_ == Mode::kSystem) return watchSystemMove(watched, event);
  if (watched != &handle_) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      const auto* press = static_cast<QMouseEvent*>(event);
      if (press->button() != Qt::LeftButton || blocked_ || mode_ != Mode::kNone) return false;
      begin(press->globalPosition().toPoint());
      return true;
    }
    case QEvent::MouseMove:
      if (mode_ != Mode::kFollow) return false;
      window_.move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - grabOffset_);
      return true;
    case QEvent::MouseButtonRelease:
      if (mode_ != Mode::kFollow || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return false;
      finish();
      return true;
    default:
      return false;
  }
}

void WindowDrag::begin(QPoint globalPress) {
  QWindow* handle = window_.windowHandle();
  if (handle != nullptr && handle->startSystemMove()) {
    mode_ = Mode::kSystem;
    QCoreApplication::instance()->installEventFilter(this);
    sinceMoved_.start();
    moveWatch_.start();
    return;
  }
  mode_ = Mode::kFollow;
  grabOffset_ = globalPress - window_.pos();
}

bool WindowDrag::watchSystemMove(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Move:
      if (watched == &window_) sinceMoved_.restart();
      break;
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonPress:  // a new press: the move ended unseen
      settle();
      break;
    case QEvent::MouseMove:
      // Plain mouse moves come again only once the window system let go of the mouse.
      if (!(static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton)) settle();
      break;
    default:
      break;
  }
  return false;
}

void WindowDrag::checkSystemMove() {
  const bool buttonUp = !(QGuiApplication::mouseButtons() & Qt::LeftButton);
  if (buttonUp && sinceMoved_.elapsed() >= kRestMs) settle();
}

void WindowDrag::settle() {
  moveWatch_.stop();
  mode_ = Mode::kSettling;
  settled_.start();
}

void WindowDrag::finish() {
  if (mode_ == Mode::kSettling) QCoreApplication::instance()->removeEventFilter(this);
  mode_ = Mode::kNone;
  // The dropped window may slide, turning the event loop; this object may be gone after.
  const auto dropped = dropped_;
  if (dropped) dropped();
}

}  // namespace spindeck
