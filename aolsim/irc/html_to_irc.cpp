// HtmlToIrc: the rendered text of the line, each character with the formatting its tags give
// it, written out in pieces with the codes each character needs.
#include <algorithm>
#include <array>
#include <optional>
#include <tuple>
#include <vector>

#include "aolsim/irc/formatting.h"
#include "aolsim/irc/formatting_codes.h"
#include "platform/text/cp1252.h"
#include "platform/text/html_colour.h"
#include "platform/text/html_text.h"

namespace aolsim::irc {
namespace {

// How a character looks: the toggles, and its colour as a palette entry (none: the
// client's default).
struct Look {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  std::optional<int> colour;
  bool operator==(const Look&) const = default;
};

struct Cell {
  char byte;  // Windows-1252
  Look look;
};

// The tags open at a point of the line: how deeply each toggle is open, and the colours of
// the open font tags, innermost last.
struct OpenTags {
  int bold = 0;
  int italic = 0;
  int underline = 0;
  std::vector<std::optional<int>> fonts;

  Look look() const {
    return {bold > 0, italic > 0, underline > 0, fonts.empty() ? std::nullopt : fonts.back()};
  }
};

void Toggle(int& depth, bool closing) {
  if (closing) {
    depth = std::max(depth - 1, 0);  // a closer of what is not open does nothing
  } else {
    ++depth;
  }
}

void ApplyTag(OpenTags& open, const std::string& name, const std::string& tag) {
  const bool closing = tag.size() > 1 && tag[1] == '/';
  if (name == "b") {
    Toggle(open.bold, closing);
  } else if (name == "i") {
    Toggle(open.italic, closing);
  } else if (name == "u") {
    Toggle(open.underline, closing);
  } else if (name == "font") {
    if (closing) {
      if (!open.fonts.empty()) open.fonts.pop_back();
    } else if (platform::HtmlHasColourAttribute(tag)) {
      const std::optional<unsigned> rgb = platform::HtmlFontColour(tag);
      open.fonts.push_back(rgb ? std::optional<int>(NearestPaletteColour(*rgb)) : std::nullopt);
    } else {
      open.fonts.push_back(open.look().colour);  // a face alone keeps the colour
    }
  }
}

// The rendered text of the line, one cell a byte. The tags' places in the text come from a
// second rendering in which every tag leaves a mark: that rendering is the text with the
// marks put in, since a tag's output does not change how blanks fold. A mark next to the
// same byte in the text is ambiguous only in which of those bytes comes first, and all of
// them show as "?".
std::vector<Cell> RenderedCells(const std::string& html) {
  constexpr char kMark = '\x01';
  std::vector<Look> afterTag;  // the look after each tag, in order
  OpenTags open;
  const std::string marked =
      platform::RenderHtml(html, [&](const std::string& name, const std::string& tag) {
        ApplyTag(open, name, tag);
        afterTag.push_back(open.look());
        return std::string(1, kMark);
      });
  const std::string text = platform::RenderHtml(html);
  std::vector<Cell> cells;
  cells.reserve(text.size());
  Look look;
  std::size_t tag = 0;
  std::size_t i = 0;  // in text
  std::size_t j = 0;  // in marked
  while (j < marked.size() && i <= text.size()) {
    if (marked[j] != kMark) {
      if (i < text.size()) cells.push_back({text[i], look});
      ++i;
      ++j;
      continue;
    }
    std::size_t markedRun = 0;
    while (j + markedRun < marked.size() && marked[j + markedRun] == kMark) ++markedRun;
    std::size_t textRun = 0;
    while (i + textRun < text.size() && text[i + textRun] == kMark && textRun < markedRun) {
      ++textRun;
    }
    for (std::size_t k = textRun; k < markedRun && tag < afterTag.size(); ++k) {
      look = afterTag[tag++];
    }
    for (std::size_t k = 0; k < textRun; ++k) cells.push_back({kMark, look});
    i += textRun;
    j += markedRun;
  }
  return cells;
}

// A byte of the text as UTF-8; a control character, which IRC would read as a code or
// which ends a line, shows as "?".
const std::string& Shown(char byte) {
  static const std::array<std::string, 256> kShown = [] {
    std::array<std::string, 256> shown;
    for (int b = 0; b < 256; ++b) {
      shown[static_cast<std::size_t>(b)] =
          b < 0x20 || b == 0x7F ? "?"
                                : platform::Cp1252ToUtf8(std::string(1, static_cast<char>(b)));
    }
    return shown;
  }();
  return kShown[static_cast<unsigned char>(byte)];
}

std::string PaletteCode(int index) {
  return {kColour, static_cast<char>('0' + index / 10), static_cast<char>('0' + index % 10)};
}

// The codes that change what the receiver shows from `from` to `to`, written before the
// character `next`, which `after` follows (0 when none).
std::string Codes(const Look& from, const Look& to, char next, char after) {
  if (from == to) return "";
  std::string codes;
  Look now = from;
  if (from.colour && !to.colour) {
    if (IsDigit(next) || next == ',') {
      // "\x03" would take a digit or a comma after it into the code: reset everything and
      // turn the toggles on again instead.
      codes += kReset;
      now = Look{};
    } else {
      codes += kColour;
      now.colour.reset();
    }
  }
  bool colourLast = false;
  if (to.colour && to.colour != now.colour) {
    codes += PaletteCode(*to.colour);
    colourLast = true;
  }
  for (const auto& [is, was, code] :
       {std::tuple{to.bold, now.bold, kBold}, std::tuple{to.italic, now.italic, kItalic},
        std::tuple{to.underline, now.underline, kUnderline}}) {
    if (is != was) {
      codes += code;
      colourLast = false;
    }
  }
  // A comma and a digit right after a colour code would read as its background: a bold
  // toggled twice, which changes nothing, stands between them.
  if (colourLast && next == ',' && IsDigit(after)) {
    codes += kBold;
    codes += kBold;
  }
  return codes;
}

// Collects the pieces, each at most maxBytes, in the order they are written.
class Pieces {
 public:
  Pieces(const std::vector<Cell>& cells, std::size_t maxBytes)
      : cells_(cells), maxBytes_(std::max(maxBytes, kMinPieceBytes)) {}

