#pragma once
// A list widget that shows one list of the runtime state live: every change of the list's
// entries or selection shows at once, and a row the user selects becomes the list's
// selection.
#include <QListWidget>
#include <string>
#include <vector>

#include "src/state/state_list.h"

namespace spindeck {

class StateListWidget : public QListWidget {
 public:
  StateListWidget(StateList& list, const char* name);
  ~StateListWidget() override;

 private:
  void follow(const StateList& list);
  void showEntries(const std::vector<std::string>& entries);
  void showSelection(int index);
  int selectedRow() const;

  StateList& list_;
  // The entries as shown, in Windows-1252, to find what a change touched.
  std::vector<std::string> shown_;
  // Set while the widget follows the list, so its own signals do not echo back.
  bool following_ = false;
  QMetaObject::Connection selectionChanged_;
};

}  // namespace spindeck
