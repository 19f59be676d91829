#include "aolsim/window/chatter_view.h"

#include "aolsim/window/window_actions.h"
#include "platform/text/cp1252.h"

namespace aolsim::window {

ChatterView::ChatterView(win32::WindowTree& tree, win32::HWND chatter)
    : WindowView(chatter), tree_(tree) {
  // Names come from the network: shown as they are, never as markup.
  name_.setTextFormat(Qt::PlainText);
  layout_.addWidget(&name_);
  layout_.addWidget(&ignore_);
  layout_.addStretch();
  // The box shows the served state only: a click goes to the served box, and the tick
  // follows what it answers.
  connect(&ignore_, &QCheckBox::clicked, this, [this] {
    std::lock_guard guard(tree_.lock());
    if (const win32::HWND box = IgnoreBox()) Click(tree_, box);
    Refresh();
  });
  resize(240, 140);
}

win32::HWND ChatterView::IgnoreBox() const {
  return tree_.FindChild(window(), 0, "_AOL_Checkbox", nullptr);
}

void ChatterView::Refresh() {
  name_.setText(QString::fromStdString(platform::Cp1252ToUtf8(tree_.Caption(window()))));
  const win32::HWND box = IgnoreBox();
  const bool ticked =
      box != 0 && tree_.Dispatch(box, win32::Message{win32::BM_GETCHECK, 0, 0, {}}).result == 1;
  ignore_.setChecked(ticked);
}

bool ChatterView::RequestClose() {
  std::lock_guard guard(tree_.lock());
  Close(tree_, window());
  return true;
}

}  // namespace aolsim::window
