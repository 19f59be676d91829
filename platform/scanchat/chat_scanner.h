#pragma once
// A chat scanner: once started, it reports every new line of the open chat room's
// transcript once, in order, as (sender, text), on the event loop. A line is new when it
// entered the transcript after the scanner first saw that room since its start: a room seen
// for the first time has its present lines taken as read, and a room that comes back on top
// resumes after the last line read there. What is remembered of a room belongs to the client
// process that owns it: a client started again reuses the window handles of the one before,
// and its rooms are taken as read when first seen, whatever their transcripts hold.
//
// It looks at the transcript when the client's window events say that something changed: a
// line entered the open room's transcript, or a window was made, destroyed or brought on top.
// A quiet room is never read. Whenever no owner has confirmed the events' subscription (a
// client that offers no events, one that refused the subscriber, or none yet), the scanner
// polls instead, every 50 ms while the room talks and less often while it is quiet, and goes
// back to events once they flow.
//
// A transcript that numbers its lines (EM_GETNEXTLINESERIAL) is read from the line after the
// last one read, by serial number: a trim never hides a line and no text is compared. Other
// transcripts are read whole, and the new lines found by matching them against the lines
// read before; when nothing matches, the room starts afresh, its lines taken as read. A call
// that fails is never taken for an answer: the line or text it was to give is read again
// later.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/scanchat/own_lines.h"
#include "platform/scanchat/transcript.h"
#include "platform/win32/win32.h"

namespace platform {

// The window calls a scanner makes: by default those of the desktop (win32.h). A test may
// answer them itself.
struct ScannerCalls {
  // A sent message: false when the call failed (no such window, no answer in time).
  std::function<bool(win32::HWND, win32::UINT, win32::WPARAM, win32::LPARAM, win32::LRESULT&)> send;
  // Who owns the window: its process and thread ids together; 0 when the call failed.
  std::function<std::uint64_t(win32::HWND)> owner;
  std::function<win32::HWINEVENTHOOK(win32::WINEVENTPROC)> hook;
  std::function<void(win32::HWINEVENTHOOK)> unhook;
  // True while the hook's events flow (win32::IsWinEventHookStarted).
  std::function<bool(win32::HWINEVENTHOOK)> started;
};
ScannerCalls DesktopScannerCalls();

class ChatScanner : public QObject {
  Q_OBJECT
 public:
  using LineHandler = std::function<void(const std::string& sender, const std::string& text)>;
  using WindowFinder = std::function<win32::HWND()>;
  // The user's screen name; `again` asks the client afresh rather than a name kept from
  // before. Empty when it cannot be known.
  using NameSource = std::function<std::string(bool again)>;

  // findTranscript gives the transcript window of the open room (0 when none). ownLines and
  // userName, when given, leave out the lines the program itself sent under the user's name.
  ChatScanner(WindowFinder findTranscript, OwnLines* ownLines = nullptr, NameSource userName = {},
              ScannerCalls calls = DesktopScannerCalls());
  ~ChatScanner() override;

  void setLineHandler(LineHandler handler) { handler_ = std::move(handler); }

  // From now on, report each new line; lines already in the open room, and in every other room
  // when it is first seen, are not reported.
  void start();
  // Report no more lines, also none that were found but not yet delivered.
  void stop();
  bool scanning() const { return scanning_; }
  // True while the client's window events wake the scanner, false while it polls.
  bool eventDriven() const { return events_; }

  // One look now at whichever room is open, as the polling timer makes it (tests call it
  // directly).
  void poll();

  // Polling: a room that is talking is read every 50 ms. Once it has been quiet for a while,
  // the interval doubles step by step up to 1 s, so that a quiet room costs the computer next
  // to nothing; the first change seen brings the 50 ms back. Driven by events, a read that
  // failed is tried again after kQuietPollMs.
  static constexpr int kPollMs = 50;
  static constexpr int kQuietPollMs = 1000;
  static constexpr int kQuietAfterMs = 3000;
  int pollInterval() const { return timer_.interval(); }

 private:
  struct Seen {
    // The serial of the next line to read, for a transcript that numbers its lines; else 0.
    std::uint64_t nextSerial = 0;
    // What was read of a transcript that does not number its lines: its length (-1 when the
    // text must be read again whatever its length), first and last line as the control gives
    // them, and its lines.
    int length = -1;
    std::string first;
    std::string last;
    std::vector<TranscriptLine> lines;
  };
  enum class Read { kUnchanged, kNew, kFailed };

  void OnWinEvent(win32::DWORD event, win32::HWND window);
  // Polls unless the hook's events flow.
  void FollowEvents();
  void LookSoon(bool findRoom);
  void Look();
  void RetryLater();
  bool Send(win32::HWND window, win32::UINT message, win32::WPARAM wParam, win32::LPARAM lParam,
            win32::LRESULT& result) const;
  std::optional<std::uint64_t> NextSerial(win32::HWND transcript) const;
  std::optional<std::string> LineAt(win32::HWND transcript, win32::UINT message,
                                    win32::WPARAM which) const;
  // The whole text's lines now, its length asked just before; false when a call failed.
  bool ReadText(win32::HWND transcript, win32::LRESULT length, Seen& into) const;
  // Takes the transcript's present lines as read; false when the read failed.
  bool TakeAsRead(win32::HWND transcript);
  Read ReadBySerial(win32::HWND transcript, Seen& seen, std::uint64_t next,
                    std::vector<TranscriptLine>& fresh);
  Read ReadWhole(win32::HWND transcript, Seen& seen, std::vector<TranscriptLine>& fresh);
  bool Unchanged(win32::HWND transcript, const Seen& seen, int length) const;
  void Queue(const std::vector<TranscriptLine>& fresh);
  void Deliver(const TranscriptLine& line);
  bool SentByUser(const std::string& sender) const;
  void NoteActivity(bool changed);

  WindowFinder findTranscript_;
  OwnLines* ownLines_;
  NameSource userName_;
  ScannerCalls calls_;
  int ownId_;
  LineHandler handler_;
  bool scanning_ = false;
  win32::HWINEVENTHOOK hook_ = 0;
  bool events_ = false;                // the hook's events flow: no polling
  bool lookQueued_ = false;            // a look is queued on the event loop
  bool findRoom_ = true;               // the next look finds the open room again
  QTimer timer_;                       // polls without events; retries a failed read with them
  QElapsedTimer sinceChange_;          // since the transcript last changed (or the scanner started)
  std::uint64_t owner_ = 0;            // the client whose rooms rooms_ remembers
  std::map<win32::HWND, Seen> rooms_;  // what was last read of each room's transcript
  win32::HWND lastPolled_ = 0;         // the transcript read at the previous look
  unsigned generation_ = 0;            // bumped by stop(), so queued lines of before are dropped
};

}  // namespace platform
