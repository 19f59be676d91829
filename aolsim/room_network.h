#pragma once
// What the chat client tells the network its rooms live on, when they live on one: rooms the
// user opens and closes, lines the user says, and the user's wish to sign on or off. Without
// a network the client is a room of its own and none of this leaves it.
#include <string>

namespace aolsim {

class RoomNetwork {
 public:
  virtual ~RoomNetwork() = default;
  virtual void RoomOpened(const std::string& room) = 0;
  virtual void RoomClosed(const std::string& room) = 0;
  // A line the user said in the room (its HTML, as typed), already in the transcript.
  virtual void LineSaid(const std::string& room, const std::string& html) = 0;
  // False, after saying why on standard error, when the name cannot be a screen name here.
  virtual bool SignOn(const std::string& name) = 0;
  virtual void SignOff() = 0;
};

}  // namespace aolsim
