#pragma once
// A chat scanner: once started, it reports every new line of the open chat room's
// transcript once, in order, as (sender, text), on the event loop. It polls the transcript
// through the window services, with a cheap look at its length and ends first. A line is new
// when it entered the transcript after the scanner first saw that room since its start: a room
// seen for the first time has its present lines taken as read, and a room that comes back on
// top resumes after the last line read there.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/scanchat/own_lines.h"
#include "platform/scanchat/transcript.h"
#include "platform/win32/win32.h"

namespace platform {

class ChatScanner : public QObject {
  Q_OBJECT
 public:
  using LineHandler = std::function<void(const std::string& sender, const std::string& text)>;
  using WindowFinder = std::function<win32::HWND()>;
  using NameSource = std::function<std::string()>;

  // findTranscript gives the transcript window of the open room (0 when none). ownLines and
  // userName, when given, leave out the lines the program itself sent under the user's name.
  ChatScanner(WindowFinder findTranscript, OwnLines* ownLines = nullptr, NameSource userName = {});

  void setLineHandler(LineHandler handler) { handler_ = std::move(handler); }

  // From now on, report each new line; lines already in the open room, and in every other room
  // when it is first seen, are not reported.
  void start();
  // Report no more lines, also none that were found but not yet delivered.
  void stop();
  bool scanning() const { return timer_.isActive(); }

  // One poll, as the timer does it (tests call it directly).
  void poll();

  // A room that is talking is read every 50 ms. Once it has been quiet for a while, the poll
  // interval doubles step by step up to 1 s, so that a quiet room costs the computer next
  // to nothing; the first change seen brings the 50 ms back.
  static constexpr int kPollMs = 50;
  static constexpr int kQuietPollMs = 1000;
  static constexpr int kQuietAfterMs = 3000;
  int pollInterval() const { return timer_.interval(); }

 private:
  struct Seen {
    int length = -1;
    std::string first;
    std::string last;
    std::vector<TranscriptLine> lines;
  };
  bool Unchanged(win32::HWND transcript, const Seen& seen, int length, std::string& first,
                 std::string& last) const;
  // Reads the transcript and takes its lines as read; false when the read failed.
  bool TakeAsRead(win32::HWND transcript);
  void Deliver(const TranscriptLine& line);
  void NoteActivity(bool changed);

  WindowFinder findTranscript_;
  OwnLines* ownLines_;
  NameSource userName_;
  int ownId_;
  LineHandler handler_;
  QTimer timer_;
  QElapsedTimer sinceChange_;          // since the transcript last changed (or the scanner started)
  std::map<win32::HWND, Seen> rooms_;  // what was last read of each room's transcript
  win32::HWND lastPolled_ = 0;         // the transcript read at the previous poll
  unsigned generation_ = 0;            // bumped by stop(), so queued lines of before are dropped
};

}  // namespace platform
