// Drawing chat lines: the styles a line's tags give, and lines from other people that try to
// load, link or run something, which must only ever show as text.
#include "aolsim/window/transcript_view.h"

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QUrl>

#include "aolsim/window/chat_runs.h"

namespace aolsim::window {
namespace {

// The fragments of the view's document: text (UTF-8) and format.
std::vector<std::pair<std::string, QTextCharFormat>> Fragments(const QTextDocument& document) {
  std::vector<std::pair<std::string, QTextCharFormat>> fragments;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      fragments.push_back({it.fragment().text().toStdString(), it.fragment().charFormat()});
    }
  }
  return fragments;
}

TEST(ChatRuns, FontTagsNestAndBoldItalicUnderlineCount) {
  const auto runs = ChatRuns(
      "</i></u></b><font color=#00ff00><font face=\"Tahoma\">~*<font color=#ff0000>"
      "<font face=\"Arial\"> say <B>l&amp;d</b> <i><u>x</u></i></font></font> back "
      "<FONT COLOR=red>r</FONT>");
  ASSERT_EQ(runs.size(), 7u);
  EXPECT_EQ(runs[0].text, "~*");
  EXPECT_EQ(runs[0].style.colour, 0x00ff00u);
  EXPECT_EQ(runs[0].style.face, "Tahoma");
  EXPECT_EQ(runs[1].text, " say ");  // a blank has the style where it was written
  EXPECT_EQ(runs[1].style.colour, 0xff0000u);
  EXPECT_EQ(runs[1].style.face, "Arial");
  EXPECT_EQ(runs[2].text, "l&d");
  EXPECT_TRUE(runs[2].style.bold);
  EXPECT_EQ(runs[3].text, " ");
  EXPECT_EQ(runs[4].text, "x");
  EXPECT_TRUE(runs[4].style.italic && runs[4].style.underline && !runs[4].style.bold);
  EXPECT_EQ(runs[5].text, " back ");  // both inner fonts closed: the first again
  EXPECT_EQ(runs[5].style.colour, 0x00ff00u);
  EXPECT_EQ(runs[6].style.colour, 0xff0000u);
  EXPECT_EQ(runs[6].style.face, "Tahoma");
}

TEST(ChatRuns, OtherTagsAndBrokenMarkupAreText) {
  std::string all;
  for (const ChatRun& run : ChatRuns("a<br>b &#233; <p>  i <3 u <bold>x</bold> <!-- c --> "
                                     "<b")) {
    all += run.text;
  }
  EXPECT_EQ(all, "a b \xE9 <p> i <3 u <bold>x</bold> <!-- c --> <b");
  // A line of nothing but openers cannot pile up styles without bound.
  std::string deep;
  for (int i = 0; i < 10000; ++i) deep += "<font color=#" + std::to_string(100000 + i) + ">";
  const auto runs = ChatRuns(deep + "x");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].style.colour, 0x109999u);
}

// A transcript view that counts what it is asked to load.
class CountingView : public TranscriptView {
 public:
  QVariant loadResource(int type, const QUrl& name) override {
    asked.push_back(name.toString().toStdString());
    return TranscriptView::loadResource(type, name);
  }
  std::vector<std::string> asked;
};

