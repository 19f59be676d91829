#include "platform/text/letter_case.h"

namespace platform {

unsigned char LowerByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  // Latin-1 capitals, but not the multiplication sign.
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);  // S, OE, Z
  if (c == 0x9F) return 0xFF;  // Y with diaeresis
  return c;
}

unsigned char UpperByte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 16);
  if (c == 0xFF) return 0x9F;
  return c;
}

std::string LowerText(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(LowerByte(static_cast<unsigned char>(c)));
  return out;
}

std::string UpperText(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(UpperByte(static_cast<unsigned char>(c)));
  return out;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerByte(static_cast<unsigned char>(a[i])) != LowerByte(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

bool HasCapitals(std::string_view text) {
  // A quick pass that the compiler can vectorise: ASCII capitals, or any byte above 127 (where
  // the few Windows-1252 capitals live), are worth the exact look.
  unsigned maybe = 0;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    maybe |= static_cast<unsigned>(static_cast<unsigned char>(b - 'A') < 26) | (b >> 7);
  }
  if (maybe == 0) return false;
  for (char c : text) {
    if (LowerByte(static_cast<unsigned char>(c)) != static_cast<unsigned char>(c)) return true;
  }
  return false;
}

bool ContainsLowered(std::string_view text, std::string_view lowerFind) {
  if (lowerFind.size() > text.size()) return false;
  const std::size_t last = text.size() - lowerFind.size();
  for (std::size_t i = 0; i <= last; ++i) {
    std::size_t j = 0;
    while (j < lowerFind.size() && LowerByte(static_cast<unsigned char>(text[i + j])) ==
                                       static_cast<unsigned char>(lowerFind[j])) {
      ++j;
    }
    if (j == lowerFind.size()) return true;
  }
  return false;
}

unsigned char LowerAsciiByte(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(LowerAsciiByte(static_cast<unsigned char>(c)));
  return out;
}

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace platform
