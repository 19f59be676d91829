#pragma once
// An ordered list of texts of the runtime state, with a selected index. Lists that a window
// shows report every change to their observers, so the window can follow them live.
#include <functional>
#include <string>
#include <vector>

namespace spindeck {

class StateList {
 public:
  using Observer = std::function<void(const StateList&)>;

  int count() const { return static_cast<int>(entries_.size()); }
  // The entry at an index; an index outside the list gives an empty text.
  std::string entryAt(int index) const;
  void append(const std::string& entry);
  // Removing an index outside the list does nothing.
  void removeAt(int index);
  void clear();

  // -1 when no entry is selected. Selecting an index outside the list selects none.
  int selectedIndex() const { return selected_; }
  void setSelectedIndex(int index);

  const std::vector<std::string>& entries() const { return entries_; }

  // Observers are called after every change of the entries or of the selection.
  void observe(Observer observer) { observers_.push_back(std::move(observer)); }

 private:
  void notify() const;

  std::vector<std::string> entries_;
  int selected_ = -1;
  std::vector<Observer> observers_;
};

}  // namespace spindeck
