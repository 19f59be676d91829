#include "src/ui/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPointer>
#include <QScreen>

#include "src/music/transport.h"
#include "src/ui/edge_snap.h"
#include "src/ui/twips.h"

namespace spindeck {
namespace {

// The layout, in twips.
constexpr int kWindowWidth = 3240;
constexpr int kWindowHeight = 2160;
constexpr int kStripWidth = 3135;
constexpr int kStripHeight = 210;
constexpr int kTitleHeight = 150;
constexpr int kTabsTop = 240;
constexpr int kTabsHeight = 1815;
constexpr int kFrameGap = 30;

const char* const kTitle = "                    spin.deck; quill";  // 20 blanks first

}  // namespace

MainWindow::MainWindow(RuntimeState& state)
    : state_(state),
      lstcmds(state.lstcmds, "lstcmds"),
      stylesFrame_("styles"),
      lstStyles(state.lstStyles, "lstStyles"),
      messagesFrame_("messages"),
      lstMsg(state.lstMsg, "lstMsg"),
      Label2("clear", [this] { state_.lstMsg.clear(); }),
      lstpl(state.lstpl, "lstpl"),
      drag_(*this, Label1, [this] { SnapToEdges(); }) {
  state_.mainForm = this;
  setWindowTitle("spin.deck");
  // The title strip is the window's title bar.
  setWindowFlag(Qt::FramelessWindowHint, true);
  QFont font("DejaVu Sans", 7);
  setFont(font);

  Picture1.setObjectName("Picture1");
  Label1.setObjectName("Label1");
  Label1.setText(kTitle);
  Label1.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  font.setBold(true);
  Label1.setFont(font);
  QPalette title = Label1.palette();
  title.setColor(QPalette::WindowText, Qt::white);
  Label1.setPalette(title);
  Label1.setContextMenuPolicy(Qt::ActionsContextMenu);
  Label1.addAction(&closeAction_);
  connect(&closeAction_, &QAction::triggered, this, &QWidget::close);

  SSTab1.setObjectName("SSTab1");
  SSTab1.addTab(&lstcmds, "cmds");
  SSTab1.addTab(&miscPage_, "misc");
  SSTab1.addTab(&lstpl, "playlist");

  stylesFrame_.setObjectName("styles");
  messagesFrame_.setObjectName("messages");
  stylesLayout_.addWidget(&lstStyles);
  messagesLayout_.addWidget(&lstMsg);
  messagesLayout_.addWidget(&Label2, 0, Qt::AlignRight);
  Label2.setObjectName("Label2");
  QPalette link = Label2.palette();
  link.setColor(QPalette::WindowText, QColor(0, 64, 192));
  Label2.setPalette(link);
  QFont underlined = Label2.font();
  underlined.setUnderline(true);
  Label2.setFont(underlined);
  miscLayout_.addWidget(&stylesFrame_);
  miscLayout_.addWidget(&messagesFrame_);

  connect(&lstpl, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    state_.lstpl.setSelectedIndex(lstpl.row(item));
    PlaySelectedEntry(state_);
  });
  layOut();
}

MainWindow::~MainWindow() = default;

double MainWindow::dpi() const {
  const QScreen* s = screen();
  return s != nullptr ? s->logicalDotsPerInch() : 96.0;
}

void MainWindow::layOut() {
  const double d = dpi();
  const auto px = [d](int twips) { return TwipsToPixels(twips, d); };
  Picture1.setGeometry(0, 0, px(kStripWidth), px(kStripHeight));
  Label1.setGeometry(0, px((kStripHeight - kTitleHeight) / 2), px(kStripWidth), px(kTitleHeight));
  SSTab1.setGeometry(0, px(kTabsTop), px(kStripWidth), px(kTabsHeight));
  const int gap = px(kFrameGap);
  miscLayout_.setContentsMargins(gap, gap, gap, gap);
  miscLayout_.setSpacing(gap);
  for (auto* frame : {&stylesLayout_, &messagesLayout_}) {
    frame->setContentsMargins(gap, gap, gap, gap);
    frame->setSpacing(gap);
  }
}

void MainWindow::SizeAndPaintTitle() {
  layOut();
  const double d = dpi();
  setFixedSize(TwipsToPixels(kWindowWidth, d), TwipsToPixels(kWindowHeight, d));
  Picture1.paintGradient();
}

void MainWindow::StayOnTop() {
  // Changing a window flag hides the window; it comes back where it was.
  const QPoint where = pos();
  const QSize size = this->size();
  const bool shown = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  move(where);
  resize(size);
  if (shown) show();
}

void MainWindow::SnapToEdges() {
  const QScreen* s = screen();
  if (snapping_ || s == nullptr) return;
  const QRect area = s->availableGeometry();
  const double d = s->logicalDotsPerInch();
  const QRect frame = frameGeometry();
  const auto twips = [d](int pixels) { return PixelsToTwips(pixels, d); };
  const TwipsRect window{twips(frame.x() - area.x()), twips(frame.y() - area.y()),
                         twips(frame.width()), twips(frame.height())};

  snapping_ = true;
  drag_.setBlocked(true);
  // Chat lines handled while the window slides may close it.
  QPointer<MainWindow> self(this);
  SnapToScreenEdges(window, twips(area.width()), twips(area.height()),
                    {[&self] {
                       QCoreApplication::processEvents();
                       return !self.isNull();
                     },
                     [&self, area, d](int left, int top) {
                       if (self) {
                         self->move(area.x() + TwipsToPixels(left, d),
                                    area.y() + TwipsToPixels(top, d));
                       }
                     }});
  if (!self) return;
  snapping_ = false;
  drag_.setBlocked(false);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (unload_) unload_();
  event->accept();
}

}  // namespace spindeck
