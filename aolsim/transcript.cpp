#include "aolsim/transcript.h"

#include "platform/text/html_text.h"

namespace aolsim {

void Transcript::Add(const std::string& sender, const std::string& html) {
  lines_.push_back(sender + ":\t" + platform::RenderHtml(html));
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

}  // namespace aolsim