  // Adds the word cells_[begin, end), after a blank when the piece holds text already.
  void AddWord(std::size_t begin, std::size_t end) {
    Look shown = shown_;
    std::string word = Spelled(begin, end, shown);
    if (piece_.size() + (piece_.empty() ? 0 : 1) + word.size() <= maxBytes_) {
      if (!piece_.empty()) piece_ += ' ';
      piece_ += word;
      shown_ = shown;
      return;
    }
    Flush();
    shown = shown_;
    word = Spelled(begin, end, shown);
    if (word.size() <= maxBytes_) {
      piece_ = word;
      shown_ = shown;
      return;
    }
    for (std::size_t at = begin; at < end; ++at) {
      shown = shown_;
      std::string one = Spelled(at, at + 1, shown);
      if (piece_.size() + one.size() > maxBytes_) {
        Flush();
        shown = shown_;
        one = Spelled(at, at + 1, shown);
      }
      piece_ += one;
      shown_ = shown;
    }
  }

  std::vector<std::string> Finish() {
    Flush();
    return std::move(done_);
  }

 private:
  // The cells with the codes each needs, from the look `shown` on; `shown` ends as the
  // look of the last one.
  std::string Spelled(std::size_t begin, std::size_t end, Look& shown) const {
    std::string out;
    for (std::size_t at = begin; at < end; ++at) {
      const Cell& cell = cells_[at];
      const char after = at + 1 < cells_.size() ? Shown(cells_[at + 1].byte)[0] : '\0';
      out += Codes(shown, cell.look, Shown(cell.byte)[0], after);
      out += Shown(cell.byte);
      shown = cell.look;
    }
    return out;
  }

  // A message starts with the client's default formatting.
  void Flush() {
    if (!piece_.empty()) done_.push_back(std::move(piece_));
    piece_.clear();
    shown_ = Look{};
  }

  const std::vector<Cell>& cells_;
  const std::size_t maxBytes_;
  std::vector<std::string> done_;
  std::string piece_;
  Look shown_;
};

}  // namespace

std::vector<std::string> HtmlToIrc(const std::string& html, std::size_t maxBytes) {
  const std::vector<Cell> cells = RenderedCells(html);
  Pieces pieces(cells, maxBytes);
  // The rendered text has single blanks between words, none at its ends.
  std::size_t begin = 0;
  while (begin < cells.size()) {
    std::size_t end = begin;
    while (end < cells.size() && cells[end].byte != ' ') ++end;
    if (end > begin) pieces.AddWord(begin, end);
    begin = end + 1;
  }
  return pieces.Finish();
}

}  // namespace aolsim::irc
