#pragma once
// Other people in the room, for a demo: each name joins the top room and now and then says a
// friendly remark there, picked at random, after a random pause between the two bounds.
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "aolsim/chat_client.h"

namespace aolsim {

class Chatters : public QObject {
  Q_OBJECT
 public:
  Chatters(ChatClient& client, const std::vector<std::string>& names, int minPauseMs,
           int maxPauseMs, QObject* parent = nullptr);

 private:
  struct Chatter {
    std::string name;
    std::size_t last = SIZE_MAX;  // the remark said last, not said twice in a row
    std::unique_ptr<QTimer> timer;
  };
  void Talk(Chatter& chatter);
  void Wait(Chatter& chatter);

  ChatClient& client_;
  int minPauseMs_;
  int maxPauseMs_;
  std::mt19937 random_;
  std::vector<std::unique_ptr<Chatter>> chatters_;
};

}  // namespace aolsim
