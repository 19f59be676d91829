#pragma once
// The chat client's keyword box, menu bar (its version) and Welcome window.
#include <string>

#include "platform/win32/win32.h"

namespace spindeck {

// Types the keyword into the toolbar's keyword box, then a space and Enter.
void AolKeyword(const std::string& keyword);

// Enters the private room of that name.
void PrivateRoom(const std::string& room);

// "8", "7", "6", "5", "4", "3", "2.5" or "?".
std::string AolVersion();

// A control's text; empty for window 0.
std::string GetControlText(win32::HWND window);

// The text of the Welcome window's fifth static control (the local temperature), or empty.
std::string WelcomeTemperature();

// The number of chatters in the open room's member list, 0 without a room.
int RoomCount();

}  // namespace spindeck
