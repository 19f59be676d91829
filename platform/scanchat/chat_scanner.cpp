#include "platform/scanchat/chat_scanner.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {
namespace {

constexpr int kMaxTranscriptBytes = 4 << 20;

std::string ReadText(win32::HWND window, int length) {
  if (length <= 0 || length > kMaxTranscriptBytes) return {};
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  win32::SendMessageA(window, win32::WM_GETTEXT, static_cast<win32::WPARAM>(length) + 1,
                      reinterpret_cast<win32::LPARAM>(buffer.data()));
  return std::string(buffer.data());
}

// One line by index (EM_GETLINE) or by serial (EM_GETLINEBYSERIAL); empty when there is none
// or it does not fit the buffer.
std::string ReadLine(win32::HWND window, win32::UINT message, win32::WPARAM which,
                     std::size_t bufferSize) {
  std::vector<char> buffer(bufferSize);
  const auto size = static_cast<win32::WORD>(buffer.size() - 1);
  std::memcpy(buffer.data(), &size, sizeof size);
  const auto copied =
      win32::SendMessageA(window, message, which, reinterpret_cast<win32::LPARAM>(buffer.data()));
  if (copied <= 0 || copied >= static_cast<win32::LRESULT>(buffer.size())) return {};
  return std::string(buffer.data(), static_cast<std::size_t>(copied));
}

std::string LineAt(win32::HWND window, int index) {
  if (index < 0) return {};
  return ReadLine(window, win32::EM_GETLINE, static_cast<win32::WPARAM>(index), 1024);
}

std::uint64_t NextSerial(win32::HWND window) {
  const auto next = win32::SendMessageA(window, win32::EM_GETNEXTLINESERIAL, 0, 0);
  return next > 0 ? static_cast<std::uint64_t>(next) : 0;
}

}  // namespace

ChatScanner::ChatScanner(WindowFinder findTranscript, OwnLines* ownLines, NameSource userName)
    : findTranscript_(std::move(findTranscript)),
      ownLines_(ownLines),
      userName_(std::move(userName)),
      ownId_(ownLines_ != nullptr ? ownLines_->AddReader() : 0) {
  timer_.setInterval(kPollMs);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (hook_ != 0) {
      LookSoon(true);  // a failed read, tried again
    } else {
      Look();
    }
  });
}

ChatScanner::~ChatScanner() {
  if (hook_ != 0) win32::UnhookWinEvent(hook_);
}

void ChatScanner::start() {
  if (scanning_) return;
  scanning_ = true;
  // What was read before the stop says nothing about the lines that came while stopped: every
  // room is forgotten, so each one's present lines are taken as read when it is next seen.
  rooms_.clear();
  hook_ = win32::SetWinEventHook(
      win32::EVENT_OBJECT_CREATE, win32::EVENT_OBJECT_VALUECHANGE, nullptr,
      [this](win32::HWINEVENTHOOK, win32::DWORD event, win32::HWND window, win32::LONG, win32::LONG,
             win32::DWORD, win32::DWORD) { OnWinEvent(event, window); },
      0, 0, win32::WINEVENT_OUTOFCONTEXT);
  findRoom_ = true;
  lastPolled_ = findTranscript_ ? findTranscript_() : 0;
  const bool read = lastPolled_ == 0 || TakeAsRead(lastPolled_);
  if (!read) lastPolled_ = 0;
  findRoom_ = lastPolled_ == 0;
  sinceChange_.start();
  if (hook_ == 0) {
    timer_.setSingleShot(false);
    timer_.setInterval(kPollMs);
    timer_.start();
  } else {
    timer_.setSingleShot(true);
    timer_.setInterval(kQuietPollMs);
    if (!read) timer_.start();
  }
}

