#include "src/music/number_text.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "platform/text/zero_padded.h"

namespace spindeck {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::optional<double> NumericValue(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  const std::string body = text.substr(begin, end - begin);
  // Check the shape by hand: strtod alone would also take "inf", "nan" and hexadecimal.
  std::size_t i = 0;
  if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < body.size() && IsDigit(body[i])) ++i, ++digits;
  if (i < body.size() && body[i] == '.') {
    ++i;
    while (i < body.size() && IsDigit(body[i])) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
    ++i;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < body.size() && IsDigit(body[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != body.size()) return std::nullopt;
  const double value = std::strtod(body.c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

double RoundHalfEven(double value) {
  return std::nearbyint(value);
}

std::string EchoForm(const std::string& argument) {
  return platform::ZeroPadded(argument, 2);
}

std::string TwoDigitCount(long count) {
  return platform::ZeroPadded(std::to_string(count), 2);
}

}  // namespace spindeck
