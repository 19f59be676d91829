#include "src/ui/state_list_widget.h"

#include <QPointer>
#include <algorithm>

#include "platform/text/cp1252.h"

namespace spindeck {
namespace {

QString ShownText(const std::string& entry) {
  return QString::fromStdString(platform::Cp1252ToUtf8(entry));
}

}  // namespace

StateListWidget::StateListWidget(StateList& list, const char* name) : list_(list) {
  setObjectName(name);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // no room for one; long rows are cut
  setUniformItemSizes(true);  // long playlists lay out without measuring every row
  follow(list_);
  // The list outlives no window it is shown in, but it cannot forget an observer: the
  // observer checks that the widget still exists.
  list_.observe([widget = QPointer<StateListWidget>(this)](const StateList& l) {
    if (widget) widget->follow(l);
  });
  // The selection, not the current row: a list given the keyboard focus gets a current row
  // of its own, which must not move the list's selection.
  selectionChanged_ = connect(this, &QListWidget::itemSelectionChanged, this, [this] {
    const int row = selectedRow();
    if (!following_ && row != list_.selectedIndex()) list_.setSelectedIndex(row);
  });
}

// Rows that go away with the widget must not clear the list's selection.
StateListWidget::~StateListWidget() {
  disconnect(selectionChanged_);
}

int StateListWidget::selectedRow() const {
  const auto rows = selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.front().row();
}

void StateListWidget::follow(const StateList& list) {
  following_ = true;
  showEntries(list.entries());
  showSelection(list.selectedIndex());
  following_ = false;
}

void StateListWidget::showEntries(const std::vector<std::string>& entries) {
  // One entry more with the same last one before it: an append, the common case while a
  // library loads, shown without comparing the whole list.
  if (entries.size() == shown_.size() + 1 &&
      (shown_.empty() || shown_.back() == entries[entries.size() - 2])) {
    addItem(ShownText(entries.back()));
    shown_.push_back(entries.back());
    return;
  }
  // Otherwise the rows between the unchanged head and tail are replaced.
  const std::size_t head = static_cast<std::size_t>(
      std::mismatch(shown_.begin(), shown_.end(), entries.begin(), entries.end()).first -
      shown_.begin());
  std::size_t tail = 0;
  while (tail < shown_.size() - head && tail < entries.size() - head &&
         shown_[shown_.size() - 1 - tail] == entries[entries.size() - 1 - tail]) {
    ++tail;
  }
  const int first = static_cast<int>(head);
  model()->removeRows(first, static_cast<int>(shown_.size() - tail - head));
  for (std::size_t i = head; i < entries.size() - tail; ++i) {
    insertItem(static_cast<int>(i), ShownText(entries[i]));
  }
  shown_ = entries;
}

void StateListWidget::showSelection(int index) {
  if (index == selectedRow()) return;
  if (index < 0) {
    clearSelection();
    setCurrentRow(-1);
  } else {
    setCurrentRow(index);
    scrollToItem(item(index));
  }
}

}  // namespace spindeck
