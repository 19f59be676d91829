#pragma once
// The commands that belong to no larger part: hiding and showing the window, the DJ
// name, the advertisement, private rooms, the character map and the local temperature.
#include <string>

#include "src/state/reply_fragments.h"
#include "src/state/runtime_state.h"

namespace spindeck {

void HideCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void ShowCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void DjCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void DjQueryCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void PrCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void AdvCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void CharmapCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);
void TempCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);

}  // namespace spindeck
