#pragma once
#include <array>

#include "src/state/state_list.h"

namespace spindeck {

constexpr std::size_t kHelpLineCount = 56;

// The help lines in display order.
const std::array<const char*, kHelpLineCount>& HelpLines();

// Empties the list and fills it with the help lines.
void FillHelpList(StateList& list);

}  // namespace spindeck
