#pragma once
// Bounds the kernel's send buffer of the connections to a server that a library made without
// handing out their sockets (libshout keeps its socket to itself). Left alone, Linux lets a
// connection's send buffer grow to megabytes: over a slow uplink the stream would pile up
// minutes of audio there, heard that much later, before the stream could notice and leave
// audio out.
#include <cstdint>

namespace platform {

// Sets the send buffer of every TCP socket of this process connected to `peerPort` to `bytes`;
// true when there was one.
bool BoundSendBuffersTo(std::uint16_t peerPort, int bytes);

}  // namespace platform