void ChatScanner::stop() {
  scanning_ = false;
  timer_.stop();
  if (hook_ != 0) win32::UnhookWinEvent(hook_);
  hook_ = 0;
  ++generation_;
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
    default:
      // A window made, destroyed or brought on top may change the open room; lost events may
      // hide anything.
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

bool ChatScanner::TakeAsRead(win32::HWND transcript) {
  if (const std::uint64_t next = NextSerial(transcript)) {
    rooms_[transcript] = Seen{next, -1, {}, {}, {}};
    return true;
  }
  const auto length =
      static_cast<int>(win32::SendMessageA(transcript, win32::WM_GETTEXTLENGTH, 0, 0));
  std::vector<TranscriptLine> lines = ParseTranscript(ReadText(transcript, length));
  if (length > 0 && lines.empty()) return false;  // the read failed: the next look tries again
  Seen& seen = rooms_[transcript];
  seen.length = length;
  seen.first = lines.empty() ? std::string() : LineAt(transcript, 0);
  seen.last =
      lines.empty() ? std::string() : LineAt(transcript, static_cast<int>(lines.size()) - 1);
  seen.lines = std::move(lines);
  return true;
}

void ChatScanner::NoteActivity(bool changed) {
  if (hook_ != 0) return;  // events need no back-off
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
  const bool find = hook_ == 0 || findRoom_ || lastPolled_ == 0;
  findRoom_ = false;
  const win32::HWND transcript = find ? (findTranscript_ ? findTranscript_() : 0) : lastPolled_;
  // The room read at the previous look is watched; any other room comes (back) on top.
  const bool watched = transcript == lastPolled_;
  lastPolled_ = 0;
  if (transcript == 0) {
    NoteActivity(false);
    return;
  }
  const auto known = rooms_.find(transcript);
  if (known == rooms_.end()) {
    // A room first seen since the start: what it shows was there before, as in the room that
    // was on top at the start.
    NoteActivity(true);
    if (TakeAsRead(transcript)) {
      lastPolled_ = transcript;
    } else if (hook_ != 0) {
      timer_.start();
    }
    return;
  }
  Seen& seen = known->second;
  std::vector<TranscriptLine> fresh;
  const Read read = seen.nextSerial != 0 ? ReadBySerial(transcript, seen, fresh)
                                         : ReadWhole(transcript, seen, watched, fresh);
  if (read == Read::kFailed) {  // try again at the next poll, or a little later
    if (watched) lastPolled_ = transcript;
    if (hook_ != 0) timer_.start();
    return;
  }
  lastPolled_ = transcript;
  NoteActivity(read == Read::kNew);
  Queue(fresh);
}

ChatScanner::Read ChatScanner::ReadBySerial(win32::HWND transcript, Seen& seen,
                                            std::vector<TranscriptLine>& fresh) {
  const std::uint64_t next = NextSerial(transcript);
  if (next == 0) return Read::kFailed;
  if (next < seen.nextSerial) {
    // The handle now names another transcript (the client was started again): start afresh.
    seen.nextSerial = next;
    return Read::kUnchanged;
  }
  if (next == seen.nextSerial) return Read::kUnchanged;
  for (std::uint64_t serial = seen.nextSerial; serial < next; ++serial) {
    // Most lines fit the small buffer; one that fills it is read again with the largest.
    const auto which = static_cast<win32::WPARAM>(serial);
    std::string line = ReadLine(transcript, win32::EM_GETLINEBYSERIAL, which, 1024);
    if (line.size() == 1023) line = ReadLine(transcript, win32::EM_GETLINEBYSERIAL, which, 65536);
    if (line.empty()) {
      // Trimmed before it was read (more lines came than the transcript holds), or the call
      // failed: then the rest is left for the next look.
      if (NextSerial(transcript) == 0) {
        seen.nextSerial = serial;
        return fresh.empty() ? Read::kFailed : Read::kNew;
      }
      continue;
    }
    std::vector<TranscriptLine> parsed = ParseTranscript(line);
    if (!parsed.empty()) fresh.push_back(std::move(parsed.front()));
  }
  seen.nextSerial = next;
  return Read::kNew;
}

bool ChatScanner::Unchanged(win32::HWND transcript, const Seen& seen, int length,
                            std::string& first, std::string& last) const {
  if (length != seen.length) return false;
  // A full transcript drops a line for each new one, so the length alone may stay the same:
  // its first and last lines tell.
  const auto count =
      static_cast<int>(win32::SendMessageA(transcript, win32::EM_GETLINECOUNT, 0, 0));
  first = LineAt(transcript, 0);
  last = LineAt(transcript, count - 1);
  return first == seen.first && last == seen.last;
}

ChatScanner::Read ChatScanner::ReadWhole(win32::HWND transcript, Seen& seen, bool watched,
                                         std::vector<TranscriptLine>& fresh) {
  const auto length =
      static_cast<int>(win32::SendMessageA(transcript, win32::WM_GETTEXTLENGTH, 0, 0));
  std::string first, last;
  if (Unchanged(transcript, seen, length, first, last)) return Read::kUnchanged;
  std::vector<TranscriptLine> now = ParseTranscript(ReadText(transcript, length));
  if (length > 0 && now.empty()) return Read::kFailed;
  fresh = NewLines(seen.lines, now);
  // Nothing read before is left: the room lost more lines than it holds since it was last read.
  // In the watched room that means the client cleared its transcript between two polls, and
  // all it shows came since. A room that comes back on top gives no such certainty, and its
  // whole transcript could be old lines: it starts afresh, as a room seen for the first time.
  if (!watched && !seen.lines.empty() && fresh.size() == now.size()) fresh.clear();
  seen.length = length;
  seen.first = now.empty() ? std::string() : LineAt(transcript, 0);
  seen.last = now.empty() ? std::string() : LineAt(transcript, static_cast<int>(now.size()) - 1);
  seen.lines = std::move(now);
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

void ChatScanner::Deliver(const TranscriptLine& line) {
  // Who the user is is asked only for a line whose text the program sent.
  if (ownLines_ != nullptr && ownLines_->Holds(line.text, ownId_) &&
      (!userName_ || userName_() == line.sender) && ownLines_->TakeIfOwn(line.text, ownId_)) {
    return;
  }
  if (handler_) handler_(line.sender, line.text);
}

}  // namespace platform
