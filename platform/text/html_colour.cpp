#include "platform/text/html_colour.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "platform/text/letter_case.h"

namespace platform {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// The value of the tag's color attribute, or nothing when it has none. The tag is read as a
// browser reads it: attribute names stand between blanks, a value in quotes may hold blanks,
// and of two color attributes the first counts.
std::optional<std::string> ColourAttribute(const std::string& tag) {
  const std::string lower = AsciiLower(tag);
  std::size_t at = 1;
  while (at < lower.size() && !IsSpace(lower[at]) && lower[at] != '>') ++at;  // the tag name
  while (at < lower.size() && lower[at] != '>') {
    if (IsSpace(lower[at]) || lower[at] == '/') {
      ++at;
      continue;
    }
    const std::size_t nameStart = at;
    while (at < lower.size() && !IsSpace(lower[at]) && lower[at] != '=' && lower[at] != '>' &&
           lower[at] != '/') {
      ++at;
    }
    if (at == nameStart) ++at;  // a stray '=': skip it
    const std::string name = lower.substr(nameStart, at - nameStart);
    while (at < lower.size() && IsSpace(lower[at])) ++at;
    std::string value;
    if (at < lower.size() && lower[at] == '=') {
      ++at;
      while (at < lower.size() && IsSpace(lower[at])) ++at;
      if (at < lower.size() && (lower[at] == '"' || lower[at] == '\'')) {
        const char quote = lower[at++];
        const std::size_t end = std::min(lower.find(quote, at), lower.size());
        value = lower.substr(at, end - at);
        at = end + 1;
      } else {
        const std::size_t start = at;
        while (at < lower.size() && !IsSpace(lower[at]) && lower[at] != '>') ++at;
        value = lower.substr(start, at - start);
      }
    }
    if (name == "color") return value;
  }
  return std::nullopt;
}

}  // namespace

std::optional<unsigned> HtmlFontColour(const std::string& tag) {
  const std::optional<std::string> attribute = ColourAttribute(tag);
  if (!attribute) return std::nullopt;
  // The letters and digits after blanks and '#', as lenient clients read them ("#ff0000;").
  std::size_t at = 0;
  while (at < attribute->size() && (IsSpace((*attribute)[at]) || (*attribute)[at] == '#')) ++at;
  std::string value;
  while (at < attribute->size() && std::isalnum(static_cast<unsigned char>((*attribute)[at]))) {
    value += (*attribute)[at++];
  }
  static const std::map<std::string, unsigned> kNamed = {
      {"black", 0x000000},   {"white", 0xFFFFFF},  {"red", 0xFF0000},    {"lime", 0x00FF00},
      {"green", 0x008000},   {"blue", 0x0000FF},   {"yellow", 0xFFFF00}, {"aqua", 0x00FFFF},
      {"fuchsia", 0xFF00FF}, {"purple", 0x800080}, {"navy", 0x000080},   {"gray", 0x808080},
      {"silver", 0xC0C0C0},  {"maroon", 0x800000}, {"olive", 0x808000},  {"teal", 0x008080}};
  if (const auto named = kNamed.find(value); named != kNamed.end()) return named->second;
  if (value.size() != 6) return std::nullopt;
  unsigned rgb = 0;
  for (char c : value) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    rgb = rgb * 16 + static_cast<unsigned>(
                         std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'a' + 10);
  }
  return rgb;
}

bool HtmlHasColourAttribute(const std::string& tag) {
  return ColourAttribute(tag).has_value();
}

}  // namespace platform
