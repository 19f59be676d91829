// Drives the protocol state machine of one connection with arbitrary server lines and times,
// and checks what it gives to send: no line over 510 bytes (512 with CR LF) nor with a CR,
// LF or NUL in it, no PRIVMSG before the welcome, and its queue and held text within bounds.
//
// The input is lines; the first byte of each says what happens:
//   'c' the connection comes up, 'd' it is lost, 't' the time passes (the rest: how many
//   seconds), 'q' the user says a line, 'n' the user wants another nick; anything else is a
//   line from the server (the whole line).
#include <cstddef>
#include <cstdint>
#include <string>

#include "aolsim/irc/irc_session.h"

namespace {

using aolsim::irc::IrcSession;

void Check(IrcSession& session, bool& welcomed) {
  for (const IrcSession::Event& event : session.TakeEvents()) {
    switch (event.kind) {
      case IrcSession::Event::Kind::kSend:
        if (event.text.size() > IrcSession::kLongestLine ||
            event.text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
          __builtin_trap();
        }
        if (!welcomed && event.text.rfind("PRIVMSG", 0) == 0) __builtin_trap();
        break;
      case IrcSession::Event::Kind::kRegistered:
        welcomed = true;
        break;
      case IrcSession::Event::Kind::kDrop:
      case IrcSession::Event::Kind::kStop:
        welcomed = false;
        break;
      default:
        break;
    }
  }
  if (session.queued() > aolsim::irc::SendQueue::kCapacity ||
      session.heldBytes() > IrcSession::kLongestCapList + 4 * IrcSession::kLongestLine) {
    __builtin_trap();
  }
  if (session.registered() != welcomed) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  aolsim::irc::SessionSettings settings;
  settings.nick = "DeckUser9";
  settings.sasl = !text.empty() && (text[0] & 1) != 0;
  settings.saslOptional = !text.empty() && (text[0] & 2) != 0;
  settings.password = "secret";
  IrcSession session(settings);
  bool welcomed = false;
  std::int64_t now = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lf = std::min(text.find('\n', start), text.size());
    const std::string line = text.substr(start, lf - start);
    start = lf + 1;
    const char what = line.empty() ? ' ' : line[0];
    if (what == 'c') {
      session.Connected(now);
      welcomed = false;
    } else if (what == 'd') {
      session.Disconnected();
      welcomed = false;
    } else if (what == 't') {
      now += 1000 * static_cast<std::int64_t>(line.size());
      session.Tick(now);
    } else if (what == 'q') {
      session.Queue(aolsim::irc::FormatLine("PRIVMSG", {"#room", line.substr(1, 400)}), now);
    } else if (what == 'n') {
      session.WantNick(line.substr(1, aolsim::irc::kMaxNickLength));
    } else {
      session.Received(line, now);
    }
    Check(session, welcomed);
  }
  return 0;
}
