#pragma once
// A chat room's transcript: one rendered line per chat line, "Sender:\tText", at most 500.
#include <cstddef>
#include <deque>
#include <string>

namespace aolsim {

class Transcript {
 public:
  static constexpr std::size_t kMaxLines = 500;

  // Appends "sender:\t" + the rendered HTML; drops the oldest line beyond kMaxLines.
  void Add(const std::string& sender, const std::string& html);

  // The lines joined with CR LF, without one after the last.
  std::string Text() const;
  std::size_t Size() const { return lines_.size(); }
  // The line count as an edit control reports it: 1 when empty.
  std::size_t LineCount() const { return lines_.empty() ? 1 : lines_.size(); }
  // The line at index, or an empty text.
  std::string Line(std::size_t index) const;

 private:
  std::deque<std::string> lines_;
};

}  // namespace aolsim
