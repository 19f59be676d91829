#pragma once
// Serves a WindowTree on the desktop socket, so that other processes reach its windows
// through the window services of win32.h. Runs on the event loop of the thread that creates
// it. Sent messages are answered at once; posted messages are queued on that event loop.
//
// Callers keep their connections between calls. A caller whose unsent replies pass 1 MiB is
// dropped, and at most 4096 posted messages wait. The memory that peers can hold here stays
// bounded: a connection that leaves a request unfinished for 10 seconds is dropped, and of
// too many call connections the oldest that holds an unfinished request is, else the oldest
// idle one. Connections that subscribed to the
// tree's events are counted apart, with a cap of their own; a subscriber that stops reading
// loses events (told afterwards by one EVENT_SPINDECK_EVENTSLOST) rather than holding the
// owner or its memory.
#include <QLocalServer>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/window_tree.h"

namespace win32 {

// The socket path: $SPINDECK_DESKTOP, else $XDG_RUNTIME_DIR/spindeck/desktop, else
// /tmp/spindeck-<uid>/desktop.
std::string DesktopPath();

class DesktopHost : public QObject {
  Q_OBJECT
 public:
  explicit DesktopHost(WindowTree& tree, QObject* parent = nullptr);
  // Detaches from the tree's events (the tree may outlive the host).
  ~DesktopHost() override;

  // Creates the socket's folder (mode 0700) and listens (socket mode 0600). False when the
  // folder belongs to someone else or is open to others, or the socket cannot be made.
  bool Listen(const std::string& path = DesktopPath());

 private:
  // What the host keeps of one connection.
  struct Peer {
    std::uint64_t serial = 0;  // order of arrival
    std::string pending;       // bytes of a request not yet complete
    std::unique_ptr<QTimer> stall;
    bool subscriber = false;
    DWORD eventMin = 0, eventMax = 0, pid = 0, thread = 0;
    bool losing = false;  // events are dropped until the backlog has drained
  };
  struct PendingEvent {
    DWORD event;
    HWND window;
    std::uint32_t timeMs;
  };

  void Accept();
  void Serve(class QLocalSocket* socket);
  void Forget(QLocalSocket* socket);
  void EvictCallConnection(QLocalSocket* newcomer);
  bool Subscribe(Peer& peer, DWORD first, DWORD last, DWORD pid, DWORD thread);
  // Called by the tree, on any thread, with the tree's lock held.
  void QueueEvent(DWORD event, HWND window);
  void SendEvents();
  void Send(QLocalSocket* socket, Peer& peer, const std::string& frame);
  void Drained(QLocalSocket* socket);
  void DispatchPosts();

  WindowTree& tree_;
  // The id of the thread that serves the windows, as GetWindowThreadProcessId gives it: with
  // the process id it names this owner, so that a client started again, whose windows get the
  // same handles, is told from the one before.
  const DWORD threadId_;
  QLocalServer server_;
  std::string path_;
  std::map<QLocalSocket*, Peer> peers_;
  std::uint64_t nextSerial_ = 0;
  std::deque<std::pair<HWND, Message>> posts_;  // posted messages not yet handled

  // Events handed over from the threads that change the tree.
  std::mutex eventsLock_;
  std::vector<PendingEvent> events_;
  bool eventsOverflowed_ = false;
  bool wakeQueued_ = false;
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
