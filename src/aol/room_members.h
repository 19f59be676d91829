#pragma once
// The chat room's member list: names read out of the client's memory, and the client's own
// ignore setting, switched the way a user does it.
#include <string>

#include "platform/win32/win32.h"
#include "src/state/state_list.h"

namespace spindeck {

// The screen name of entry i of the member list box, read from the client's memory; empty
// when a read fails.
std::string ReadMemberName(win32::HANDLE process, win32::HWND memberList, int index);

// Appends the names of the room's chatters, in list order; the user's own name only when
// includeSelf is true.
void ListRoomMembers(StateList& list, bool includeSelf);

// Sets the client's ignore box of the first chatter whose name equals screenName without
// regard to case (never the user) to the wanted state: ignored or no longer ignored.
void ToggleIgnore(const std::string& screenName, bool ignored);

// Opens the chatter window of member entry index, clicks its ignore box until it reads the
// wanted state (at most 4 clicks), and closes the window again. Every wait is bounded.
void IgnoreByIndex(int index, bool ignored);

// The open chatter window, or 0.
win32::HWND FindMemberWindow();

}  // namespace spindeck
