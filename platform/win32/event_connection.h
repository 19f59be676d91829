#pragma once
// The one connection over which the window event hooks of a thread receive the desktop's
// events. It lives on the thread's event loop: a socket notifier reads whole frames as they
// come, and the hooks' callbacks run one after the other from there, never inside each other.
// While no client listens (or after it died) a watch on the socket's folder, with a slow retry
// as a backstop, finds it again. A thread without hooks holds no connection.
#include <QObject>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/desktop_protocol.h"
#include "platform/win32/desktop_socket.h"
#include "platform/win32/win32.h"

class QSocketNotifier;
class QFileSystemWatcher;
class QTimer;

namespace win32 {

struct HookFilter {
  DWORD eventMin = 0, eventMax = 0, idProcess = 0, idThread = 0, flags = 0;
  bool operator==(const HookFilter&) const = default;
};

class EventConnection {
 public:
  EventConnection();
  ~EventConnection();
  EventConnection(const EventConnection&) = delete;
  EventConnection& operator=(const EventConnection&) = delete;

  void Add(HWINEVENTHOOK id, const HookFilter& filter, WINEVENTPROC proc);
  bool Remove(HWINEVENTHOOK id);
  // True while the hook's events flow: an owner confirmed the subscription on the open
  // connection.
  bool Started(HWINEVENTHOOK id) const;

 private:
  struct Hook {
    HookFilter filter;
    WINEVENTPROC proc;
    bool started = false;  // told by EVENT_SPINDECK_EVENTSLOST that its events flow
  };
  struct Delivery {
    HWINEVENTHOOK hook;
    protocol::Event event;
  };

  void Open();
  void Lose();
  void Close();
  void Subscribe();
  void Read();
  void Take(const std::string& payload);
  void StartWaitingHooks();
  void Queue(const protocol::Event& event);
  void QueueLost(bool onlyStarted);
  void Deliver();
  void ScheduleDelivery();
  void WatchForClient();
  void TryAgain();
  void Bury(std::unique_ptr<QObject> object);
  HookFilter Wanted() const;

  QObject context_;  // queued calls and timers, on this thread
  std::map<HWINEVENTHOOK, Hook> hooks_;
  UniqueFd fd_;
  std::string path_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::string buffer_;
  HookFilter sent_;            // the filter of the last subscription sent
  std::uint32_t awaited_ = 0;  // the id of that subscription while unanswered
  bool subscribed_ = false;    // a subscription was answered on this connection
  std::deque<Delivery> queue_;
  bool delivering_ = false;
  bool deliveryQueued_ = false;
  std::unique_ptr<QFileSystemWatcher> watcher_;
  std::unique_ptr<QTimer> retry_;
  // Objects dropped inside their own signals, deleted on the next turn of the event loop.
  std::vector<std::unique_ptr<QObject>> graveyard_;
};

}  // namespace win32
