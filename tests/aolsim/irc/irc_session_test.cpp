// The protocol of one connection without a socket: registration with nick alternatives, the
// SASL login, the welcome deadline, and what may leave before the welcome.
#include "aolsim/irc/irc_session.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace aolsim::irc {
namespace {

using Kind = IrcSession::Event::Kind;

// What the session did since the last look: "send LINE", "registered NICK", "problem TEXT",
// "drop WHY", "stop WHY" or "message COMMAND".
std::vector<std::string> Did(IrcSession& session) {
  std::vector<std::string> did;
  for (const IrcSession::Event& e : session.TakeEvents()) {
    switch (e.kind) {
      case Kind::kSend:
        did.push_back("send " + e.text);
        break;
      case Kind::kRegistered:
        did.push_back("registered " + e.text);
        break;
      case Kind::kMessage:
        did.push_back("message " + e.message.command);
        break;
      case Kind::kProblem:
        did.push_back("problem " + e.text);
        break;
      case Kind::kDrop:
        did.push_back("drop " + e.text);
        break;
      case Kind::kStop:
        did.push_back("stop " + e.text);
        break;
    }
  }
  return did;
}

bool Holds(const std::vector<std::string>& did, const std::string& piece) {
  for (const std::string& d : did) {
    if (d.find(piece) != std::string::npos) return true;
  }
  return false;
}

IrcSession Connected(SessionSettings settings) {
  IrcSession session(std::move(settings));
  session.Connected(0);
  session.TakeEvents();
  return session;
}

SessionSettings Nick(const std::string& nick) {
  SessionSettings settings;
  settings.nick = nick;
  return settings;
}

SessionSettings Sasl(const std::string& nick, bool optional = false) {
  SessionSettings settings = Nick(nick);
  settings.sasl = true;
  settings.saslOptional = optional;
  settings.password = "pw";
  return settings;
}

TEST(IrcSessionNick, AnAlternativeTooLongForTheServerIsShortenedNotTheEnd) {
  // A server with nicks of 9 characters that has not said so yet.
  IrcSession session = Connected(Nick("DeckUser9"));
  session.Received(":s 433 * DeckUser9 :Nickname already in use", 1);
  EXPECT_EQ(Did(session), std::vector<std::string>{"send NICK DeckUser9_"});
  session.Received(":s 432 * DeckUser9_ :Erroneous Nickname", 2);
  EXPECT_EQ(Did(session), std::vector<std::string>{"send NICK DeckUser_"});
  session.Received(":s 437 * DeckUser_ :Nick temporarily unavailable", 3);
  EXPECT_EQ(Did(session), std::vector<std::string>{"send NICK DeckUse__"});
  session.Received(":s 001 DeckUse__ :Welcome", 4);
  EXPECT_EQ(Did(session), std::vector<std::string>{"registered DeckUse__"});
}

TEST(IrcSessionNick, AServerThatCutsTheAlternativeToItsLengthGetsAShorterOne) {
  IrcSession session = Connected(Nick("DeckUser9"));
  session.Received(":s 433 * DeckUser9 :Nickname is already in use", 1);
  session.Received(":s 433 * DeckUser9 :Nickname is already in use", 2);  // "DeckUser9_" cut
  EXPECT_EQ(Did(session),
            (std::vector<std::string>{"send NICK DeckUser9_", "send NICK DeckUser_"}));
}

TEST(IrcSessionNick, AlternativesKeepToTheNickLengthTheServerGave) {
  IrcSession session = Connected(Nick("DeckUser9"));
  session.Received(":s 001 DeckUser9 :Welcome", 1);
  session.Received(":s 005 DeckUser9 NICKLEN=9 CHANTYPES=# :are supported", 2);
  EXPECT_EQ(session.features().nickLen, 9u);
  session.Disconnected();
  session.Connected(3);  // the old connection still holds the nick
  session.TakeEvents();
  session.Received(":s 433 * DeckUser9 :in use", 4);
  session.Received(":s 433 * DeckUser_ :in use", 5);
  session.Received(":s 433 * DeckUse__ :in use", 6);
  EXPECT_EQ(Did(session), (std::vector<std::string>{"send NICK DeckUser_", "send NICK DeckUse__",
                                                    "send NICK DeckUse_1"}));
}

TEST(IrcSessionNick, OnlyTheUsersOwnNickRefusedEndsItWithTheReason) {
  IrcSession session = Connected(Nick("Deck-Sam"));
  session.Received(":s 432 * Deck-Sam :Erroneous Nickname", 1);
  const std::vector<std::string> did = Did(session);
  ASSERT_EQ(did.size(), 2u);
  EXPECT_EQ(did[0], "problem the server refuses the nick Deck-Sam: Erroneous Nickname");
  EXPECT_EQ(did[1].substr(0, 5), "stop ");
}

// The session under the alternative "Sam_", the wanted "Sam" held by someone else.
IrcSession UnderAlternative(std::int64_t pollMs = 30000) {
  SessionSettings settings = Nick("Sam");
  settings.reclaimPollMs = pollMs;
  IrcSession session = Connected(settings);
  session.Received(":s 433 * Sam :in use", 1);
  session.Received(":s 001 Sam_ :Welcome", 2);
  session.TakeEvents();
  return session;
}

TEST(IrcSessionReclaim, WithoutMonitorIsonAsksAtTheIntervalAndTheNickIsTakenOnceFree) {
  IrcSession session = UnderAlternative(5000);
  EXPECT_EQ(session.NextTickMs(2), 5002);
  session.Tick(5001);
  EXPECT_TRUE(Did(session).empty());
  session.Tick(5002);
  EXPECT_EQ(Did(session), std::vector<std::string>{"send ISON Sam"});
  session.Received(":s 303 Sam_ :SAM ", 5003);
  EXPECT_EQ(Did(session), std::vector<std::string>{"message 303"});
  session.Tick(10002);
  EXPECT_EQ(Did(session), std::vector<std::string>{"send ISON Sam"});
  session.Received(":s 303 Sam_ :", 10003);
  EXPECT_EQ(Did(session), (std::vector<std::string>{"send NICK Sam", "message 303"}));
  // A 303 nobody asked for changes nothing.
  session.Received(":s 303 Sam_ :", 10004);
  EXPECT_EQ(Did(session), std::vector<std::string>{"message 303"});
  session.Received(":Sam_!u@h NICK :Sam", 10005);
  EXPECT_EQ(session.nick(), "Sam");
  EXPECT_EQ(session.NextTickMs(10005), -1);

  // A server without ISON gets the NICK itself at the interval.
  IrcSession plain = UnderAlternative(5000);
  plain.Tick(5002);
  plain.Received(":s 421 Sam_ ISON :Unknown command", 5003);
  plain.TakeEvents();
  plain.Tick(10002);
  EXPECT_EQ(Did(plain), std::vector<std::string>{"send NICK Sam"});
}

TEST(IrcSessionReclaim, MonitorTellsWhenTheHolderLeavesAndAFullListFallsBackToIson) {
  IrcSession session = UnderAlternative();
  session.Received(":s 005 Sam_ MONITOR=50 :are supported", 3);
  EXPECT_EQ(Did(session), (std::vector<std::string>{"send MONITOR + Sam", "message 005"}));
  EXPECT_EQ(session.NextTickMs(3), -1);  // no polling beside MONITOR
  session.Received(":s 730 Sam_ :Sam!u@h", 4);
  session.Received(":s 731 Sam_ :Other,SAM,sam", 5);
  EXPECT_EQ(Did(session),
            (std::vector<std::string>{"message 730", "send NICK Sam", "message 731"}));
  session.Received(":Sam_!u@h NICK :Sam", 6);
  EXPECT_EQ(Did(session), (std::vector<std::string>{"send MONITOR - Sam", "message NICK"}));

  IrcSession full = UnderAlternative(5000);
  full.Received(":s 005 Sam_ MONITOR=1 :are supported", 3);
  full.Received(":s 734 Sam_ 1 Sam :Monitor list is full", 4);
  full.TakeEvents();
  full.Tick(5004);
  EXPECT_EQ(Did(full), std::vector<std::string>{"send ISON Sam"});
  // The holder seen leaving a shared channel frees the nick at once, whatever the watch.
  full.Received(":sam!u@h QUIT :bye", 5005);
  EXPECT_EQ(Did(full), (std::vector<std::string>{"send NICK Sam", "message QUIT"}));
}

TEST(IrcSessionSasl, CollectsAMultiLineCapListAndLogsInToTheGivenAccount) {
  SessionSettings settings = Sasl("Sam");
  settings.saslAccount = "samuel";
  IrcSession session(settings);
  session.Connected(0);
  EXPECT_EQ(Did(session), (std::vector<std::string>{"send CAP LS 302", "send NICK Sam",
                                                    "send USER aolsim 0 * :aolsim user"}));
  session.Received(":s CAP * LS * :multi-prefix away-notify", 1);
  session.Received(":s CAP * NEW :batch", 1);
  EXPECT_EQ(Did(session), std::vector<std::string>{});
  session.Received(":s CAP * LS :sasl=EXTERNAL,PLAIN server-time", 1);
  EXPECT_EQ(Did(session), std::vector<std::string>{"send CAP REQ :sasl"});
  session.Received(":s CAP * ACK :sasl", 1);
  EXPECT_EQ(Did(session), std::vector<std::string>{"send AUTHENTICATE PLAIN"});
  session.Received("AUTHENTICATE +", 1);
  // "samuel\0samuel\0pw"
  EXPECT_EQ(Did(session), std::vector<std::string>{"send AUTHENTICATE c2FtdWVsAHNhbXVlbABwdw=="});
  session.Received(":s 900 Sam Sam!u@h samuel :You are now logged in", 1);
  session.Received(":s 903 Sam :SASL authentication successful", 1);
  EXPECT_EQ(Did(session), std::vector<std::string>{"send CAP END"});
  session.Received(":s 001 Sam :Welcome", 1);
  EXPECT_EQ(Did(session), std::vector<std::string>{"registered Sam"});
}

TEST(IrcSessionSasl, AFailedLoginIsSaidAndTheConnectionDroppedUnlessOptional) {
  const std::vector<std::vector<std::string>> failures = {
      {":s CAP * LS :multi-prefix"},
      {":s CAP * LS :sasl=EXTERNAL"},
      {":s 421 * CAP :Unknown command"},
      {":s CAP * LS :sasl", ":s CAP * NAK :sasl"},
      {":s CAP * LS :sasl", ":s CAP * ACK :sasl", "AUTHENTICATE +",
       ":s 904 Sam :SASL authentication failed"},
      {":s CAP * LS :sasl", ":s CAP * ACK :sasl", ":s 908 Sam EXTERNAL :are available"},
  };
  for (const bool optional : {false, true}) {
    for (const std::vector<std::string>& lines : failures) {
      SCOPED_TRACE(lines.back() + (optional ? " (optional)" : ""));
      IrcSession session = Connected(Sasl("Sam", optional));
      for (const std::string& line : lines) session.Received(line, 1);
      const std::vector<std::string> did = Did(session);
      ASSERT_FALSE(did.empty());
      EXPECT_EQ(std::count_if(did.begin(), did.end(),
                              [](const std::string& d) { return d.rfind("problem ", 0) == 0; }),
                1);
      EXPECT_EQ(Holds(did, "drop "), !optional);
      if (optional) {
        EXPECT_EQ(Holds(did, "send CAP END"), lines.back().find(" 421 ") == std::string::npos);
        session.Received(":s 001 Sam :Welcome", 2);
        EXPECT_TRUE(session.registered());
      }
    }
  }
}

TEST(IrcSessionWelcome, NoWelcomeWithinTheDeadlineDropsTheConnectionWhateverElseCame) {
  IrcSession session = Connected(Nick("Sam"));
  EXPECT_EQ(session.NextTickMs(0), IrcSession::kWelcomeMs);
  session.Received("PING :x", 30000);
  session.Received(":s NOTICE * :still looking", 59000);
  session.Tick(59999);
  EXPECT_EQ(Did(session), std::vector<std::string>{"send PONG x"});
  session.Tick(IrcSession::kWelcomeMs);
  EXPECT_EQ(Did(session), std::vector<std::string>{"drop no welcome from the server within 60 s"});
}

TEST(IrcSessionWelcome, ChatLinesWaitForTheWelcomeAndNoLineOutgrowsTheLimit) {
  IrcSession session = Connected(Nick("Sam"));
  EXPECT_TRUE(session.Queue("PRIVMSG #lobby :hello", 1));
  session.SendNow("JOIN #lobby");
  session.Received("PING :" + std::string(600, 'x'), 1);
  const std::vector<std::string> did = Did(session);
  ASSERT_EQ(did.size(), 1u);
  EXPECT_EQ(did[0].size(), std::string("send ").size() + IrcSession::kLongestLine);
  session.Received(":s 001 Sam :Welcome", 2);
  EXPECT_EQ(Did(session),
            (std::vector<std::string>{"registered Sam", "send PRIVMSG #lobby :hello"}));
}

}  // namespace
}  // namespace aolsim::irc
