#include "platform/scanchat/html_text.h"

#include <cstdlib>

namespace platform {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// Decodes the entity that starts at html[i] ('&'); returns its bytes and sets the length.
std::string DecodeEntity(const std::string& html, std::size_t i, std::size_t& length) {
  const std::size_t semi = html.find(';', i);
  length = 1;
  if (semi == std::string::npos || semi - i > 10) return "&";
  const std::string name = html.substr(i + 1, semi - i - 1);
  std::string out;
  if (name == "amp")
    out = "&";
  else if (name == "lt")
    out = "<";
  else if (name == "gt")
    out = ">";
  else if (name == "quot")
    out = "\"";
  else if (name == "apos")
    out = "'";
  else if (name == "nbsp")
    out = " ";
  else if (name.size() > 1 && name[0] == '#') {
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") !=
                              std::string::npos) {
      return "&";
    }
    const long code = std::strtol(digits.c_str(), nullptr, hex ? 16 : 10);
    out = (code > 0 && code < 256) ? std::string(1, static_cast<char>(code)) : "?";
  } else {
    return "&";
  }
  length = semi - i + 1;
  return out;
}

}  // namespace

std::string RenderChatHtml(const std::string& html) {
  std::string text;
  text.reserve(html.size());
  for (std::size_t i = 0; i < html.size();) {
    const char c = html[i];
    if (c == '<') {
      const std::size_t close = html.find('>', i);
      if (close == std::string::npos) break;  // an unclosed tag hides the rest
      i = close + 1;
    } else if (c == '&') {
      std::size_t length = 1;
      text += DecodeEntity(html, i, length);
      i += length;
    } else {
      text += c;
      ++i;
    }
  }
  std::string collapsed;
  collapsed.reserve(text.size());
  for (char c : text) {
    if (IsBlank(c)) {
      if (!collapsed.empty() && collapsed.back() != ' ') collapsed += ' ';
    } else {
      collapsed += c;
    }
  }
  if (!collapsed.empty() && collapsed.back() == ' ') collapsed.pop_back();
  return collapsed;
}

}  // namespace platform
