#pragma once
#include <string>

#include "src/state/reply_fragments.h"
#include "src/state/runtime_state.h"

namespace spindeck {

// The elite look: with the filter on ("0"), every "a" becomes "\xE1" and every "o" "\xF8";
// the colour-tag opening that this makes of "<font color=#" is put back. Off ("1"): unchanged.
std::string EliteText(const RuntimeState& state, const std::string& text);

// Commands "eliteon" and "eliteoff".
void EliteOn(RuntimeState& state, const std::string& argument, const ReplyFragments& fragments);
void EliteOff(RuntimeState& state, const std::string& argument, const ReplyFragments& fragments);

}  // namespace spindeck
