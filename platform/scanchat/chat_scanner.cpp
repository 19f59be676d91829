#include "platform/scanchat/chat_scanner.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {
namespace {

constexpr int kMaxTranscriptBytes = 4 << 20;
// Room beyond the length learned just before the text is read, for lines that come between
// the two calls. A text that still fills the buffer was cut, and its last line is not taken.
constexpr int kTextSlack = 64 << 10;

// A line as the control gives it (EM_GETLINE), from its parsed form.
std::string Shown(const TranscriptLine& line) {
  return line.sender.empty() ? line.text : line.sender + ":\t" + line.text;
}

}  // namespace

ScannerCalls DesktopScannerCalls() {
  ScannerCalls calls;
  calls.send = [](win32::HWND window, win32::UINT message, win32::WPARAM wParam,
                  win32::LPARAM lParam, win32::LRESULT& result) {
    win32::DWORD_PTR value = 0;
    const bool ok = win32::SendMessageTimeoutA(window, message, wParam, lParam, win32::SMTO_NORMAL,
                                               2000, &value) != 0;
    result = static_cast<win32::LRESULT>(value);
    return ok;
  };
  calls.owner = [](win32::HWND window) -> std::uint64_t {
    win32::DWORD pid = 0;
    const win32::DWORD thread = win32::GetWindowThreadProcessId(window, &pid);
    return thread == 0 ? 0 : (std::uint64_t{pid} << 32) | thread;
  };
  calls.hook = [](win32::WINEVENTPROC proc) {
    return win32::SetWinEventHook(win32::EVENT_OBJECT_CREATE, win32::EVENT_OBJECT_VALUECHANGE,
                                  nullptr, std::move(proc), 0, 0, win32::WINEVENT_OUTOFCONTEXT);
  };
  calls.unhook = [](win32::HWINEVENTHOOK hook) { win32::UnhookWinEvent(hook); };
  calls.started = [](win32::HWINEVENTHOOK hook) { return win32::IsWinEventHookStarted(hook) != 0; };
  return calls;
}

ChatScanner::ChatScanner(WindowFinder findTranscript, OwnLines* ownLines, NameSource userName,
                         ScannerCalls calls)
    : findTranscript_(std::move(findTranscript)),
      ownLines_(ownLines),
      userName_(std::move(userName)),
      calls_(std::move(calls)),
      ownId_(ownLines_ != nullptr ? ownLines_->AddReader() : 0) {
  timer_.setInterval(kPollMs);
  connect(&timer_, &QTimer::timeout, this, [this] {
    FollowEvents();
    if (events_) {
      LookSoon(true);  // a failed read tried again, or the first look once events flow
    } else {
      Look();
    }
  });
}

ChatScanner::~ChatScanner() {
  if (hook_ != 0) calls_.unhook(hook_);
}

void ChatScanner::start() {
  if (scanning_) return;
  scanning_ = true;
  // What was read before the stop says nothing about the lines that came while stopped: every
  // room is forgotten, so each one's present lines are taken as read when it is next seen.
  rooms_.clear();
  owner_ = 0;
  lastPolled_ = 0;
  hook_ =
      calls_.hook([this](win32::HWINEVENTHOOK, win32::DWORD event, win32::HWND window, win32::LONG,
                         win32::LONG, win32::DWORD, win32::DWORD) { OnWinEvent(event, window); });
  // Polling until an owner confirms the subscription.
  events_ = false;
  timer_.setSingleShot(false);
  timer_.setInterval(kPollMs);
  timer_.start();
  sinceChange_.start();
  findRoom_ = true;
  Look();
  FollowEvents();
}

void ChatScanner::stop() {
  scanning_ = false;
  timer_.stop();
  if (hook_ != 0) calls_.unhook(hook_);
  hook_ = 0;
  events_ = false;
  ++generation_;
}

void ChatScanner::FollowEvents() {
  const bool flowing = scanning_ && hook_ != 0 && calls_.started(hook_);
  if (flowing == events_) return;
  events_ = flowing;
  if (events_) {
    timer_.stop();
    timer_.setSingleShot(true);
    timer_.setInterval(kQuietPollMs);
  } else if (scanning_) {
    timer_.setSingleShot(false);
    timer_.setInterval(kPollMs);
    sinceChange_.start();
    timer_.start();
  }
}

