#pragma once
// Start-up and shutdown of the main form: what the program reads, scans and announces when it
// starts, and what it saves and says when it ends.
#include <string>

#include "src/state/chat_line.h"
#include "src/state/reply_fragments.h"
#include "src/state/runtime_state.h"
#include "src/ui/main_window.h"

namespace spindeck {

// Start-up: lists the styles, starts the chat scanner, sets up the window, fills the help
// list, reads the DJ name, the load counter (written back at once) and the current style,
// starts the stream when the settings name one, loads the music library and announces the program
// in the room in two lines. Chat lines reported meanwhile are dispatched from the pause between the
// two lines on.
void LoadMainForm(RuntimeState& state, MainWindow& window);

// Shutdown, once: saves the DJ name, the style name, the "default" style when it is the
// current one and the directory list, says goodbye in two lines, then ends the event loop.
// Later calls do nothing. Called while start-up has not yet sent its first line, it runs
// right after that line instead.
void UnloadMainForm(RuntimeState& state);

// The "end" command: unloads the main form, which ends the program.
void EndCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f);

// A chat line reported by the scanner: dispatched, or held while start-up is not that far.
void ChatLineArrived(RuntimeState& state, const ChatLine& line);

}  // namespace spindeck
