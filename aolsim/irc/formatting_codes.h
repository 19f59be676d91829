#pragma once
// The control bytes that format IRC text, and the 16 colours of the standard palette.
#include <cstddef>
#include <optional>
#include <string_view>

namespace aolsim::irc {

inline constexpr char kBold = '\x02';
inline constexpr char kColour = '\x03';     // "\x03" [fg [, bg]], one or two digits each
inline constexpr char kHexColour = '\x04';  // "\x04" [RRGGBB [, RRGGBB]]
inline constexpr char kReset = '\x0F';
inline constexpr char kMonospace = '\x11';
inline constexpr char kReverse = '\x16';
inline constexpr char kItalic = '\x1D';
inline constexpr char kStrikethrough = '\x1E';
inline constexpr char kUnderline = '\x1F';

inline constexpr int kPaletteSize = 16;

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The palette entry closest to a colour 0xRRGGBB.
int NearestPaletteColour(unsigned rgb);

// One formatting code of a text: its first byte, its length in bytes and, for the colour
// codes, the foreground colour it sets as 0xRRGGBB (nothing for the client's default).
struct FormattingCode {
  char kind = 0;
  std::size_t length = 0;
  std::optional<unsigned> colour;
};

// The formatting code that starts at text[at]; length 0 when that byte starts none.
FormattingCode ReadFormattingCode(std::string_view text, std::size_t at);

}  // namespace aolsim::irc
