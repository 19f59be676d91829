#include "src/presence/away_mode.h"

#include <QObject>
#include <cstdlib>

#include "platform/text/zero_padded.h"
#include "src/output/elite_filter.h"
#include "src/output/pause.h"
#include "src/output/replace_text.h"
#include "src/output/styled_message.h"

namespace spindeck {
namespace {

constexpr int kMaxMessages = 20;

// A counter field read as a whole number: its leading digits, 0 when there are none.
long long CounterValue(const std::string& text) {
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    if (value > 1'000'000'000'000LL) break;  // far beyond any real away period
    value = value * 10 + (c - '0');
  }
  return value;
}

// "spin." and the bold "deck" in the decoration colour, the way the away lines begin.
std::string SpinDeck(const RuntimeState& state, const ReplyFragments& f) {
  return EliteText(state, "spin.") + f.asciiColorTag + EliteText(state, "<b>deck</b>");
}

void Announce(RuntimeState& state, const ReplyFragments& f, const std::string& news) {
  SendStyled(state, SpinDeck(state, f) + f.middleSeparator +
                        EliteText(state, "<u>" + state.lblhandle + "</u> " + news));
}

std::string MessageCommand(const RuntimeState& state) {
  return "." + LowerText(state.lblhandle);
}

bool OnlyBlanks(const std::string& text) {
  return text.find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

bool IsAway(const RuntimeState& state) {
  return state.tmrIdle.isActive();
}

void IdleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f) {
  if (argument.empty() || IsAway(state)) return;
  state.lblhours = "0";
  state.lblmins = "0";
  if (state.scan3) state.scan3->start();
  state.tmrIdle.start();
  state.lblrsn = argument;
  Announce(state, f, "is going idle!");
}

void XidleCommand(RuntimeState& state, const std::string& argument, const ReplyFragments& f) {
  if (!argument.empty() || !IsAway(state)) return;
  state.tmrIdle.stop();
  if (state.scan3) state.scan3->stop();
  Announce(state, f, "is back!");
}

void ReCommand(RuntimeState& state, const std::string& argument, const ReplyFragments&) {
  if (argument.empty()) return;
  state.lblrsn = argument;
  Reply(state, "idle reason updated");
}

void IdleTick(RuntimeState& state) {
  state.lblmins = std::to_string(CounterValue(state.lblmins) + 1);
  if (state.lblmins == "60") {
    state.lblhours = std::to_string(CounterValue(state.lblhours) + 1);
    state.lblmins = "0";
  }
  const ReplyFragments f = BuildReplyFragments(state);
  SendStyled(state,
             SpinDeck(state, f) + f.textColorTag + EliteText(state, " idle") + f.middleSeparator +
                 EliteText(state, "<b>" + platform::ZeroPadded(state.lblhours, 2) + "</b>:<b>" +
                                      platform::ZeroPadded(state.lblmins, 2) + "</b>") +
                 f.middleSeparator + EliteText(state, "msg: " + state.lblrsn));
  Pause(0.5);
  Reply(state, "type <b>" + MessageCommand(state) + "</b> * to leave a message, max <b>20</b>");
}

void MessageLine(RuntimeState& state, const std::string& sender, const std::string& text) {
  const std::size_t space = text.find(' ');
  const std::string word = LowerText(text.substr(0, space));
  const std::string message = space == std::string::npos ? "" : text.substr(space + 1);
  if (word != MessageCommand(state)) return;
  if (state.lstMsg.count() >= kMaxMessages) return;
  // A message of blanks alone says nothing: it is not worth one of the twenty places.
  if (OnlyBlanks(message)) return;
  state.lstMsg.append(sender + ": " + message);
  Reply(state, "<u>" + LowerText(sender) + "</u> your message has been logged");
  Pause(3.0);
}

void ConnectPresenceEvents(RuntimeState& state) {
  QObject::connect(&state.tmrIdle, &QTimer::timeout, &state.tmrIdle, [&state] { IdleTick(state); });
  if (state.scan3) {
    state.scan3->setLineHandler([&state](const std::string& sender, const std::string& text) {
      MessageLine(state, sender, text);
    });
  }
}

}  // namespace spindeck
