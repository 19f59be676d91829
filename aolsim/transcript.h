#pragma once
// A chat room's transcript: one rendered line per chat line, "Sender:\tText", at most 500.
// Each line has a serial number, counting from 1, that no other line of the transcript gets.
// Beside each rendered line it keeps the sender and the HTML as said, for the window that
// draws the room: the same lines, dropped together.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace aolsim {

class Transcript {
 public:
  // A line as it was said.
  struct Said {
    std::string sender;
    std::string html;
  };

  static constexpr std::size_t kMaxLines = 500;

  // Appends "sender:\t" + the rendered HTML; drops the oldest line beyond kMaxLines.
  void Add(const std::string& sender, const std::string& html);

  // The lines joined with CR LF, without one after the last. Joined once per change: a
  // reader asks for it far more often than a busy room changes it.
  const std::string& Text() const;
  // The length of Text(), kept as lines come and go (a reader asks for it on every look).
  std::size_t Length() const { return length_; }
  std::size_t Size() const { return lines_.size(); }
  // The line count as an edit control reports it: 1 when empty.
  std::size_t LineCount() const { return lines_.empty() ? 1 : lines_.size(); }
  // The line at index, or an empty text.
  std::string Line(std::size_t index) const;
  // The serial the next line will get.
  std::uint64_t NextSerial() const { return nextSerial_; }
  // The line with that serial, or nullptr when it is not (or no longer) here.
  const std::string* LineBySerial(std::uint64_t serial) const;
  // The line with that serial as it was said, or nullptr as above.
  const Said* SaidBySerial(std::uint64_t serial) const;
  // The serial of the oldest line still here (NextSerial() when there is none).
  std::uint64_t FirstSerial() const { return nextSerial_ - lines_.size(); }

 private:
  std::deque<std::string> lines_;
  std::deque<Said> said_;  // one for each of lines_
  std::uint64_t nextSerial_ = 1;
  std::size_t length_ = 0;
  mutable std::string text_;
  mutable bool textStale_ = false;
};

}  // namespace aolsim