void ChatScanner::OnWinEvent(win32::DWORD event, win32::HWND window) {
  switch (event) {
    case win32::EVENT_OBJECT_VALUECHANGE:
      // A line in the open room. Other rooms are read when they come back on top, and input
      // boxes say nothing new.
      if (lastPolled_ == 0 || window == lastPolled_) LookSoon(lastPolled_ == 0);
      return;
    case win32::EVENT_OBJECT_NAMECHANGE:
      return;  // captions do not decide which room is open
    case win32::EVENT_SPINDECK_EVENTSLOST:
      // Events begin to flow, or stopped: anything may have changed.
      FollowEvents();
      LookSoon(true);
      return;
    default:
      // A window made, destroyed or brought on top may change the open room.
      LookSoon(true);
      return;
  }
}

void ChatScanner::LookSoon(bool findRoom) {
  findRoom_ = findRoom_ || findRoom;
  if (lookQueued_) return;
  lookQueued_ = true;
  // Events come in bursts (a line, a window with its controls): one look after them all.
  QMetaObject::invokeMethod(
      this,
      [this] {
        lookQueued_ = false;
        Look();
      },
      Qt::QueuedConnection);
}

void ChatScanner::RetryLater() {
  if (events_ && !timer_.isActive()) timer_.start();
}

bool ChatScanner::Send(win32::HWND window, win32::UINT message, win32::WPARAM wParam,
                       win32::LPARAM lParam, win32::LRESULT& result) const {
  result = 0;
  return calls_.send(window, message, wParam, lParam, result);
}

std::optional<std::uint64_t> ChatScanner::NextSerial(win32::HWND transcript) const {
  win32::LRESULT next = 0;
  if (!Send(transcript, win32::EM_GETNEXTLINESERIAL, 0, 0, next)) return std::nullopt;
  return next > 0 ? static_cast<std::uint64_t>(next) : 0;
}

// One line by index (EM_GETLINE) or by serial (EM_GETLINEBYSERIAL); empty when there is none;
// nullopt when the call failed. Most lines fit the small buffer; one that fills it is read
// again with the largest.
std::optional<std::string> ChatScanner::LineAt(win32::HWND transcript, win32::UINT message,
                                               win32::WPARAM which) const {
  for (const std::size_t bufferSize : {std::size_t{1024}, std::size_t{65536}}) {
    std::vector<char> buffer(bufferSize);
    const auto size = static_cast<win32::WORD>(buffer.size() - 1);
    std::memcpy(buffer.data(), &size, sizeof size);
    win32::LRESULT copied = 0;
    if (!Send(transcript, message, which, reinterpret_cast<win32::LPARAM>(buffer.data()), copied)) {
      return std::nullopt;
    }
    if (copied <= 0) return std::string();
    if (copied < static_cast<win32::LRESULT>(size)) {
      return std::string(buffer.data(), static_cast<std::size_t>(copied));
    }
  }
  return std::string();  // longer than any line the client keeps: not a chat line
}

bool ChatScanner::ReadText(win32::HWND transcript, win32::LRESULT length, Seen& into) const {
  if (length < 0 || length > kMaxTranscriptBytes) return false;
  const std::size_t capacity =
      static_cast<std::size_t>(std::min<win32::LRESULT>(length + kTextSlack, kMaxTranscriptBytes));
  std::vector<char> buffer(capacity + 1, '\0');
  win32::LRESULT copied = 0;
  if (!Send(transcript, win32::WM_GETTEXT, capacity + 1,
            reinterpret_cast<win32::LPARAM>(buffer.data()), copied)) {
    return false;
  }
  const std::size_t size = std::strlen(buffer.data());
  into.lines = ParseTranscript(std::string(buffer.data(), size));
  into.length = static_cast<int>(size);
  if (size >= capacity && !into.lines.empty()) {
    // Cut at the buffer's end: the last line may be part of one. It is read whole next time.
    into.lines.pop_back();
    into.length = -1;
  }
  into.first = into.lines.empty() ? std::string() : Shown(into.lines.front());
  into.last = into.lines.empty() ? std::string() : Shown(into.lines.back());
  return true;
}