TEST(TranscriptView, HostileLinesShowAsTextAndLoadNothing) {
  CountingView view;
  view.AppendLine("Eve", "<img src=file:///etc/passwd>look");
  view.AppendLine("Eve",
                  "<a href=\"javascript:alert(1)\">x</a> <style>*{}</style>"
                  "<link rel=stylesheet href=file:///etc/passwd>"
                  "<table background=file:///etc/passwd><tr><td>t</td></tr></table>");
  view.resize(400, 300);
  view.show();
  QCoreApplication::processEvents();
  view.grab();  // drawn once: whatever drawing would load is asked for by now
  EXPECT_EQ(view.document()->toPlainText().toStdString(),
            "Eve:\t<img src=file:///etc/passwd>look\n"
            "Eve:\t<a href=\"javascript:alert(1)\">x</a> <style>*{}</style>"
            "<link rel=stylesheet href=file:///etc/passwd>"
            "<table background=file:///etc/passwd><tr><td>t</td></tr></table>");
  EXPECT_TRUE(view.asked.empty());
  EXPECT_EQ(view.document()->blockCount(), 2);  // no table, no list: two plain lines
  for (const auto& [text, format] : Fragments(*view.document())) {
    EXPECT_FALSE(format.isAnchor()) << text;
    EXPECT_FALSE(format.isImageFormat()) << text;
    EXPECT_TRUE(format.anchorHref().isEmpty()) << text;
  }
  EXPECT_FALSE(view.openLinks());
  EXPECT_FALSE(view.openExternalLinks());
  EXPECT_TRUE(view.isReadOnly());
  EXPECT_FALSE(
      view.loadResource(QTextDocument::ImageResource, QUrl("file:///etc/passwd")).isValid());
}

TEST(TranscriptView, RunsGetTheirColoursFontsAndWeights) {
  TranscriptView view;
  view.AppendLine("DjSam",
                  "<font color=#00ff00><font face=\"Tahoma\">~*<font color=#ff0000>"
                  "<font face=\"Comic Sans MS\"> <b>hi</b> there");
  const auto fragments = Fragments(*view.document());
  ASSERT_EQ(fragments.size(), 5u);
  EXPECT_EQ(fragments[0].first, "DjSam:\t");
  EXPECT_EQ(fragments[1].first, "~*");
  EXPECT_EQ(fragments[1].second.foreground().color(), QColor("#00ff00"));
  EXPECT_EQ(fragments[1].second.fontFamilies().toStringList(), QStringList{"Tahoma"});
  EXPECT_EQ(fragments[3].first, "hi");
  EXPECT_EQ(fragments[3].second.foreground().color(), QColor("#ff0000"));
  EXPECT_EQ(fragments[3].second.fontFamilies().toStringList(), QStringList{"Comic Sans MS"});
  EXPECT_EQ(fragments[3].second.fontWeight(), QFont::Bold);
  EXPECT_EQ(fragments[4].first, " there");
  EXPECT_EQ(fragments[4].second.fontWeight(), QFont::Normal);

  // As many lines as the transcript holds, no more.
  for (int i = 0; i < 600; ++i) view.AppendLine("Bob", std::to_string(i));
  EXPECT_EQ(view.document()->blockCount(), 500);
  EXPECT_EQ(view.document()->lastBlock().text().toStdString(), "Bob:\t599");
}

// A reply too long for a narrow view goes on under its own text, not under the names; a
// name wider than a tab stop moves the text to the next stop, and its rows with it.
TEST(TranscriptView, WrappedLinesHangUnderTheirOwnText) {
  TranscriptView view;
  view.resize(240, 300);
  view.show();
  const std::string words = "a reply long enough to wrap twice or more in a view this narrow";
  view.AppendLine("Ann", words);
  view.AppendLine("Somebody_Else_Here", words);
  QCoreApplication::processEvents();
  for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next()) {
    const QTextLayout* layout = block.layout();
    ASSERT_GE(layout->lineCount(), 3) << block.text().toStdString();
    const int textStart = block.text().indexOf('\t') + 1;
    const qreal textX = layout->lineForTextPosition(textStart).cursorToX(textStart);
    EXPECT_NEAR(layout->lineAt(0).x(), 0.0, 1.0);  // the name at the edge
    EXPECT_GT(textX, 10.0);
    for (int i = 1; i < layout->lineCount(); ++i) {
      EXPECT_NEAR(layout->lineAt(i).x(), textX, 1.0) << block.text().toStdString() << " " << i;
    }
  }
}

}  // namespace
}  // namespace aolsim::window
