#include "aolsim/window/chat_runs.h"

#include <algorithm>

#include "platform/text/html_colour.h"
#include "platform/text/html_text.h"
#include "platform/text/letter_case.h"

namespace aolsim::window {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char Lower(char c) {
  return static_cast<char>(platform::LowerAsciiByte(static_cast<unsigned char>(c)));
}

// The name of the tag "<name ...>" or "</name>" in lower case, and whether it closes; empty
// when the name is not a run of ASCII letters ended by a blank, "/" or ">".
std::string TagName(const std::string& tag, bool& closing) {
  std::size_t i = 1;
  closing = i < tag.size() && tag[i] == '/';
  if (closing) ++i;
  std::string name;
  while (i < tag.size() && Lower(tag[i]) >= 'a' && Lower(tag[i]) <= 'z') name += Lower(tag[i++]);
  if (i >= tag.size() || !(IsBlank(tag[i]) || tag[i] == '/' || tag[i] == '>')) return {};
  return name;
}

// The value of the attribute (a lower-case name) in the tag: quoted with " or ', or up to a
// blank or the tag's end. Nothing when the tag has no such attribute.
std::optional<std::string> Attribute(const std::string& tag, const std::string& name) {
  std::string lower;
  for (char c : tag) lower += Lower(c);
  std::size_t at = 0;
  while ((at = lower.find(name, at)) != std::string::npos) {
    const std::size_t end = at + name.size();
    const bool starts = at > 0 && IsBlank(lower[at - 1]);
    std::size_t i = end;
    while (i < tag.size() && IsBlank(tag[i])) ++i;
    if (!starts || i >= tag.size() || tag[i] != '=') {
      at = end;
      continue;
    }
    ++i;
    while (i < tag.size() && IsBlank(tag[i])) ++i;
    if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
      const std::size_t close = tag.find(tag[i], i + 1);
      if (close == std::string::npos) return tag.substr(i + 1, tag.size() - i - 2);
      return tag.substr(i + 1, close - i - 1);
    }
    std::size_t stop = i;
    while (stop < tag.size() && !IsBlank(tag[stop]) && tag[stop] != '>') ++stop;
    return tag.substr(i, stop - i);
  }
  return std::nullopt;
}

// Collects the runs: text goes in with the style of the moment, a run of blanks as one
// blank in the style where it began.
class RunBuilder {
 public:
  void Blank(const ChatStyle& style) {
    if (!pendingBlank_) pendingBlank_ = style;
  }
  void Put(const std::string& text, const ChatStyle& style) {
    if (text.empty()) return;
    if (pendingBlank_ && anyText_) Append(" ", *pendingBlank_);
    pendingBlank_.reset();
    anyText_ = true;
    Append(text, style);
  }
  // Text shown as written, its blanks folded like any others.
  void PutLiteral(const std::string& text, const ChatStyle& style) {
    for (char c : text) {
      if (IsBlank(c)) {
        Blank(style);
      } else {
        Put(std::string(1, c), style);
      }
    }
  }
  std::vector<ChatRun> Take() { return std::move(runs_); }

 private:
  void Append(const std::string& text, const ChatStyle& style) {
    if (!runs_.empty() && runs_.back().style == style) {
      runs_.back().text += text;
    } else {
      runs_.push_back({text, style});
    }
  }

  std::vector<ChatRun> runs_;
  bool anyText_ = false;
  std::optional<ChatStyle> pendingBlank_;  // a run of blanks seen since the last text
};

// The style in force: font tags nest, b, i and u count their openers.
class StyleStack {
 public:
  ChatStyle Current() const {
    ChatStyle style = fonts_.empty() ? ChatStyle() : fonts_.back();
    style.bold = bold_ > 0;
    style.italic = italic_ > 0;
    style.underline = underline_ > 0;
    return style;
  }
  // False for a tag that draws nothing we know.
  bool Apply(const std::string& tag) {
    bool closing = false;
    const std::string name = TagName(tag, closing);
    if (name == "br") return !closing;
    int* count = name == "b"   ? &bold_
                 : name == "i" ? &italic_
                 : name == "u" ? &underline_
                               : nullptr;
    if (count != nullptr) {
      *count = closing ? std::max(0, *count - 1) : *count + 1;
      return true;
    }
    if (name != "font") return false;
    if (closing) {
      if (!fonts_.empty()) fonts_.pop_back();
      return true;
    }
    ChatStyle font = fonts_.empty() ? ChatStyle() : fonts_.back();
    if (const auto colour = platform::HtmlFontColour(tag)) font.colour = colour;
    if (const auto face = Attribute(tag, "face"); face && !face->empty()) font.face = *face;
    // A line cannot pile up styles without end: beyond the bound a font tag changes the top.
    if (fonts_.size() >= kMaxFonts) fonts_.pop_back();
    fonts_.push_back(font);
    return true;
  }

 private:
  static constexpr std::size_t kMaxFonts = 64;
  std::vector<ChatStyle> fonts_;
  int bold_ = 0, italic_ = 0, underline_ = 0;
};

}  // namespace

std::vector<ChatRun> ChatRuns(const std::string& html) {
  RunBuilder runs;
  StyleStack styles;
  std::size_t i = 0;
  while (i < html.size()) {
    const char c = html[i];
    if (IsBlank(c)) {
      runs.Blank(styles.Current());
      ++i;
    } else if (c == '<' && html.find('>', i) != std::string::npos) {
      const std::size_t gt = html.find('>', i);
      const std::string tag = html.substr(i, gt - i + 1);
      const bool wasBreak = [&] {
        bool closing = false;
        return TagName(tag, closing) == "br" && !closing;
      }();
      if (!styles.Apply(tag)) {
        runs.PutLiteral(tag, styles.Current());
      } else if (wasBreak) {
        runs.Blank(styles.Current());
      }
      i = gt + 1;
    } else if (c == '&') {
      std::string text;
      std::size_t length = 0;
      if (platform::DecodeHtmlEntity(html, i, text, length)) {
        if (text.size() == 1 && IsBlank(text[0])) {
          runs.Blank(styles.Current());
        } else {
          runs.Put(text, styles.Current());
        }
        i += length;
      } else {
        runs.Put("&", styles.Current());
        ++i;
      }
    } else {
      runs.Put(std::string(1, c), styles.Current());
      ++i;
    }
  }
  return runs.Take();
}

}  // namespace aolsim::window
