#include "platform/scanchat/own_lines.h"

#include "platform/text/html_text.h"

namespace platform {
namespace {
// A sent line that has not come back in this time never will (no room, a full transcript).
constexpr qint64 kKeepMs = 60000;
constexpr std::size_t kKeepLines = 200;
}  // namespace

void OwnLines::NoteSent(const std::string& html, const std::string& sentAs) {
  if (!clock_.isValid()) clock_.start();
  DropExpired();
  sent_.push_back({RenderHtml(html), sentAs, clock_.elapsed()});
  if (sent_.size() > kKeepLines) sent_.pop_front();
}

OwnLines::Sent* OwnLines::Find(const std::string& shownText, int reader,
                               const std::string* sentAs) {
  DropExpired();
  const unsigned bit = 1u << reader;
  for (auto& line : sent_) {
    if ((line.takenBy & bit) == 0 && line.shown == shownText &&
        (sentAs == nullptr || line.sentAs.empty() || line.sentAs == *sentAs)) {
      return &line;
    }
  }
  return nullptr;
}

bool OwnLines::Holds(const std::string& shownText, int reader) {
  return Find(shownText, reader) != nullptr;
}

bool OwnLines::HoldsSentAs(const std::string& shownText, const std::string& sender, int reader) {
  return Find(shownText, reader, &sender) != nullptr;
}

bool OwnLines::TakeIfOwn(const std::string& shownText, int reader) {
  Sent* line = Find(shownText, reader);
  if (line == nullptr) return false;
  line->takenBy |= 1u << reader;
  return true;
}

void OwnLines::DropExpired() {
  if (!clock_.isValid()) return;
  const qint64 now = clock_.elapsed();
  while (!sent_.empty() && now - sent_.front().at > kKeepMs) sent_.pop_front();
}

}  // namespace platform
