#include "aolsim/chatters.h"

#include <algorithm>
#include <array>

namespace aolsim {
namespace {

// Small talk, some of it with the HTML that chatters dress their lines in.
constexpr std::array<const char*, 18> kRemarks = {
    "hey everybody",
    "lol",
    "this room is the best on a friday night",
    "<b>brb</b>, getting a soda",
    "anyone else stuck on homework?",
    "nice tune!",
    "who picked this one? <i>love it</i>",
    "my dial-up is being slow again",
    "<font color=\"#0080FF\">a/s/l anyone?</font> j/k",
    "sooo bored",
    "turn it up!!",
    "back",
    "haha",
    "did you all see the game last night?",
    "gotta love this song",
    "<font color=\"#FF6600\">:-)</font>",
    "wb",
    "the pizza guy is here, later",
};

}  // namespace

Chatters::Chatters(ChatClient& client, const std::vector<std::string>& names, int minPauseMs,
                   int maxPauseMs, QObject* parent)
    : Chatters(ChatterVoice{[&client](const std::string& name) { client.Join(name); },
                            [&client](const std::string& name, const std::string& html) {
                              client.Say(name, html);
                            }},
               names, minPauseMs, maxPauseMs, parent) {}

Chatters::Chatters(ChatterVoice voice, const std::vector<std::string>& names, int minPauseMs,
                   int maxPauseMs, QObject* parent)
    : QObject(parent),
      voice_(std::move(voice)),
      minPauseMs_(std::max(0, minPauseMs)),
      maxPauseMs_(std::max(minPauseMs_, maxPauseMs)),
      random_(std::random_device{}()) {
  for (const std::string& name : names) {
    if (name.empty()) continue;
    voice_.join(name);
    auto chatter = std::make_unique<Chatter>();
    chatter->name = name;
    chatter->timer = std::make_unique<QTimer>();
    chatter->timer->setSingleShot(true);
    Chatter& c = *chatter;
    connect(chatter->timer.get(), &QTimer::timeout, this, [this, &c] { Talk(c); });
    chatters_.push_back(std::move(chatter));
    Wait(c);
  }
}

void Chatters::Talk(Chatter& chatter) {
  // Any remark but the last one, each as likely.
  const bool first = chatter.last >= kRemarks.size();
  std::uniform_int_distribution<std::size_t> pick(0, kRemarks.size() - (first ? 1 : 2));
  std::size_t remark = pick(random_);
  if (!first && remark >= chatter.last) ++remark;
  chatter.last = remark;
  // The chatters stay with the user: they talk in the top room, joining it when it is new.
  voice_.join(chatter.name);
  voice_.say(chatter.name, kRemarks[remark]);
  Wait(chatter);
}

void Chatters::Wait(Chatter& chatter) {
  std::uniform_int_distribution<int> pause(minPauseMs_, maxPauseMs_);
  chatter.timer->start(pause(random_));
}

}  // namespace aolsim