bool ChatScanner::TakeAsRead(win32::HWND transcript) {
  const auto next = NextSerial(transcript);
  if (!next) return false;  // the owner did not answer: the next look tries again
  Seen seen;
  seen.nextSerial = *next;
  if (*next == 0) {
    win32::LRESULT length = 0;
    if (!Send(transcript, win32::WM_GETTEXTLENGTH, 0, 0, length)) return false;
    if (!ReadText(transcript, length, seen)) return false;
  }
  rooms_[transcript] = std::move(seen);
  return true;
}

void ChatScanner::NoteActivity(bool changed) {
  if (events_) return;  // events need no back-off
  if (changed) {
    sinceChange_.start();
    if (timer_.interval() != kPollMs) timer_.setInterval(kPollMs);
  } else if (sinceChange_.elapsed() >= kQuietAfterMs && timer_.interval() < kQuietPollMs) {
    timer_.setInterval(std::min(timer_.interval() * 2, kQuietPollMs));
  }
}

void ChatScanner::poll() {
  findRoom_ = true;
  Look();
}

void ChatScanner::Look() {
  if (!scanning_) return;
  // Polling always looks for the open room; events say when it may have changed.
  const bool find = !events_ || findRoom_ || lastPolled_ == 0;
  findRoom_ = false;
  const win32::HWND transcript = find ? (findTranscript_ ? findTranscript_() : 0) : lastPolled_;
  const bool watched = transcript == lastPolled_;
  lastPolled_ = 0;
  if (transcript == 0) {
    NoteActivity(false);
    return;
  }
  const std::uint64_t owner = calls_.owner(transcript);
  if (owner == 0) {
    RetryLater();
    return;
  }
  if (owner != owner_) {
    // Another client owns the windows now (it was started again, with the same handles): what
    // was read of the one before says nothing about its rooms.
    rooms_.clear();
    owner_ = owner;
  }
  const auto known = rooms_.find(transcript);
  if (known == rooms_.end()) {
    // A room first seen since the start: what it shows was there before, as in the room that
    // was on top at the start.
    NoteActivity(true);
    if (TakeAsRead(transcript)) {
      lastPolled_ = transcript;
    } else {
      RetryLater();
    }
    return;
  }
  Seen& seen = known->second;
  std::vector<TranscriptLine> fresh;
  Read read = Read::kFailed;
  std::uint64_t expected = 0;  // the serial a full read by serial reaches
  if (const auto next = NextSerial(transcript)) {
    expected = seen.nextSerial != 0 ? *next : 0;
    if (*next != 0 && seen.nextSerial != 0) {
      read = ReadBySerial(transcript, seen, *next, fresh);
    } else if (*next == 0 && seen.nextSerial != 0) {
      // It numbered its lines and numbers them no more: it starts afresh.
      read = TakeAsRead(transcript) ? Read::kUnchanged : Read::kFailed;
    } else {
      read = ReadWhole(transcript, seen, fresh);
      // Read whole while it did not number its lines: from the moment it does, it is read by
      // serial, when no line came during the read above, so that the two meet exactly.
      if (*next != 0 && read != Read::kFailed && NextSerial(transcript) == next) {
        seen.nextSerial = *next;
      }
    }
  }
  if (read == Read::kFailed) {  // try again at the next poll, or a little later
    if (watched) lastPolled_ = transcript;
    RetryLater();
    return;
  }
  if (!fresh.empty() && calls_.owner(transcript) != owner) {
    // The client was started again while it was read: those may be its old lines.
    rooms_.clear();
    owner_ = 0;
    RetryLater();
    return;
  }
  lastPolled_ = transcript;
  NoteActivity(read == Read::kNew);
  Queue(fresh);
  // A read cut short by a failed call delivers what came before it; the rest is still held and
  // is read again soon, since its events may all have come already.
  if (const auto rest = rooms_.find(transcript);
      rest != rooms_.end() && expected != 0 && rest->second.nextSerial < expected) {
    RetryLater();
  }
}

