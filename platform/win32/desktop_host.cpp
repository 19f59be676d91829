#include "platform/win32/desktop_host.h"

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QLocalSocket>
#include <QTimer>
#include <filesystem>

#include "platform/win32/desktop_protocol.h"

namespace win32 {
namespace {

using protocol::Op;

constexpr int kMaxConnections = 32;  // call connections
constexpr int kMaxSubscribers = 32;
// A request begun and not finished in this time belongs to a stuck or hostile peer.
constexpr int kUnfinishedRequestMs = 10000;
// A subscriber whose unsent events pass this loses the next ones.
constexpr qint64 kMaxBacklog = 256 * 1024;
// A caller whose replies pile up unread past this (it sends and never reads) is dropped.
constexpr qint64 kMaxUnsentReplies = 1 << 20;
// Posted messages waiting to be handled; beyond this a post is refused (FALSE).
constexpr std::size_t kMaxQueuedPosts = 4096;
// Events handed over but not yet sent (the host's thread is held up): beyond this they are
// dropped, and every subscriber is told.
constexpr std::size_t kMaxQueuedEvents = 65536;

// The socket's folder must be ours and closed to others, so no other user can drive us.
bool PrepareFolder(const std::filesystem::path& folder) {
  struct stat info {};
  // lstat: a symbolic link in place of the folder is refused, not followed.
  if (::lstat(folder.c_str(), &info) != 0) {
    std::error_code ec;
    std::filesystem::create_directories(folder.parent_path(), ec);
    if (::mkdir(folder.c_str(), 0700) != 0) return false;
    return ::stat(folder.c_str(), &info) == 0;
  }
  return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

std::uint32_t NowMs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                    static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
}

bool Matches(DWORD want, DWORD have) {
  return want == 0 || want == have;
}

}  // namespace

DesktopHost::DesktopHost(WindowTree& tree, QObject* parent)
    : QObject(parent), tree_(tree), threadId_(static_cast<DWORD>(::gettid())) {
  connect(&server_, &QLocalServer::newConnection, this, &DesktopHost::Accept);
  tree_.SetEventSink([this](DWORD event, HWND window) { QueueEvent(event, window); });
}

DesktopHost::~DesktopHost() {
  // Once the sink is replaced no thread is inside QueueEvent (both hold the tree's lock).
  tree_.SetEventSink({});
  for (auto& [socket, peer] : peers_) socket->disconnect(this);
  peers_.clear();
  server_.close();
  if (!path_.empty()) ::unlink(path_.c_str());
}

bool DesktopHost::Listen(const std::string& path) {
  const std::filesystem::path socketPath(path);
  if (!PrepareFolder(socketPath.parent_path())) return false;
  ::unlink(path.c_str());  // a socket left by an owner that died
  server_.setMaxPendingConnections(64);
  if (!server_.listen(QString::fromStdString(path))) return false;
  ::chmod(path.c_str(), 0600);
  path_ = path;
  return true;
}

void DesktopHost::Accept() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    Peer& peer = peers_[socket];
    peer.serial = ++nextSerial_;
    peer.stall = std::make_unique<QTimer>();
    peer.stall->setSingleShot(true);
    peer.stall->setInterval(kUnfinishedRequestMs);
    connect(peer.stall.get(), &QTimer::timeout, socket, [socket] { socket->abort(); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] { Forget(socket); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Serve(socket); });
    connect(socket, &QLocalSocket::bytesWritten, this, [this, socket] { Drained(socket); });
    EvictCallConnection(socket);
    if (peers_.count(socket)) Serve(socket);
  }
}

void DesktopHost::Forget(QLocalSocket* socket) {
  // A subscriber that hangs up takes its subscription with it.
  peers_.erase(socket);
  socket->deleteLater();
}

// Of too many call connections one goes: the oldest that holds an unfinished request (what a
// stuck or hostile peer does, and what costs memory here), else the oldest idle one, whose
// caller opens a new one for its next call. The newcomer is spared, so that its call is
// answered.
void DesktopHost::EvictCallConnection(QLocalSocket* newcomer) {
  int calls = 0;
  QLocalSocket* victim = nullptr;
  std::uint64_t victimSerial = 0;
  bool victimUnfinished = false;
  for (auto& [socket, peer] : peers_) {
    if (peer.subscriber) continue;
    ++calls;
    if (socket == newcomer || socket->state() != QLocalSocket::ConnectedState) continue;
    const bool unfinished = !peer.pending.empty();
    if (victim == nullptr || (unfinished && !victimUnfinished) ||
        (unfinished == victimUnfinished && peer.serial < victimSerial)) {
      victim = socket;
      victimSerial = peer.serial;
      victimUnfinished = unfinished;
    }
  }
  if (calls > kMaxConnections && victim != nullptr) victim->abort();
}

