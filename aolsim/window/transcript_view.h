#pragma once
// The view of a room's transcript: a read-only text view that draws each line's HTML through
// ChatRuns, as character formats inserted one run at a time. The HTML never reaches Qt's own
// HTML reader, and the view loads no resource and opens no link, whatever a line holds.
#include <QTextBrowser>
#include <QTextCharFormat>
#include <string>

namespace aolsim::window {

// The format a run is drawn in: the base format with the style's colour, font, weight,
// slant and underline.
QTextCharFormat RunFormat(const struct ChatStyle& style, const QTextCharFormat& base);

class TranscriptView : public QTextBrowser {
  Q_OBJECT
 public:
  explicit TranscriptView(QWidget* parent = nullptr);

  // Appends "sender:" and a tab, then the line as drawn, its wrapped rows hanging under its
  // text; the oldest lines go beyond the transcript's bound.
  void AppendLine(const std::string& sender, const std::string& html);

  // Nothing is ever loaded: no image, style sheet or file that a line might name.
  QVariant loadResource(int type, const QUrl& name) override;
};

}  // namespace aolsim::window
