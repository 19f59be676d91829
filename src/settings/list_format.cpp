#include "src/settings/list_format.h"

namespace spindeck {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}

bool NeedsQuotes(const std::string& entry) {
  return entry.find_first_of(",\"\r\n") != std::string::npos ||
         (!entry.empty() && IsBlank(entry.front()));
}

}  // namespace

std::vector<std::string> ParseListEntries(std::string_view bytes) {
  std::vector<std::string> entries;
  const size_t size = bytes.size();
  size_t at = 0;
  bool afterComma = false;  // a comma promises one more entry, even at the end of the contents
  while (at < size || afterComma) {
    afterComma = false;
    while (at < size && IsBlank(bytes[at])) ++at;
    std::string entry;
    if (at < size && bytes[at] == '"') {
      ++at;
      while (at < size) {
        if (bytes[at] == '"') {
          if (at + 1 < size && bytes[at + 1] == '"') {
            entry += '"';
            at += 2;
            continue;
          }
          ++at;
          break;
        }
        entry += bytes[at++];
      }
      while (at < size && bytes[at] != ',' && !IsLineEnd(bytes[at])) ++at;
    } else {
      const size_t begin = at;
      while (at < size && bytes[at] != ',' && !IsLineEnd(bytes[at])) ++at;
      entry.assign(bytes.substr(begin, at - begin));
    }
    entries.push_back(std::move(entry));

    if (at >= size) break;
    if (bytes[at] == ',') {
      ++at;
      afterComma = true;
    } else if (bytes[at] == '\r') {
      ++at;
      if (at < size && bytes[at] == '\n') ++at;
    } else {
      ++at;  // LF
    }
  }
  return entries;
}

std::string FormatListEntries(const std::vector<std::string>& entries) {
  std::string contents;
  for (const std::string& entry : entries) {
    if (NeedsQuotes(entry)) {
      contents += '"';
      for (char c : entry) {
        if (c == '"') contents += '"';
        contents += c;
      }
      contents += '"';
    } else {
      contents += entry;
    }
    contents += "\r\n";
  }
  return contents;
}

}  // namespace spindeck
