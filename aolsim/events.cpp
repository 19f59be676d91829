#include "aolsim/events.h"

#include <cstdio>

#include "platform/text/cp1252.h"

namespace aolsim {

std::string FormatEvent(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += '\t';
    for (char c : fields[i]) line += (c == '\r' || c == '\n') ? ' ' : c;
  }
  return platform::Cp1252ToUtf8(line);
}

void PrintEvent(const std::vector<std::string>& fields) {
  const std::string line = FormatEvent(fields) + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

}  // namespace aolsim
