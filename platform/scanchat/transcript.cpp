#include "platform/scanchat/transcript.h"

namespace platform {

std::vector<TranscriptLine> ParseTranscript(const std::string& text) {
  std::vector<TranscriptLine> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t sep = line.find(":\t");
    if (sep == std::string::npos) {
      lines.push_back({{}, line});
    } else {
      lines.push_back({line.substr(0, sep), line.substr(sep + 2)});
    }
    start = end + 1;
  }
  return lines;
}

std::optional<std::vector<TranscriptLine>> NewLines(const std::vector<TranscriptLine>& before,
                                                    const std::vector<TranscriptLine>& now) {
  for (std::size_t cut = 0; cut < before.size(); ++cut) {
    const std::size_t kept = before.size() - cut;
    if (kept > now.size()) continue;
    bool match = true;
    for (std::size_t i = 0; i < kept && match; ++i) match = before[cut + i] == now[i];
    if (match) {
      return std::vector<TranscriptLine>(now.begin() + static_cast<std::ptrdiff_t>(kept),
                                         now.end());
    }
  }
  // Nothing before: all of `now` is new. Nothing left of a `before` that had lines: no
  // alignment, unless `now` is empty too.
  if (before.empty() || now.empty()) return now;
  return std::nullopt;
}

}  // namespace platform
