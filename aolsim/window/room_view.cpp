#include "aolsim/window/room_view.h"

#include <algorithm>

#include "aolsim/window/shown_text.h"
#include "aolsim/window/window_actions.h"
#include "platform/text/cp1252.h"

namespace aolsim::window {

RoomView::RoomView(ChatClient& client, win32::WindowTree& tree, win32::HWND room)
    : WindowView(room), client_(client), tree_(tree) {
  count_.setTextFormat(Qt::PlainText);
  layout_.addLayout(&chatColumn_, 3);
  layout_.addLayout(&memberColumn_, 1);
  chatColumn_.addWidget(&transcript_);
  chatColumn_.addLayout(&inputRow_);
  inputRow_.addWidget(&input_);
  inputRow_.addWidget(&send_);
  memberColumn_.addWidget(&count_);
  memberColumn_.addWidget(&members_);
  input_.setMaxLength(1024);
  connect(&input_, &QLineEdit::returnPressed, this, &RoomView::Send);
  connect(&send_, &QPushButton::clicked, this, &RoomView::Send);
  connect(&members_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { OpenMember(members_.row(item)); });
  setFocusProxy(&input_);
  resize(560, 340);
}

void RoomView::Send() {
  const std::string text = platform::Utf8ToCp1252(input_.text().toStdString());
  input_.clear();
  if (text.empty()) return;
  std::lock_guard guard(tree_.lock());
  const win32::HWND box = tree_.FindChild(window(), 0, "RICHCNTL", nullptr);
  if (box != 0) TypeAndEnter(tree_, box, text);
}

void RoomView::OpenMember(int row) {
  std::lock_guard guard(tree_.lock());
  const win32::HWND list = tree_.FindChild(window(), 0, "_AOL_Listbox", nullptr);
  if (list != 0) DoubleClickItem(tree_, list, row);
}

void RoomView::Refresh() {
  if (const Transcript* lines = client_.TranscriptOf(window())) {
    for (std::uint64_t serial = std::max(shownUpTo_, lines->FirstSerial());
         serial < lines->NextSerial(); ++serial) {
      if (const Transcript::Said* said = lines->SaidBySerial(serial)) {
        transcript_.AppendLine(said->sender, said->html);
      }
    }
    shownUpTo_ = lines->NextSerial();
  }
  const std::vector<std::string> names = client_.Members(window());
  if (names != shownMembers_) {
    const int row = members_.currentRow();
    members_.clear();
    for (const std::string& name : names) members_.addItem(Shown(name));
    if (row >= 0 && row < members_.count()) members_.setCurrentRow(row);
    shownMembers_ = names;
  }
  count_.setText(QStringLiteral("People Here: %1").arg(names.size()));
}

}  // namespace aolsim::window
