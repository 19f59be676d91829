#include "src/music/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "platform/text/zero_padded.h"

namespace spindeck {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Far beyond any exponent a double can reach; longer exponents are held at it.
constexpr long long kExponentCap = 1'000'000'000;

}  // namespace

std::optional<double> NumericValue(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  const std::string body = text.substr(begin, end - begin);
  // The shape is checked by hand, so that "inf", "nan" and hexadecimal stay out. The value is
  // read with from_chars, which always takes "." as the decimal mark: the C library's readers
  // follow the process locale, which Qt takes from the environment, so that under a locale
  // with a decimal comma they would read "11.5" as 11.
  std::size_t i = 0;
  const bool negative = i < body.size() && body[i] == '-';
  if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
  const std::size_t unsignedBegin = i;
  // The place of the first significant digit: 1 for units, 0 for tenths, -1 for hundredths.
  long long place = 0;
  bool significant = false;
  std::size_t digits = 0;
  while (i < body.size() && IsDigit(body[i])) {
    significant = significant || body[i] != '0';
    if (significant) ++place;
    ++i, ++digits;
  }
  if (i < body.size() && body[i] == '.') {
    ++i;
    while (i < body.size() && IsDigit(body[i])) {
      if (!significant && body[i] == '0') --place;
      significant = significant || body[i] != '0';
      ++i, ++digits;
    }
  }
  if (digits == 0) return std::nullopt;
  long long exponent = 0;
  if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
    ++i;
    const bool negativeExponent = i < body.size() && body[i] == '-';
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < body.size() && IsDigit(body[i])) {
      exponent = std::min(exponent * 10 + (body[i] - '0'), kExponentCap);
      ++i, ++exponentDigits;
    }
    if (exponentDigits == 0) return std::nullopt;
    if (negativeExponent) exponent = -exponent;
  }
  if (i != body.size()) return std::nullopt;
  double value = 0;
  const char* last = body.data() + body.size();
  const auto [stop, error] = std::from_chars(body.data() + unsignedBegin, last, value);
  if (error == std::errc::result_out_of_range) {
    // Too large is not numeric; too small is zero, as the C library's reader gives it.
    if (place + exponent > 0) return std::nullopt;
    value = 0;
  } else if (error != std::errc() || stop != last || !std::isfinite(value)) {
    return std::nullopt;
  }
  return negative ? -value : value;
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
