#pragma once
// Serves a WindowTree on the desktop socket, so that other processes reach its windows
// through the window services of win32.h. Runs on the event loop of the thread that creates
// it. Sent messages are answered at once; posted messages are queued on that event loop.
#include <QLocalServer>
#include <QObject>
#include <QThread>
#include <memory>
#include <string>

#include "platform/win32/window_tree.h"

namespace win32 {

// The socket path: $SPINDECK_DESKTOP, else $XDG_RUNTIME_DIR/spindeck/desktop, else
// /tmp/spindeck-<uid>/desktop.
std::string DesktopPath();

class DesktopHost : public QObject {
  Q_OBJECT
 public:
  explicit DesktopHost(WindowTree& tree, QObject* parent = nullptr);
  ~DesktopHost() override;

  // Creates the socket's folder (mode 0700) and listens (socket mode 0600). False when the
  // folder belongs to someone else or is open to others, or the socket cannot be made.
  bool Listen(const std::string& path = DesktopPath());

 private:
  void Accept();
  void Serve(class QLocalSocket* socket);

  WindowTree& tree_;
  QLocalServer server_;
  std::string path_;
};

// A desktop host on a thread of its own, for a process that calls the window services of
// its own windows (tests): those calls wait for the answer, which a host on the calling
// thread could never give.
class DesktopThread {
 public:
  DesktopThread(WindowTree& tree, const std::string& path);
  ~DesktopThread();
  bool listening() const { return listening_; }

 private:
  QThread thread_;
  std::unique_ptr<DesktopHost> host_;
  bool listening_ = false;
};

}  // namespace win32
