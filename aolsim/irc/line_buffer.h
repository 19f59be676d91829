#pragma once
// Cuts the byte stream from an IRC server into lines.
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace aolsim::irc {

// Lines end at LF; a CR before it is dropped, other bytes (NUL too) are kept. A line longer
// than maxLine bytes is dropped whole, also the part of it that comes later, so that a
// peer cannot make the buffer grow: it holds at most maxLine bytes of an unfinished line
// besides the whole lines not yet taken.
class LineBuffer {
 public:
  explicit LineBuffer(std::size_t maxLine = 8704);

  void Append(std::string_view bytes);

  // The next whole line, without its CR LF.
  std::optional<std::string> Next();

  // How many bytes of an unfinished line are held: at most maxLine + 1 (a CR may follow).
  std::size_t unfinished() const { return partial_.size(); }

  // How many lines were dropped for their length.
  std::size_t dropped() const { return dropped_; }

 private:
  void EndLine();

  std::size_t maxLine_;
  std::string partial_;    // the unfinished line
  bool skipping_ = false;  // inside a line already dropped, until its LF
  std::deque<std::string> lines_;
  std::size_t dropped_ = 0;
};

}  // namespace aolsim::irc
