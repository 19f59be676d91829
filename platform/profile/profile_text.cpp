#include "platform/profile/profile_text.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/text/letter_case.h"

namespace platform {
namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";
// CR LF, the line end of a new file; as a set of characters, the two that end lines.
constexpr std::string_view kLineEnd = "\r\n";

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

enum class LineKind { other, section, entry };

// One line of the file: where its text and its line end lie, and what it says.
struct Line {
  size_t begin = 0;
  size_t textEnd = 0;  // end of the text, before CR LF or LF
  size_t end = 0;      // start of the next line
  LineKind kind = LineKind::other;
  std::string_view name;   // section name or key, trimmed
  std::string_view value;  // raw value after "=", for entries
};

Line ClassifyLine(std::string_view contents, size_t begin, size_t textEnd, size_t end) {
  Line line{begin, textEnd, end, LineKind::other, {}, {}};
  const std::string_view text = Trim(contents.substr(begin, textEnd - begin));
  if (!text.empty() && text.front() == '[') {
    // The name runs to the last closing bracket, so a name that holds one reads back whole.
    const size_t close = text.rfind(']');
    line.kind = LineKind::section;
    line.name = Trim(close == std::string_view::npos ? text.substr(1) : text.substr(1, close - 1));
    return line;
  }
  const size_t equals = text.find('=');
  if (equals != std::string_view::npos) {
    line.kind = LineKind::entry;
    line.name = Trim(text.substr(0, equals));
    line.value = text.substr(equals + 1);
  }
  return line;
}

// Lines end in CR LF, LF or a lone CR (as old Mac editors saved them), in any mix.
std::vector<Line> SplitLines(std::string_view contents) {
  std::vector<Line> lines;
  size_t begin = 0;
  while (begin < contents.size()) {
    const size_t textEnd = std::min(contents.find_first_of(kLineEnd, begin), contents.size());
    size_t end = textEnd;
    if (end < contents.size()) {
      end += contents.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    }
    lines.push_back(ClassifyLine(contents, begin, textEnd, end));
    begin = end;
  }
  return lines;
}

// The line end that lines written into the contents get: the one the file already uses (that
// of its first line), so that an edit does not mix line ends; CR LF when it has none yet.
std::string_view LineEndOf(std::string_view contents) {
  const size_t at = contents.find_first_of(kLineEnd);
  if (at == std::string_view::npos) return kLineEnd;
  if (contents[at] == '\n') return "\n";
  return contents.compare(at, 2, "\r\n") == 0 ? kLineEnd : "\r";
}

// Where the first section of the name begins (its header) and ends (the next header or the
// end of the file), as line indexes.
struct SectionSpan {
  size_t header = 0;
  size_t end = 0;
  bool found = false;
};

SectionSpan FindSection(const std::vector<Line>& lines, const std::string& section) {
  SectionSpan span;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != LineKind::section) continue;
    if (span.found) {
      span.end = i;
      return span;
    }
    if (ProfileNamesEqual(std::string(lines[i].name), section)) {
      span.header = i;
      span.found = true;
    }
  }
  span.end = lines.size();
  return span;
}

// The index of the key's line inside the section, or the section's end when it is missing.
size_t FindKey(const std::vector<Line>& lines, const SectionSpan& span, const std::string& key) {
  for (size_t i = span.header + 1; i < span.end; ++i) {
    if (lines[i].kind == LineKind::entry && ProfileNamesEqual(std::string(lines[i].name), key)) {
      return i;
    }
  }
  return span.end;
}

std::string OneLine(const std::string& text) {
  std::string result = text;
  for (char& c : result) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return result;
}

// The contents up to a byte offset, ended by the file's line end when they do not end in a
// line end already.
std::string PrefixEndingInLine(std::string_view contents, size_t upTo) {
  std::string result(contents.substr(0, upTo));
  if (!result.empty() && kLineEnd.find(result.back()) == std::string_view::npos) {
    result += LineEndOf(contents);
  }
  return result;
}

}  // namespace

bool ProfileNamesEqual(const std::string& a, const std::string& b) {
  return EqualIgnoringCase(Trim(a), Trim(b));
}

std::optional<std::string> FindProfileValue(const std::string& contents, const std::string& section,
                                            const std::string& key) {
  const std::vector<Line> lines = SplitLines(contents);
  const SectionSpan span = FindSection(lines, section);
  if (!span.found) return std::nullopt;
  const size_t at = FindKey(lines, span, key);
  if (at == span.end) return std::nullopt;
  std::string_view value = Trim(lines[at].value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

std::string SetProfileValue(const std::string& contents, const std::string& section,
                            const std::string& key, const std::string& value) {
  const std::string lineEnd(LineEndOf(contents));
  const std::string newLine = OneLine(key) + "=" + OneLine(value) + lineEnd;
  const std::vector<Line> lines = SplitLines(contents);
  const SectionSpan span = FindSection(lines, section);
  if (!span.found) {
    return PrefixEndingInLine(contents, contents.size()) + "[" + OneLine(section) + "]" + lineEnd +
           newLine;
  }
  const size_t at = FindKey(lines, span, key);
  if (at != span.end) {
    // The line keeps its own line end; a last line without one gets the file's.
    const Line& line = lines[at];
    const std::string ending = line.textEnd == line.end ? lineEnd : std::string();
    return contents.substr(0, line.begin) + OneLine(key) + "=" + OneLine(value) + ending +
           contents.substr(line.textEnd);
  }
  // A new key goes after the section's last line that is not blank, so that blank lines which
  // separate it from the next section stay in place.
  size_t after = span.header;
  for (size_t i = span.header + 1; i < span.end; ++i) {
    if (!Trim(std::string_view(contents).substr(lines[i].begin, lines[i].textEnd - lines[i].begin))
             .empty()) {
      after = i;
    }
  }
  const size_t offset = lines[after].end;
  return PrefixEndingInLine(contents, offset) + newLine + contents.substr(offset);
}

std::string RemoveProfileKey(const std::string& contents, const std::string& section,
                             const std::string& key) {
  const std::vector<Line> lines = SplitLines(contents);
  const SectionSpan span = FindSection(lines, section);
  if (!span.found) return contents;
  const size_t at = FindKey(lines, span, key);
  if (at == span.end) return contents;
  return contents.substr(0, lines[at].begin) + contents.substr(lines[at].end);
}

std::string RemoveProfileSection(const std::string& contents, const std::string& section) {
  const std::vector<Line> lines = SplitLines(contents);
  const SectionSpan span = FindSection(lines, section);
  if (!span.found) return contents;
  const size_t from = lines[span.header].begin;
  const size_t to = span.end < lines.size() ? lines[span.end].begin : contents.size();
  return contents.substr(0, from) + contents.substr(to);
}

}  // namespace platform
