#pragma once
// Other people in the room, for a demo: each name joins the top room and now and then says a
// friendly remark there, picked at random, after a random pause between the two bounds.
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "aolsim/chat_client.h"

namespace aolsim {

// How a chatter comes into the user's top room and says a line there: in the client itself,
// or as a user of the network the rooms live on.
struct ChatterVoice {
  std::function<void(const std::string& name)> join;
  std::function<void(const std::string& name, const std::string& html)> say;
};

class Chatters : public QObject {
  Q_OBJECT
 public:
  // The chatters talk in the client's own top room.
  Chatters(ChatClient& client, const std::vector<std::string>& names, int minPauseMs,
           int maxPauseMs, QObject* parent = nullptr);
  Chatters(ChatterVoice voice, const std::vector<std::string>& names, int minPauseMs,
           int maxPauseMs, QObject* parent = nullptr);

 private:
  struct Chatter {
    std::string name;
    std::size_t last = SIZE_MAX;  // the remark said last, not said twice in a row
    std::unique_ptr<QTimer> timer;
  };
  void Talk(Chatter& chatter);
  void Wait(Chatter& chatter);

  ChatterVoice voice_;
  int minPauseMs_;
  int maxPauseMs_;
  std::mt19937 random_;
  std::vector<std::unique_ptr<Chatter>> chatters_;
};

}  // namespace aolsim
