#pragma once
// Numbers typed in the chat: the number test the commands use, rounding as the original
// runtime rounded, and the texts that counts and numbers are shown in.
#include <optional>
#include <string>

namespace spindeck {

// The value of a numeric argument: optional blanks, an optional sign, digits with an optional
// decimal point, an optional exponent, optional blanks. Anything else (and an empty text, or a
// value too large for a double) is not numeric.
std::optional<double> NumericValue(const std::string& text);

// Rounds to the nearest whole number, an exact half to the even neighbour (2.5 gives 2).
double RoundHalfEven(double value);

// A numeric argument as a reply repeats it: one character gets a leading "0" ("5" gives "05"),
// anything longer stays as typed.
std::string EchoForm(const std::string& argument);

// A count with at least two digits: 2 gives "02", 123 gives "123".
std::string TwoDigitCount(long count);

}  // namespace spindeck
