// Feeds arbitrary bytes to the IRC formatting converters: received text must become HTML
// that holds only the converter's own, balanced tags; a chat line must become pieces that
// keep its text and their size.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "aolsim/irc/formatting.h"
#include "aolsim/irc/formatting_codes.h"
#include "platform/text/cp1252.h"
#include "platform/text/html_text.h"

namespace {

// The HTML holds no control character, no '>' outside a tag, and only the tags the
// converter writes, each closed in order.
void CheckHtml(const std::string& html) {
  std::vector<std::string> open;
  std::size_t at = 0;
  while (at < html.size()) {
    const auto c = static_cast<unsigned char>(html[at]);
    if (c < 0x20 || c == 0x7F || c == '>' || c == '"') __builtin_trap();
    if (c != '<') {
      ++at;
      continue;
    }
    const std::size_t gt = html.find('>', at);
    if (gt == std::string::npos) __builtin_trap();
    const std::string tag = html.substr(at, gt - at + 1);
    if (tag == "<b>" || tag == "<i>" || tag == "<u>") {
      open.push_back(tag.substr(1, 1));
    } else if (tag.rfind("<font color=\"#", 0) == 0 && tag.size() == 22) {
      open.push_back("font");
    } else if (tag.size() > 3 && tag[1] == '/' && !open.empty() &&
               tag.substr(2, tag.size() - 3) == open.back()) {
      open.pop_back();
    } else {
      __builtin_trap();
    }
    at = gt + 1;
  }
  if (!open.empty()) __builtin_trap();
}

// The transcript's text as a receiver sees it: control characters show as "?".
std::string ShownText(const std::string& html) {
  std::string text = platform::RenderHtml(html);
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return platform::Cp1252ToUtf8(text);
}

// Whether the piece ends with a character of text, not a code.
bool EndsWithText(const std::string& piece) {
  bool text = false;
  std::size_t at = 0;
  while (at < piece.size()) {
    const std::size_t length = aolsim::irc::ReadFormattingCode(piece, at).length;
    text = length == 0;
    at += text ? 1 : length;
  }
  return text;
}

void CheckPieces(const std::string& html, std::size_t maxBytes) {
  const std::vector<std::string> pieces = aolsim::irc::HtmlToIrc(html, maxBytes);
  const std::string shown = ShownText(html);
  // The pieces hold the text in order; between two of them at most the blank of the split
  // is missing.
  std::size_t pos = 0;
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    const std::string& piece = pieces[k];
    const std::string plain = aolsim::irc::IrcPlainText(piece);
    if (piece.size() > maxBytes || plain.empty() || !EndsWithText(piece)) __builtin_trap();
    if (platform::Cp1252ToUtf8(platform::Utf8ToCp1252(piece)) != piece) __builtin_trap();
    if (shown.compare(pos, plain.size(), plain) != 0) __builtin_trap();
    pos += plain.size();
    if (k + 1 < pieces.size() && pos < shown.size() && shown[pos] == ' ') ++pos;
  }
  if (pos != shown.size()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckHtml(aolsim::irc::IrcToHtml(text));
  if (size == 0) return 0;
  const std::size_t maxBytes = aolsim::irc::kMinPieceBytes + data[0] % 120;
  CheckPieces(text.substr(1), maxBytes);
  return 0;
}
