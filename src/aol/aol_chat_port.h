#pragma once
// Connects the program to the chat client: the user's screen name and the chat line output
// for the dispatcher and the composer, and the three chat scanners of the state.
#include "src/state/runtime_state.h"

namespace spindeck {

// The open room's transcript window, or 0.
win32::HWND FindTranscript();

// Fills state.chat with the chat-client automation and creates scan, scan2 and scan3 (not
// scanning). The lines the program sends are left out of what the scanners report.
void ConnectChatClient(RuntimeState& state);

}  // namespace spindeck