bool DesktopHost::Subscribe(Peer& peer, DWORD first, DWORD last, DWORD pid, DWORD thread) {
  if (!peer.subscriber) {
    int subscribers = 0;
    for (const auto& [s, p] : peers_) subscribers += p.subscriber ? 1 : 0;
    if (subscribers >= kMaxSubscribers) return false;
  }
  peer.subscriber = true;
  peer.eventMin = first;
  peer.eventMax = last;
  peer.pid = pid;
  peer.thread = thread;
  return true;
}

void DesktopHost::Serve(QLocalSocket* socket) {
  auto it = peers_.find(socket);
  if (it == peers_.end()) return;
  // Taken out while serving: a handler that turns the event loop may serve this socket again.
  std::string pending = std::move(it->second.pending);
  it->second.pending.clear();
  // readyRead is not emitted again while bytes wait, so drain everything now.
  while (socket->bytesAvailable() > 0) pending += socket->readAll().toStdString();
  std::size_t taken = 0;
  while (true) {
    bool bad = false;
    auto payload = protocol::TakeFrame(pending, taken, bad);
    if (bad) {
      socket->abort();
      return;
    }
    if (!payload) break;
    const auto request = protocol::DecodeRequest(*payload);
    if (!request) {
      socket->abort();
      return;
    }
    protocol::Reply reply;
    reply.id = request->id;
    const auto hwnd = static_cast<HWND>(request->a);
    const auto menu = static_cast<HMENU>(request->a);
    switch (request->op) {
      case Op::kFindWindow:
        reply.result = tree_.FindChild(hwnd, static_cast<HWND>(request->b),
                                       request->hasText1 ? request->text1.c_str() : nullptr,
                                       request->hasText2 ? request->text2.c_str() : nullptr);
        break;
      case Op::kSendMessage: {
        if (!tree_.Exists(hwnd)) {
          reply.ok = false;
          break;
        }
        Message m{static_cast<UINT>(request->b), static_cast<WPARAM>(request->c),
                  static_cast<LPARAM>(request->d), request->text1};
        MessageResult r = tree_.Dispatch(hwnd, m);
        reply.result = r.result;
        reply.text = std::move(r.text);
        break;
      }
      case Op::kPostMessage: {
        if (!tree_.Exists(hwnd)) break;  // result 0: not queued
        Message m{static_cast<UINT>(request->b),
                  static_cast<WPARAM>(request->c),
                  static_cast<LPARAM>(request->d),
                  {}};
        if (posts_.size() >= kMaxQueuedPosts) break;  // result 0: not queued
        posts_.push_back({hwnd, m});
        if (posts_.size() == 1) {
          QMetaObject::invokeMethod(
              this, [this] { DispatchPosts(); }, Qt::QueuedConnection);
        }
        reply.result = TRUE;
        break;
      }
      case Op::kGetWindowText:
        reply.ok = tree_.Exists(hwnd);
        reply.text = tree_.Caption(hwnd);
        break;
      case Op::kGetMenu:
        reply.result = tree_.Menu(hwnd);
        break;
      case Op::kGetMenuItemCount:
        reply.result = tree_.MenuItemCount(menu);
        break;
      case Op::kGetSubMenu:
        reply.result = tree_.SubMenu(menu, static_cast<int>(request->b));
        break;
      case Op::kGetMenuItemId:
        reply.result = tree_.MenuItemId(menu, static_cast<int>(request->b));
        break;
      case Op::kGetMenuString:
        reply.ok = tree_.MenuString(menu, static_cast<UINT>(request->b),
                                    static_cast<UINT>(request->c), reply.text);
        reply.result = static_cast<LRESULT>(reply.text.size());
        break;
      case Op::kGetWindowProcess:
        reply.ok = tree_.Exists(hwnd);
        reply.result = reply.ok ? threadId_ : 0;
        reply.extra = reply.ok ? static_cast<std::uint64_t>(::getpid()) : 0;
        break;
      case Op::kSubscribe: {
        it = peers_.find(socket);
        if (it == peers_.end()) return;
        if (!Subscribe(it->second, static_cast<DWORD>(request->a), static_cast<DWORD>(request->b),
                       static_cast<DWORD>(request->c), static_cast<DWORD>(request->d))) {
          socket->abort();  // too many subscribers: the caller tries again later
          return;
        }
        reply.result = TRUE;
        break;
      }
    }
    const std::string frame = protocol::EncodeReply(reply);
    socket->write(frame.data(), static_cast<qint64>(frame.size()));
    if (socket->bytesToWrite() > kMaxUnsentReplies) {
      socket->abort();  // it asks and never reads: its replies would grow without end
      return;
    }
  }
  pending.erase(0, taken);
  // A handler may have closed the connection meanwhile.
  it = peers_.find(socket);
  if (it == peers_.end()) return;
  it->second.pending = std::move(pending);
  if (it->second.pending.empty()) {
    it->second.stall->stop();
  } else if (!it->second.stall->isActive()) {
    it->second.stall->start();
  }
  socket->flush();
}

