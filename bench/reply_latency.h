#pragma once
// How long the program takes to answer the user's one-line command in the chat room, from
// the command written to the chat client's input to the answer read from its output: in a
// quiet room (each command 5 s after the room's last line) and in a room where another
// chatter talks every 100 ms. The baseline is the echo of the user's own line in the same
// round trip, which needs no program: the client's and the bench's own latency. Prints its
// figures.
#include <string>

namespace spindeck::bench {

// False when something could not be measured (the reason is printed).
bool MeasureReplyLatency(const std::string& songFolder);

}  // namespace spindeck::bench
