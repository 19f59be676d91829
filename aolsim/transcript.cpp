#include "aolsim/transcript.h"

#include "platform/text/html_text.h"

namespace aolsim {

namespace {

constexpr std::size_t kLineBreakLength = 2;  // CR LF between two lines

}  // namespace

void Transcript::Add(const std::string& sender, const std::string& html) {
  lines_.push_back(sender + ":\t" + platform::RenderHtml(html));
  said_.push_back({sender, html});
  length_ += lines_.back().size() + (lines_.size() > 1 ? kLineBreakLength : 0);
  ++nextSerial_;
  while (lines_.size() > kMaxLines) {
    length_ -= lines_.front().size() + kLineBreakLength;
    lines_.pop_front();
    said_.pop_front();
  }
  textStale_ = true;
}

const std::string& Transcript::Text() const {
  if (textStale_) {
    text_.clear();
    text_.reserve(length_);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (i > 0) text_ += "\r\n";
      text_ += lines_[i];
    }
    textStale_ = false;
  }
  return text_;
}

std::string Transcript::Line(std::size_t index) const {
  return index < lines_.size() ? lines_[index] : std::string();
}

const std::string* Transcript::LineBySerial(std::uint64_t serial) const {
  // The lines held are the last lines_.size() serials before nextSerial_.
  const std::uint64_t first = FirstSerial();
  if (serial < first || serial >= nextSerial_) return nullptr;
  return &lines_[static_cast<std::size_t>(serial - first)];
}

const Transcript::Said* Transcript::SaidBySerial(std::uint64_t serial) const {
  const std::uint64_t first = FirstSerial();
  if (serial < first || serial >= nextSerial_) return nullptr;
  return &said_[static_cast<std::size_t>(serial - first)];
}

}  // namespace aolsim
