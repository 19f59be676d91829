#include "platform/win32/event_connection.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <filesystem>

#include "platform/win32/desktop_client.h"
#include "platform/win32/desktop_host.h"

namespace win32 {
namespace {

// The slow retry behind the folder watch, for changes the watch cannot see (the folder itself
// made anew, an owner that refused the subscription).
constexpr int kRetryMs = 2000;
constexpr int kSettleMs = 100;
constexpr int kReadsPerTurn = 16;

bool Wants(const HookFilter& f, const protocol::Event& e) {
  if (e.event < f.eventMin || e.event > f.eventMax) return false;
  if (f.idProcess != 0 && f.idProcess != e.pid) return false;
  if (f.idThread != 0 && f.idThread != e.thread) return false;
  if ((f.flags & WINEVENT_SKIPOWNPROCESS) && e.pid == static_cast<DWORD>(::getpid())) {
    return false;
  }
  return true;
}

protocol::Event LostMark() {
  protocol::Event e;
  e.event = EVENT_SPINDECK_EVENTSLOST;
  return e;
}

}  // namespace

EventConnection::EventConnection() = default;

EventConnection::~EventConnection() {
  if (notifier_) notifier_->setEnabled(false);
}

void EventConnection::Add(HWINEVENTHOOK id, const HookFilter& filter, WINEVENTPROC proc) {
  hooks_[id] = Hook{filter, std::move(proc), false};
  if (!fd_ || path_ != DesktopPath()) {
    if (fd_) Lose();
    Open();
  } else if (Wanted() != sent_) {
    Subscribe();  // the hook starts once the owner has taken the wider filter
  } else if (awaited_ == 0) {
    StartWaitingHooks();
  }
}

bool EventConnection::Remove(HWINEVENTHOOK id) {
  if (hooks_.erase(id) == 0) return false;
  // Nothing is closed inside a callback: the connection goes on the next turn of the loop.
  if (hooks_.empty()) {
    QMetaObject::invokeMethod(
        &context_,
        [this] {
          if (hooks_.empty()) Close();
        },
        Qt::QueuedConnection);
  }
  return true;
}

bool EventConnection::Started(HWINEVENTHOOK id) const {
  const auto it = hooks_.find(id);
  return it != hooks_.end() && it->second.started && fd_ && subscribed_;
}

HookFilter EventConnection::Wanted() const {
  HookFilter wanted;
  bool first = true;
  for (const auto& [id, hook] : hooks_) {
    const HookFilter& f = hook.filter;
    if (first) {
      wanted = {f.eventMin, f.eventMax, f.idProcess, f.idThread, 0};
      first = false;
      continue;
    }
    wanted.eventMin = std::min(wanted.eventMin, f.eventMin);
    wanted.eventMax = std::max(wanted.eventMax, f.eventMax);
    if (wanted.idProcess != f.idProcess) wanted.idProcess = 0;
    if (wanted.idThread != f.idThread) wanted.idThread = 0;
  }
  return wanted;
}

void EventConnection::Open() {
  path_ = DesktopPath();
  fd_ = ConnectDesktop(path_, DesktopClock::now());
  if (!fd_) {
    WatchForClient();
    return;
  }
  if (retry_) retry_->stop();
  if (watcher_) Bury(std::move(watcher_));
  notifier_ = std::make_unique<QSocketNotifier>(fd_.get(), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, &context_, [this] { Read(); });
  Subscribe();
}

void EventConnection::Subscribe() {
  const HookFilter wanted = Wanted();
  protocol::Request request;
  request.op = protocol::Op::kSubscribe;
  request.id = NextRequestId();
  request.a = wanted.eventMin;
  request.b = wanted.eventMax;
  request.c = wanted.idProcess;
  request.d = wanted.idThread;
  // A few dozen bytes into a socket that holds far more: sent at once or not at all.
  if (!SendAll(fd_.get(), protocol::EncodeRequest(request), DesktopClock::now())) {
    Lose();
    return;
  }
  sent_ = wanted;
  awaited_ = request.id;
}

void EventConnection::Read() {
  // A bounded helping per turn of the loop: an owner that sends without pause must not hold
  // this thread; the notifier fires again for the rest.
  char chunk[65536];
  for (int turns = 0; fd_ && turns < kReadsPerTurn; ++turns) {
    const ssize_t n = ::recv(fd_.get(), chunk, sizeof chunk, 0);
    if (n > 0) {
      buffer_.append(chunk, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) break;
    Lose();  // the owner hung up or refused the subscription
    break;
  }
  // Frames are taken by offset and erased together: erasing each from the front would cost
  // time in the square of a full buffer's frames.
  std::string taking = std::move(buffer_);
  buffer_.clear();
  std::size_t taken = 0;
  while (fd_) {
    bool bad = false;
    auto payload = protocol::TakeFrame(taking, taken, bad);
    if (bad) Lose();
    if (!payload) break;
    Take(*payload);
  }
  // Take() may have lost the connection (cleared buffer_): then nothing is kept.
  if (fd_) buffer_ = taking.substr(taken);
  Deliver();
}

void EventConnection::Take(const std::string& payload) {
  if (auto event = protocol::DecodeEvent(payload)) {
    if (event->event == EVENT_SPINDECK_EVENTSLOST) {
      QueueLost(true);
    } else {
      Queue(*event);
    }
    return;
  }
  const auto reply = protocol::DecodeReply(payload);
  if (!reply) {
    Lose();
    return;
  }
  // An answer to an older subscription, already replaced, changes nothing.
  if (reply->id != awaited_) return;
  awaited_ = 0;
  subscribed_ = true;
  StartWaitingHooks();
}

void EventConnection::StartWaitingHooks() {
  for (auto& [id, hook] : hooks_) {
    if (hook.started) continue;
    hook.started = true;
    queue_.push_back({id, LostMark()});
  }
  ScheduleDelivery();
}

void EventConnection::Queue(const protocol::Event& event) {
  for (const auto& [id, hook] : hooks_) {
    if (hook.started && Wants(hook.filter, event)) queue_.push_back({id, event});
  }
}

void EventConnection::QueueLost(bool onlyStarted) {
  for (const auto& [id, hook] : hooks_) {
    if (!onlyStarted || hook.started) queue_.push_back({id, LostMark()});
  }
}

void EventConnection::Lose() {
  if (notifier_) {
    notifier_->setEnabled(false);
    Bury(std::move(notifier_));
  }
  fd_ = UniqueFd();
  buffer_.clear();
  awaited_ = 0;
  sent_ = {};
  // The hooks that had events must read again whatever they watch; they start again with the
  // next client found.
  if (subscribed_) QueueLost(true);
  subscribed_ = false;
  for (auto& [id, hook] : hooks_) hook.started = false;
  ScheduleDelivery();
  if (!hooks_.empty()) WatchForClient();
}

void EventConnection::Close() {
  subscribed_ = false;  // nobody is left to tell
  Lose();
  if (retry_) Bury(std::move(retry_));
  if (watcher_) Bury(std::move(watcher_));
  queue_.clear();
}

void EventConnection::WatchForClient() {
  if (!retry_) {
    retry_ = std::make_unique<QTimer>();
    retry_->setInterval(kRetryMs);
    QObject::connect(retry_.get(), &QTimer::timeout, &context_, [this] { TryAgain(); });
  }
  if (!retry_->isActive()) retry_->start();
  if (!watcher_) {
    watcher_ = std::make_unique<QFileSystemWatcher>();
    // The socket appears a moment before its owner listens: one more try shortly after.
    QObject::connect(watcher_.get(), &QFileSystemWatcher::directoryChanged, &context_, [this] {
      TryAgain();
      if (!fd_) QTimer::singleShot(kSettleMs, &context_, [this] { TryAgain(); });
    });
  }
  // The socket's folder, or while it is not there the nearest folder above it that is.
  std::filesystem::path folder = std::filesystem::path(path_).parent_path();
  std::error_code ec;
  while (!folder.empty() && !std::filesystem::is_directory(folder, ec) &&
         folder != folder.parent_path()) {
    folder = folder.parent_path();
  }
  const QString wanted = QString::fromStdString(folder.string());
  const QStringList watched = watcher_->directories();
  if (watched.size() == 1 && watched.front() == wanted) return;
  if (!watched.isEmpty()) watcher_->removePaths(watched);
  if (!folder.empty()) watcher_->addPath(wanted);
}

void EventConnection::TryAgain() {
  if (fd_ || hooks_.empty()) return;
  Open();
}

void EventConnection::ScheduleDelivery() {
  if (deliveryQueued_ || queue_.empty()) return;
  deliveryQueued_ = true;
  QMetaObject::invokeMethod(
      &context_,
      [this] {
        deliveryQueued_ = false;
        Deliver();
      },
      Qt::QueuedConnection);
}

void EventConnection::Deliver() {
  // A callback that turns the event loop gets no event inside itself: what arrives meanwhile
  // waits in the queue for this loop.
  if (delivering_) return;
  delivering_ = true;
  while (!queue_.empty()) {
    const Delivery d = queue_.front();
    queue_.pop_front();
    auto it = hooks_.find(d.hook);
    if (it == hooks_.end()) continue;  // unhooked meanwhile
    // A copy: the callback may unhook itself, which destroys the stored one.
    const WINEVENTPROC proc = it->second.proc;
    proc(d.hook, d.event.event, d.event.hwnd, d.event.idObject, d.event.idChild, d.event.thread,
         d.event.timeMs);
  }
  delivering_ = false;
}

void EventConnection::Bury(std::unique_ptr<QObject> object) {
  object->disconnect(&context_);
  graveyard_.push_back(std::move(object));
  QMetaObject::invokeMethod(
      &context_, [this] { graveyard_.clear(); }, Qt::QueuedConnection);
}

}  // namespace win32
