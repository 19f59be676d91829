// Builds a room's transcript from chat lines with hostile senders and texts (TAB, ":\t",
// CR, LF and other control bytes in names) and reads it back with the scanner's parser.
// Whatever a line holds, it stays one line: the parser finds as many lines as were added,
// and a sender without ":\t" in its name is read back whole, with the rendered text after.
// Names never hold CR or LF (every way a name arrives, the IRC wire included, is made of
// lines), so such names are left out; the text may hold anything.
// Input: NUL-separated fields, taken in pairs as sender and HTML.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "aolsim/transcript.h"
#include "platform/scanchat/transcript.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> fields;
  for (std::size_t start = 0; start <= bytes.size() && fields.size() < 64;) {
    std::size_t end = bytes.find('\0', start);
    if (end == std::string::npos) end = bytes.size();
    fields.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  aolsim::Transcript transcript;
  std::vector<std::string> senders;
  for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
    if (fields[i].find_first_of("\r\n") != std::string::npos) continue;
    transcript.Add(fields[i], fields[i + 1]);
    senders.push_back(fields[i]);
  }
  if (transcript.Size() == 0) return 0;

  const std::string& text = transcript.Text();
  if (text.size() != transcript.Length()) __builtin_trap();
  const auto lines = platform::ParseTranscript(text);
  if (lines.size() != transcript.Size()) __builtin_trap();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& sender = senders[i];
    if (sender.find(":\t") != std::string::npos) continue;
    if (lines[i].sender != sender) __builtin_trap();
    if (transcript.Line(i) != sender + ":\t" + lines[i].text) __builtin_trap();
  }
  // Read again after the oldest lines went, the rest is all that is new.
  const auto again = platform::NewLines(lines, lines);
  if (!again || !again->empty()) __builtin_trap();
  return 0;
}
