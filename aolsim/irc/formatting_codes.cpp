#include "aolsim/irc/formatting_codes.h"

#include <array>

namespace aolsim::irc {
namespace {

// mIRC's colours 0-15: white, black, navy, green, red, brown, purple, orange, yellow, light
// green, teal, cyan, blue, pink, grey, light grey.
constexpr std::array<unsigned, kPaletteSize> kPalette = {
    0xFFFFFF, 0x000000, 0x00007F, 0x009300, 0xFF0000, 0x7F0000, 0x9C009C, 0xFC7F00,
    0xFFFF00, 0x00FC00, 0x009393, 0x00FFFF, 0x0000FC, 0xFF00FF, 0x7F7F7F, 0xD2D2D2};

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The number of digits (at most two) at text[at], and their value.
std::size_t Digits(std::string_view text, std::size_t at, int& value) {
  std::size_t n = 0;
  value = 0;
  while (n < 2 && at + n < text.size() && IsDigit(text[at + n])) {
    value = value * 10 + (text[at + n] - '0');
    ++n;
  }
  return n;
}

// Six hex digits at text[at] as a colour.
std::optional<unsigned> HexDigits(std::string_view text, std::size_t at) {
  if (at + 6 > text.size()) return std::nullopt;
  unsigned rgb = 0;
  for (std::size_t k = 0; k < 6; ++k) {
    const int d = HexValue(text[at + k]);
    if (d < 0) return std::nullopt;
    rgb = rgb * 16 + static_cast<unsigned>(d);
  }
  return rgb;
}

// "\x03": a foreground of one or two digits, then a background the same way after a comma
// when a digit follows it (otherwise the comma is text). Numbers beyond the palette (99 is
// "default" for most clients) give the default colour, as "\x03" alone does.
FormattingCode ColourCode(std::string_view text, std::size_t at) {
  FormattingCode code{kColour, 1, std::nullopt};
  int fg = 0;
  const std::size_t fgDigits = Digits(text, at + 1, fg);
  if (fgDigits == 0) return code;
  code.length += fgDigits;
  if (fg < kPaletteSize) code.colour = kPalette[static_cast<std::size_t>(fg)];
  const std::size_t comma = at + code.length;
  int bg = 0;
  if (comma < text.size() && text[comma] == ',') {
    const std::size_t bgDigits = Digits(text, comma + 1, bg);
    if (bgDigits > 0) code.length += 1 + bgDigits;
  }
  return code;
}

// "\x04": the same with six hex digits for each colour.
FormattingCode HexColourCode(std::string_view text, std::size_t at) {
  FormattingCode code{kHexColour, 1, HexDigits(text, at + 1)};
  if (!code.colour) return code;
  code.length += 6;
  const std::size_t comma = at + code.length;
  if (comma < text.size() && text[comma] == ',' && HexDigits(text, comma + 1)) code.length += 7;
  return code;
}

}  // namespace

int NearestPaletteColour(unsigned rgb) {
  auto channel = [](unsigned colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
  };
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < kPaletteSize; ++i) {
    long distance = 0;
    for (int shift : {16, 8, 0}) {
      const long d = channel(rgb, shift) - channel(kPalette[static_cast<std::size_t>(i)], shift);
      distance += d * d;
    }
    if (bestDistance < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

FormattingCode ReadFormattingCode(std::string_view text, std::size_t at) {
  if (at >= text.size()) return {};
  const char c = text[at];
  switch (c) {
    case kColour:
      return ColourCode(text, at);
    case kHexColour:
      return HexColourCode(text, at);
    case kBold:
    case kReset:
    case kMonospace:
    case kReverse:
    case kItalic:
    case kStrikethrough:
    case kUnderline:
      return {c, 1, std::nullopt};
    default:
      return {};
  }
}

}  // namespace aolsim::irc
