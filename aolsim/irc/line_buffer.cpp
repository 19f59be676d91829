#include "aolsim/irc/line_buffer.h"

namespace aolsim::irc {

LineBuffer::LineBuffer(std::size_t maxLine) : maxLine_(maxLine) {}

void LineBuffer::Append(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t lf = bytes.find('\n');
    const std::string_view part = bytes.substr(0, lf);
    if (!skipping_) {
      // One byte more than a line may hold can be the CR before its LF.
      if (partial_.size() + part.size() > maxLine_ + 1) {
        partial_.clear();
        skipping_ = true;
        ++dropped_;
      } else {
        partial_ += part;
      }
    }
    if (lf == std::string_view::npos) return;
    EndLine();
    bytes.remove_prefix(lf + 1);
  }
}

void LineBuffer::EndLine() {
  if (skipping_) {
    skipping_ = false;
    return;
  }
  if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
  if (partial_.size() > maxLine_) {
    ++dropped_;
  } else {
    lines_.push_back(std::move(partial_));
  }
  partial_.clear();
}

std::optional<std::string> LineBuffer::Next() {
  if (lines_.empty()) return std::nullopt;
  std::string line = std::move(lines_.front());
  lines_.pop_front();
  return line;
}

}  // namespace aolsim::irc
