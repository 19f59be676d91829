#include "src/state/state_list.h"

namespace spindeck {

std::string StateList::entryAt(int index) const {
  if (index < 0 || index >= count()) return {};
  return entries_[static_cast<std::size_t>(index)];
}

void StateList::append(const std::string& entry) {
  entries_.push_back(entry);
  notify();
}

void StateList::removeAt(int index) {
  if (index < 0 || index >= count()) return;
  entries_.erase(entries_.begin() + index);
  if (selected_ == index) {
    selected_ = -1;
  } else if (selected_ > index) {
    --selected_;
  }
  notify();
}

void StateList::clear() {
  entries_.clear();
  selected_ = -1;
  notify();
}

void StateList::setSelectedIndex(int index) {
  selected_ = (index >= 0 && index < count()) ? index : -1;
  notify();
}

void StateList::notify() const {
  for (const auto& observer : observers_) observer(*this);
}

}  // namespace spindeck
