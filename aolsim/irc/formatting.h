#pragma once
// Chat lines between the chat room's HTML (Windows-1252) and IRC text (UTF-8 with the IRC
// formatting codes), so that a room can be an IRC channel.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace aolsim::irc {

// The fewest bytes a piece may be given: one character with a full change of formatting.
// A smaller maxBytes is taken as this.
inline constexpr std::size_t kMinPieceBytes = 9;

// A chat line's HTML as IRC text in pieces of at most maxBytes bytes each, one message a
// piece. The text is what the transcript shows of the line (entities decoded, blanks folded);
// control characters, which IRC would take as codes, show as "?". Bold, italic and underline
// become their toggles, a font colour the nearest palette colour; other tags vanish. Codes
// are written only where a visible character needs them. A long line is split at a blank,
// which is dropped; a word longer than a piece is cut between characters. Every piece opens
// with the formatting in effect where it starts. An empty line gives no pieces.
std::vector<std::string> HtmlToIrc(const std::string& html, std::size_t maxBytes);

// A received message text as a chat line's HTML: UTF-8 when the bytes are valid UTF-8,
// otherwise Windows-1252; characters Windows-1252 lacks become "?". Markup characters are
// escaped, bold, italic, underline and the foreground colour become tags, the other codes
// and control characters vanish (a tab is a blank). The tags are nested and all closed.
std::string IrcToHtml(std::string_view text);

// The text without its formatting codes.
std::string IrcPlainText(std::string_view text);

}  // namespace aolsim::irc
