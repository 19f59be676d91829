#include "platform/win32/desktop_host.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QLocalSocket>
#include <QTimer>
#include <QVariant>
#include <atomic>
#include <filesystem>

#include "platform/win32/desktop_protocol.h"

namespace win32 {
namespace {

using protocol::Op;

constexpr int kMaxConnections = 32;
constexpr int kConnectionLifetimeMs = 10000;

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

}  // namespace

DesktopHost::DesktopHost(WindowTree& tree, QObject* parent) : QObject(parent), tree_(tree) {
  connect(&server_, &QLocalServer::newConnection, this, &DesktopHost::Accept);
}

DesktopHost::~DesktopHost() {
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
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // Callers connect for one call and wait at most 2 seconds, so a connection that lives
    // much longer, or the oldest of too many open at once, belongs to a stuck or hostile
    // peer: dropping it bounds the memory that peers can hold here, and new calls still get
    // their answer.
    static std::atomic<qulonglong> serial{0};
    socket->setProperty("serial", ++serial);
    const auto open = server_.findChildren<QLocalSocket*>(Qt::FindDirectChildrenOnly);
    if (open.size() > kMaxConnections) {
      QLocalSocket* oldest = nullptr;
      for (QLocalSocket* s : open) {
        if (s->state() == QLocalSocket::ConnectedState &&
            (oldest == nullptr ||
             s->property("serial").toULongLong() < oldest->property("serial").toULongLong())) {
          oldest = s;
        }
      }
      if (oldest != nullptr && oldest != socket) oldest->abort();
    }
    QTimer::singleShot(kConnectionLifetimeMs, socket, [socket] { socket->abort(); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Serve(socket); });
    Serve(socket);
  }
}

void DesktopHost::Serve(QLocalSocket* socket) {
  std::string pending = socket->property("pending").toByteArray().toStdString();
  // readyRead is not emitted again while bytes wait, so drain everything now.
  while (socket->bytesAvailable() > 0) pending += socket->readAll().toStdString();
  while (true) {
    bool bad = false;
    auto payload = protocol::TakeFrame(pending, bad);
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
        QTimer::singleShot(0, this, [this, hwnd, m] { tree_.Dispatch(hwnd, m); });
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
        reply.result = reply.ok ? ::getpid() : 0;
        reply.extra = reply.ok ? static_cast<std::uint64_t>(::getpid()) : 0;
        break;
    }
    const std::string frame = protocol::EncodeReply(reply);
    socket->write(frame.data(), static_cast<qint64>(frame.size()));
  }
  socket->setProperty("pending", QByteArray::fromStdString(pending));
  socket->flush();
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
