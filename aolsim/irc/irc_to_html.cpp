// IrcToHtml and IrcPlainText: a received message's text, its codes read and its characters
// made safe to show as a chat line.
#include <cstdio>
#include <optional>

#include "aolsim/irc/formatting.h"
#include "aolsim/irc/formatting_codes.h"
#include "platform/text/cp1252.h"

namespace aolsim::irc {
namespace {

// Whether the bytes are well-formed UTF-8: no stray or missing continuation bytes, no
// overlong forms, no surrogates, nothing beyond U+10FFFF.
bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    unsigned char low = 0x80;  // the bounds of the second byte
    unsigned char high = 0xBF;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto n = static_cast<unsigned char>(text[i + k]);
      if (k == 1 ? (n < low || n > high) : (n & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

struct Attributes {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  std::optional<unsigned> colour;  // 0xRRGGBB; none: the default
  bool operator==(const Attributes&) const = default;
};

std::string OpeningTags(const Attributes& a) {
  std::string tags;
  if (a.colour) {
    char colour[32];
    std::snprintf(colour, sizeof colour, "<font color=\"#%06x\">", *a.colour & 0xFFFFFFu);
    tags += colour;
  }
  if (a.bold) tags += "<b>";
  if (a.italic) tags += "<i>";
  if (a.underline) tags += "<u>";
  return tags;
}

std::string ClosingTags(const Attributes& a) {
  std::string tags;
  if (a.underline) tags += "</u>";
  if (a.italic) tags += "</i>";
  if (a.bold) tags += "</b>";
  if (a.colour) tags += "</font>";
  return tags;
}

// The text of one byte in the chat line's HTML: markup characters as entities, control
// characters dropped, a tab as a blank.
std::string_view Escaped(const char& c) {
  switch (c) {
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '&':
      return "&amp;";
    case '"':
      return "&quot;";
    case '\t':
      return " ";
    default:
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "";
      return std::string_view(&c, 1);
  }
}

void Apply(const FormattingCode& code, Attributes& wanted) {
  switch (code.kind) {
    case kBold:
      wanted.bold = !wanted.bold;
      break;
    case kItalic:
      wanted.italic = !wanted.italic;
      break;
    case kUnderline:
      wanted.underline = !wanted.underline;
      break;
    case kColour:
    case kHexColour:
      wanted.colour = code.colour;
      break;
    case kReset:
      wanted = Attributes{};
      break;
    default:
      break;  // reverse, strikethrough and monospace have no tag in the chat line
  }
}

}  // namespace

std::string IrcToHtml(std::string_view text) {
  const std::string bytes =
      IsValidUtf8(text) ? platform::Utf8ToCp1252(std::string(text)) : std::string(text);
  std::string html;
  Attributes wanted;
  Attributes open;  // what the tags written so far have open
  std::size_t at = 0;
  while (at < bytes.size()) {
    const FormattingCode code = ReadFormattingCode(bytes, at);
    if (code.length > 0) {
      Apply(code, wanted);
      at += code.length;
      continue;
    }
    const std::string_view shown = Escaped(bytes[at]);
    ++at;
    if (shown.empty()) continue;
    if (!(wanted == open)) {
      html += ClosingTags(open);
      html += OpeningTags(wanted);
      open = wanted;
    }
    html += shown;
  }
  html += ClosingTags(open);
  return html;
}

std::string IrcPlainText(std::string_view text) {
  std::string plain;
  plain.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    const FormattingCode code = ReadFormattingCode(text, at);
    if (code.length > 0) {
      at += code.length;
    } else {
      plain += text[at++];
    }
  }
  return plain;
}

}  // namespace aolsim::irc
