// Feeds arbitrary bytes in arbitrary pieces to the line buffer, with a small line limit, and
// checks its lines against the input cut at LF: each line whole, without its CR, those over
// the limit left out, and never more than the limit held of an unfinished line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "aolsim/irc/line_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t maxLine = 1 + data[0] % 32;
  const std::size_t piece = 1 + data[1] % 16;
  const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);

  std::vector<std::string> expected;
  std::size_t start = 0;
  for (std::size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', start)) {
    std::string line = text.substr(start, lf - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() <= maxLine) expected.push_back(line);
    start = lf + 1;
  }

  aolsim::irc::LineBuffer buffer(maxLine);
  std::vector<std::string> got;
  for (std::size_t at = 0; at < text.size(); at += piece) {
    buffer.Append(std::string_view(text).substr(at, piece));
    if (buffer.unfinished() > maxLine + 1) __builtin_trap();
    while (auto line = buffer.Next()) got.push_back(*line);
  }
  if (got != expected) __builtin_trap();
  return 0;
}