void DesktopHost::DispatchPosts() {
  // One by one: a handler may post again, or turn the event loop.
  while (!posts_.empty()) {
    const auto [window, message] = posts_.front();
    posts_.pop_front();
    tree_.Dispatch(window, message);
  }
}

void DesktopHost::QueueEvent(DWORD event, HWND window) {
  std::lock_guard guard(eventsLock_);
  if (events_.size() >= kMaxQueuedEvents) {
    eventsOverflowed_ = true;
  } else {
    events_.push_back({event, window, NowMs()});
  }
  if (wakeQueued_) return;
  wakeQueued_ = true;
  QMetaObject::invokeMethod(
      this, [this] { SendEvents(); }, Qt::QueuedConnection);
}

void DesktopHost::SendEvents() {
  std::vector<PendingEvent> events;
  bool overflowed = false;
  {
    std::lock_guard guard(eventsLock_);
    events.swap(events_);
    overflowed = eventsOverflowed_;
    eventsOverflowed_ = false;
    wakeQueued_ = false;
  }
  const auto self = static_cast<DWORD>(::getpid());
  for (auto& [socket, peer] : peers_) {
    if (!peer.subscriber) continue;
    if (overflowed) peer.losing = true;
    for (const PendingEvent& e : events) {
      if (e.event < peer.eventMin || e.event > peer.eventMax || !Matches(peer.pid, self) ||
          !Matches(peer.thread, threadId_)) {
        continue;
      }
      protocol::Event frame;
      frame.event = e.event;
      frame.hwnd = e.window;
      frame.thread = threadId_;
      frame.pid = self;
      frame.timeMs = e.timeMs;
      Send(socket, peer, protocol::EncodeEvent(frame));
    }
  }
  // Marks owed to subscribers whose backlog is already empty go out now: no bytesWritten will
  // come for them.
  std::vector<QLocalSocket*> subscribers;
  for (const auto& [socket, peer] : peers_) {
    if (peer.subscriber) subscribers.push_back(socket);
  }
  for (QLocalSocket* socket : subscribers) {
    Drained(socket);
    if (peers_.count(socket)) socket->flush();
  }
}

void DesktopHost::Send(QLocalSocket* socket, Peer& peer, const std::string& frame) {
  if (peer.losing) return;
  if (socket->bytesToWrite() > kMaxBacklog) {
    peer.losing = true;
    return;
  }
  socket->write(frame.data(), static_cast<qint64>(frame.size()));
}

void DesktopHost::Drained(QLocalSocket* socket) {
  auto it = peers_.find(socket);
  if (it == peers_.end() || !it->second.losing || socket->bytesToWrite() > 0) return;
  it->second.losing = false;
  protocol::Event lost;
  lost.event = EVENT_SPINDECK_EVENTSLOST;
  lost.thread = threadId_;
  lost.pid = static_cast<DWORD>(::getpid());
  lost.timeMs = NowMs();
  const std::string frame = protocol::EncodeEvent(lost);
  socket->write(frame.data(), static_cast<qint64>(frame.size()));
}

DesktopThread::DesktopThread(WindowTree& tree, const std::string& path) {
  thread_.start();
  QObject context;
  context.moveToThread(&thread_);
  QMetaObject::invokeMethod(
      &context,
      [&] {
        host_ = std::make_unique<DesktopHost>(tree);
        listening_ = host_->Listen(path);
      },
      Qt::BlockingQueuedConnection);
  QMetaObject::invokeMethod(
      &context, [&context] { context.moveToThread(nullptr); }, Qt::BlockingQueuedConnection);
}

DesktopThread::~DesktopThread() {
  QObject context;
  context.moveToThread(&thread_);
  QMetaObject::invokeMethod(
      &context, [this] { host_.reset(); }, Qt::BlockingQueuedConnection);
  QMetaObject::invokeMethod(
      &context, [&context] { context.moveToThread(nullptr); }, Qt::BlockingQueuedConnection);
  thread_.quit();
  thread_.wait();
}

}  // namespace win32
