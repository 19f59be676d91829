#include "aolsim/window/transcript_view.h"

#include <QFontMetricsF>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

#include "aolsim/transcript.h"
#include "aolsim/window/chat_runs.h"
#include "aolsim/window/shown_text.h"

namespace aolsim::window {
namespace {

// A name wider than this many tab stops does not push its text's wrapped rows further in: a
// narrow view keeps room for the text.
constexpr qreal kMaxHangingStops = 3;

}  // namespace

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
  // The line hangs: its first row starts at the edge with the name, and the rows it wraps
  // onto start where its text does, at the tab stop after the name, not under the names.
  const QString name = Shown(sender + ":");
  const qreal stop = tabStopDistance();
  const qreal nameWidth = QFontMetricsF(document()->defaultFont()).horizontalAdvance(name);
  const qreal textX = std::min(std::floor(nameWidth / stop) + 1, kMaxHangingStops) * stop;
  QTextBlockFormat hanging;
  hanging.setLeftMargin(textX);
  hanging.setTextIndent(-textX);
  if (document()->isEmpty()) {
    cursor.setBlockFormat(hanging);
  } else {
    cursor.insertBlock(hanging, base);
  }
  cursor.insertText(name + QLatin1Char('\t'), base);
  for (const ChatRun& run : ChatRuns(html))
    cursor.insertText(Shown(run.text), RunFormat(run.style, base));
  if (atEnd) bar->setValue(bar->maximum());
}

QVariant TranscriptView::loadResource(int, const QUrl&) {
  return {};
}

}  // namespace aolsim::window
