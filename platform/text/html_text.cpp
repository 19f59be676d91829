#include "platform/text/html_text.h"

#include <cctype>
#include <cstdint>

#include "platform/text/cp1252.h"
#include "platform/text/letter_case.h"

namespace platform {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsAlpha(char c) {
  // ASCII letters only, whatever the locale: tag names are ASCII.
  const unsigned char lower = LowerAsciiByte(static_cast<unsigned char>(c));
  return lower >= 'a' && lower <= 'z';
}

// A tag opens with a letter, "/", "!" or "?" right after the "<".
bool OpensTag(const std::string& s, std::size_t lt) {
  if (lt + 1 >= s.size()) return false;
  const char c = s[lt + 1];
  return IsAlpha(c) || c == '/' || c == '!' || c == '?';
}

// The tag's name in lower case ("br" for "<BR/>").
std::string TagName(const std::string& tag) {
  std::size_t i = 1;
  if (i < tag.size() && tag[i] == '/') ++i;
  std::string name;
  while (i < tag.size() && IsAlpha(tag[i])) {
    name += static_cast<char>(LowerAsciiByte(static_cast<unsigned char>(tag[i])));
    ++i;
  }
  return name;
}

// The value of a digit in the given base, or -1.
int DigitValue(char c, int base) {
  const int lower = LowerAsciiByte(static_cast<unsigned char>(c));
  int d = -1;
  if (lower >= '0' && lower <= '9') d = lower - '0';
  if (lower >= 'a' && lower <= 'f') d = lower - 'a' + 10;
  return d < base ? d : -1;
}

// One code point as Windows-1252; "?" when it has no byte there.
std::string CodePoint(std::uint32_t cp) {
  if (cp == 0 || cp > 0x10FFFF) return "?";
  if (cp < 0x80) return std::string(1, static_cast<char>(cp));
  std::string utf8;
  if (cp < 0x800) {
    utf8 += static_cast<char>(0xC0 | (cp >> 6));
  } else if (cp < 0x10000) {
    utf8 += static_cast<char>(0xE0 | (cp >> 12));
    utf8 += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  } else {
    utf8 += static_cast<char>(0xF0 | (cp >> 18));
    utf8 += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    utf8 += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  }
  utf8 += static_cast<char>(0x80 | (cp & 0x3F));
  return platform::Utf8ToCp1252(utf8);
}

// Decodes the entity at s[amp] ("&..."). Returns false when it is not one we know; otherwise
// stores its text and its length in the source.
bool Entity(const std::string& s, std::size_t amp, std::string& text, std::size_t& length) {
  const std::size_t semi = s.find(';', amp);
  if (semi == std::string::npos || semi - amp > 10) return false;
  const std::string body = s.substr(amp + 1, semi - amp - 1);
  length = semi - amp + 1;
  if (body.size() >= 2 && body[0] == '#') {
    const bool hex = body[1] == 'x' || body[1] == 'X';
    const std::string digits = body.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 7) return false;
    std::uint32_t cp = 0;
    for (char c : digits) {
      const int d = DigitValue(c, hex ? 16 : 10);
      if (d < 0) return false;
      cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
    }
    text = CodePoint(cp);
    return true;
  }
  if (body == "amp") {
    text = "&";
  } else if (body == "lt") {
    text = "<";
  } else if (body == "gt") {
    text = ">";
  } else if (body == "quot") {
    text = "\"";
  } else if (body == "apos") {
    text = "'";
  } else if (body == "nbsp") {
    text = "\xA0";
  } else {
    return false;
  }
  return true;
}

}  // namespace

std::string RenderHtml(const std::string& html, const TagHook& onTag) {
  std::string out;
  bool anyText = false;
  bool pendingBlank = false;  // a run of blanks seen since the last character kept
  auto put = [&](const std::string& text) {
    if (text.empty()) return;
    if (pendingBlank && anyText) out += ' ';
    pendingBlank = false;
    anyText = true;
    out += text;
  };
  std::size_t i = 0;
  while (i < html.size()) {
    const char c = html[i];
    if (IsBlank(c)) {
      pendingBlank = true;
      ++i;
    } else if (c == '<' && OpensTag(html, i)) {
      const std::size_t gt = html.find('>', i);
      if (gt == std::string::npos) break;  // an unfinished tag hides the rest
      const std::string tag = html.substr(i, gt - i + 1);
      const std::string name = TagName(tag);
      if (name == "br" || name == "p") pendingBlank = true;
      if (onTag) out += onTag(name, tag);
      i = gt + 1;
    } else if (c == '&') {
      std::string text;
      std::size_t length = 0;
      if (Entity(html, i, text, length)) {
        // "&#32;" and its kin are blanks like any other, so they fold into one.
        if (text.size() == 1 && IsBlank(text[0])) {
          pendingBlank = true;
        } else {
          put(text);
        }
        i += length;
      } else {
        put("&");
        ++i;
      }
    } else {
      put(std::string(1, c));
      ++i;
    }
  }
  return out;
}

bool DecodeHtmlEntity(const std::string& html, std::size_t amp, std::string& text,
                      std::size_t& length) {
  return Entity(html, amp, text, length);
}

std::string RenderHtml(const std::string& html) {
  return RenderHtml(html, TagHook());
}

}  // namespace platform
