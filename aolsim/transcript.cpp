#include "aolsim/transcript.h"

#include "platform/text/html_text.h"

namespace aolsim {

void Transcript::Add(const std::string& sender, const std::string& html) {
  lines_.push_back(sender + ":\t" + platform::RenderHtml(html));
  ++nextSerial_;
  while (lines_.size() > kMaxLines) lines_.pop_front();
}

std::string Transcript::Text() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines_[i];
  }
  return text;
}

std::string Transcript::Line(std::size_t index) const {
  return index < lines_.size() ? lines_[index] : std::string();
}

const std::string* Transcript::LineBySerial(std::uint64_t serial) const {
  // The lines held are the last lines_.size() serials before nextSerial_.
  const std::uint64_t first = nextSerial_ - lines_.size();
  if (serial < first || serial >= nextSerial_) return nullptr;
  return &lines_[static_cast<std::size_t>(serial - first)];
}

}  // namespace aolsim