ChatScanner::Read ChatScanner::ReadBySerial(win32::HWND transcript, Seen& seen, std::uint64_t next,
                                            std::vector<TranscriptLine>& fresh) {
  if (next < seen.nextSerial) {
    // The transcript counts afresh: what it holds was there before this look.
    seen.nextSerial = next;
    return Read::kUnchanged;
  }
  if (next == seen.nextSerial) return Read::kUnchanged;
  for (std::uint64_t serial = seen.nextSerial; serial < next; ++serial) {
    const auto line = LineAt(transcript, win32::EM_GETLINEBYSERIAL, serial);
    if (line && line->empty()) {
      // Trimmed before it was read (more lines came than the transcript holds): the oldest
      // line still held tells in one call how many went.
      win32::LRESULT first = 0;
      if (!Send(transcript, win32::EM_GETFIRSTLINESERIAL, 0, 0, first)) {
        seen.nextSerial = serial;
        return fresh.empty() ? Read::kFailed : Read::kNew;
      }
      if (static_cast<std::uint64_t>(std::max<win32::LRESULT>(first, 0)) > serial) {
        serial = std::min(static_cast<std::uint64_t>(first), next) - 1;
      }
      continue;  // else a line held but empty: nothing to report
    }
    if (!line) {
      // The call failed: the line may still be held, so it is read again at the next look.
      seen.nextSerial = serial;
      return fresh.empty() ? Read::kFailed : Read::kNew;
    }
    std::vector<TranscriptLine> parsed = ParseTranscript(*line);
    if (!parsed.empty()) fresh.push_back(std::move(parsed.front()));
  }
  seen.nextSerial = next;
  return Read::kNew;
}

bool ChatScanner::Unchanged(win32::HWND transcript, const Seen& seen, int length) const {
  if (length != seen.length) return false;
  // A full transcript drops a line for each new one, so the length alone may stay the same:
  // its first and last lines tell.
  win32::LRESULT count = 0;
  if (!Send(transcript, win32::EM_GETLINECOUNT, 0, 0, count)) return false;
  const auto first = LineAt(transcript, win32::EM_GETLINE, 0);
  const auto last = LineAt(transcript, win32::EM_GETLINE,
                           static_cast<win32::WPARAM>(std::max<int>(0, count - 1)));
  return first && last && *first == seen.first && *last == seen.last;
}

ChatScanner::Read ChatScanner::ReadWhole(win32::HWND transcript, Seen& seen,
                                         std::vector<TranscriptLine>& fresh) {
  win32::LRESULT length = 0;
  if (!Send(transcript, win32::WM_GETTEXTLENGTH, 0, 0, length)) return Read::kFailed;
  if (Unchanged(transcript, seen, static_cast<int>(length))) return Read::kUnchanged;
  Seen now;
  if (!ReadText(transcript, length, now)) return Read::kFailed;
  // Nothing read before is left, so nothing tells which lines came since: the room starts
  // afresh, its lines taken as read. Losing a line is better than reporting old ones again.
  if (auto added = NewLines(seen.lines, now.lines)) fresh = std::move(*added);
  seen = std::move(now);
  return Read::kNew;
}

void ChatScanner::Queue(const std::vector<TranscriptLine>& fresh) {
  // Each line is delivered by a queued call of its own, so the look returns at once and a
  // handler that pauses lets the next line be handled inside its pause.
  for (const TranscriptLine& line : fresh) {
    if (line.sender.empty()) continue;
    QMetaObject::invokeMethod(
        this,
        [this, line, generation = generation_] {
          if (generation == generation_) Deliver(line);
        },
        Qt::QueuedConnection);
  }
}

// Whether the user said the line. The kept name may be out of date (a rename whose event is
// not handled yet): a sender that differs is checked against the name asked afresh. A sender
// that cannot be known counts as the user, so that a line the program sent is never taken
// for a command.
bool ChatScanner::SentByUser(const std::string& sender) const {
  if (!userName_) return true;
  std::string name = userName_(false);
  if (name != sender) name = userName_(true);
  return name.empty() || name == sender;
}

void ChatScanner::Deliver(const TranscriptLine& line) {
  // Who the user is is asked only for a line whose text the program sent.
  if (ownLines_ != nullptr && ownLines_->Holds(line.text, ownId_) &&
      (ownLines_->HoldsSentAs(line.text, line.sender, ownId_) || SentByUser(line.sender)) &&
      ownLines_->TakeIfOwn(line.text, ownId_)) {
    return;
  }
  if (handler_) handler_(line.sender, line.text);
}

}  // namespace platform
