#include "aolsim/irc/server_features.h"

#include <charconv>

namespace aolsim::irc {
namespace {

std::size_t Number(std::string_view text) {
  std::size_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

// Control bytes and blanks are never a channel type or a prefix: they would let the server
// shift how names are split.
bool Printable(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) <= ' ' || c == ',' || c == ':') return false;
  }
  return true;
}

}  // namespace

void ApplyIsupport(const Message& m, ServerFeatures& features) {
  if (m.command != "005" || m.params.size() < 2) return;
  // The first parameter is our nick and the last one the "are supported by this server" text.
  for (std::size_t i = 1; i + 1 < m.params.size(); ++i) {
    const std::string_view token = m.params[i];
    const std::size_t equals = token.find('=');
    const std::string_view key = token.substr(0, equals);
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : token.substr(equals + 1);
    if (key == "NICKLEN" || key == "MAXNICKLEN") {
      const std::size_t n = Number(value);
      if (n > 0 && n <= 512) features.nickLen = n;
    } else if (key == "CHANNELLEN") {
      const std::size_t n = Number(value);
      if (n > 1 && n <= 512) features.channelLen = n;
    } else if (key == "CHANTYPES") {
      if (!value.empty() && value.size() <= 8 && Printable(value)) {
        features.chanTypes = std::string(value);
      }
    } else if (key == "PREFIX") {
      // "(ov)@+": the modes in brackets, then their prefixes.
      const std::size_t close = value.find(')');
      if (!value.empty() && value[0] == '(' && close != std::string_view::npos &&
          value.size() - close - 1 <= 16 && Printable(value.substr(close + 1))) {
        features.prefixChars = std::string(value.substr(close + 1));
      }
    } else if (key == "MONITOR") {
      // "MONITOR=100", or "MONITOR" without a limit; a limit of 0 watches nothing.
      features.monitor = value != "0";
    } else if (key == "CASEMAPPING") {
      if (value == "ascii") {
        features.caseMapping = CaseMapping::kAscii;
      } else if (value == "strict-rfc1459") {
        features.caseMapping = CaseMapping::kStrictRfc1459;
      } else {
        features.caseMapping = CaseMapping::kRfc1459;
      }
    }
  }
}

std::string IrcLower(std::string_view text, CaseMapping mapping) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    } else if (mapping == CaseMapping::kAscii) {
      continue;
    } else if (c == '[') {
      c = '{';
    } else if (c == ']') {
      c = '}';
    } else if (c == '\\') {
      c = '|';
    } else if (c == '~' && mapping == CaseMapping::kRfc1459) {
      c = '^';
    }
  }
  return out;
}

}  // namespace aolsim::irc
