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

std::string ReadLine(win32::HWND window, int index) {
  if (index < 0) return {};
  std::vector<char> buffer(1024, '\0');
  const auto size = static_cast<win32::WORD>(buffer.size() - 1);
  std::memcpy(buffer.data(), &size, sizeof size);
  const auto copied =
      win32::SendMessageA(window, win32::EM_GETLINE, static_cast<win32::WPARAM>(index),
                          reinterpret_cast<win32::LPARAM>(buffer.data()));
  if (copied <= 0 || copied >= static_cast<win32::LRESULT>(buffer.size())) return {};
  return std::string(buffer.data(), static_cast<std::size_t>(copied));
}

}  // namespace

ChatScanner::ChatScanner(WindowFinder findTranscript, OwnLines* ownLines, NameSource userName)
    : findTranscript_(std::move(findTranscript)),
      ownLines_(ownLines),
      userName_(std::move(userName)),
      ownId_(ownLines_ != nullptr ? ownLines_->AddReader() : 0) {
  timer_.setInterval(kPollMs);
  connect(&timer_, &QTimer::timeout, this, &ChatScanner::poll);
}

void ChatScanner::start() {
  if (timer_.isActive()) return;
  // What was read before the stop says nothing about the lines that came while stopped: every
  // room is forgotten, so each one's present lines are taken as read when it is next seen.
  rooms_.clear();
  lastPolled_ = findTranscript_ ? findTranscript_() : 0;
  if (lastPolled_ != 0 && !TakeAsRead(lastPolled_)) lastPolled_ = 0;
  timer_.setInterval(kPollMs);
  sinceChange_.start();
  timer_.start();
}

bool ChatScanner::TakeAsRead(win32::HWND transcript) {
  const auto length =
      static_cast<int>(win32::SendMessageA(transcript, win32::WM_GETTEXTLENGTH, 0, 0));
  std::vector<TranscriptLine> lines = ParseTranscript(ReadText(transcript, length));
  if (length > 0 && lines.empty()) return false;  // the read failed: the next poll tries again
  Seen& seen = rooms_[transcript];
  seen.length = length;
  seen.first = lines.empty() ? std::string() : ReadLine(transcript, 0);
  seen.last =
      lines.empty() ? std::string() : ReadLine(transcript, static_cast<int>(lines.size()) - 1);
  seen.lines = std::move(lines);
  return true;
}

void ChatScanner::NoteActivity(bool changed) {
  if (changed) {
    sinceChange_.start();
    if (timer_.interval() != kPollMs) timer_.setInterval(kPollMs);
  } else if (sinceChange_.elapsed() >= kQuietAfterMs && timer_.interval() < kQuietPollMs) {
    timer_.setInterval(std::min(timer_.interval() * 2, kQuietPollMs));
  }
}

void ChatScanner::stop() {
  timer_.stop();
  ++generation_;
}

bool ChatScanner::Unchanged(win32::HWND transcript, const Seen& seen, int length,
                            std::string& first, std::string& last) const {
  if (length != seen.length) return false;
  // A full transcript drops a line for each new one, so the length alone may stay the same:
  // its first and last lines tell.
  const auto count =
      static_cast<int>(win32::SendMessageA(transcript, win32::EM_GETLINECOUNT, 0, 0));
  first = ReadLine(transcript, 0);
  last = ReadLine(transcript, count - 1);
  return first == seen.first && last == seen.last;
}

void ChatScanner::poll() {
  if (!timer_.isActive()) return;
  const win32::HWND transcript = findTranscript_ ? findTranscript_() : 0;
  // The room read at the previous poll is watched; any other room comes (back) on top.
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
    if (TakeAsRead(transcript)) lastPolled_ = transcript;
    return;
  }
  Seen& seen = known->second;
  const auto length =
      static_cast<int>(win32::SendMessageA(transcript, win32::WM_GETTEXTLENGTH, 0, 0));
  std::string first, last;
  if (Unchanged(transcript, seen, length, first, last)) {
    lastPolled_ = transcript;
    NoteActivity(false);
    return;
  }
  NoteActivity(true);
  std::vector<TranscriptLine> now = ParseTranscript(ReadText(transcript, length));
  if (length > 0 && now.empty()) {  // the read failed: try again next time
    if (watched) lastPolled_ = transcript;
    return;
  }
  lastPolled_ = transcript;
  std::vector<TranscriptLine> fresh = NewLines(seen.lines, now);
  // Nothing read before is left: the room lost more lines than it holds since it was last read.
  // In the watched room that means the client cleared its transcript between two polls, and
  // all it shows came since. A room that comes back on top gives no such certainty, and its
  // whole transcript could be old lines: it starts afresh, as a room seen for the first time.
  if (!watched && !seen.lines.empty() && fresh.size() == now.size()) fresh.clear();
  seen.length = length;
  seen.first = now.empty() ? std::string() : ReadLine(transcript, 0);
  seen.last = now.empty() ? std::string() : ReadLine(transcript, static_cast<int>(now.size()) - 1);
  seen.lines = std::move(now);
  // Each line is delivered by a queued call of its own, so the poll returns at once and a
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
  if (ownLines_ != nullptr && (!userName_ || userName_() == line.sender) &&
      ownLines_->TakeIfOwn(line.text, ownId_)) {
    return;
  }
  if (handler_) handler_(line.sender, line.text);
}

}  // namespace platform
