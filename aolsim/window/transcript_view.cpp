#include "aolsim/window/transcript_view.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include "aolsim/transcript.h"
#include "aolsim/window/chat_runs.h"
#include "aolsim/window/shown_text.h"

namespace aolsim::window {
QTextCharFormat RunFormat(const ChatStyle& style, const QTextCharFormat& base) {
  QTextCharFormat format = base;
  if (style.colour) format.setForeground(QColor::fromRgb(static_cast<QRgb>(*style.colour)));
  if (!style.face.empty()) {
    QStringList families;
    for (const QString& family : Shown(style.face).split(',', Qt::SkipEmptyParts)) {
      if (!family.trimmed().isEmpty()) families << family.trimmed();
    }
    if (!families.isEmpty()) format.setFontFamilies(families);
  }
  format.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
  format.setFontItalic(style.italic);
  format.setFontUnderline(style.underline);
  return format;
}

TranscriptView::TranscriptView(QWidget* parent) : QTextBrowser(parent) {
  setReadOnly(true);
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setUndoRedoEnabled(false);
  setTextInteractionFlags(Qt::TextSelectableByMouse);  // no text cursor in a read-only view
  document()->setMaximumBlockCount(static_cast<int>(Transcript::kMaxLines));
  // Tabs line the text up after the names.
  setTabStopDistance(fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMM")));
}

void TranscriptView::AppendLine(const std::string& sender, const std::string& html) {
  QScrollBar* bar = verticalScrollBar();
  const bool atEnd = bar->value() == bar->maximum();
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  const QTextCharFormat base;
  if (!document()->isEmpty()) cursor.insertBlock(QTextBlockFormat(), base);
  cursor.insertText(Shown(sender + ":\t"), base);
  for (const ChatRun& run : ChatRuns(html))
    cursor.insertText(Shown(run.text), RunFormat(run.style, base));
  if (atEnd) bar->setValue(bar->maximum());
}

QVariant TranscriptView::loadResource(int, const QUrl&) {
  return {};
}

}  // namespace aolsim::window
