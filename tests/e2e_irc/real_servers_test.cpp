// The chat client against the IRC servers people run, each as its package ships it or with
// the least configuration it needs: ngircd (nicks of 9), InspIRCd with Anope services, and
// ircd-hybrid. One server of each kind serves every test of the suite. Where a server differs,
// the test says how.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <memory>

#include "aolsim/irc/formatting.h"
#include "aolsim/irc/message.h"
#include "platform/text/cp1252.h"
#include "platform/text/html_text.h"
#include "tests/support/aolsim_process.h"
#include "tests/support/aolsim_windows.h"
#include "tests/support/irc_test_client.h"
#include "tests/support/jukebox.h"
#include "tests/support/test_irc_servers.h"

namespace spindeck::testing {
namespace {

using aolsim::irc::Message;
using aolsim::irc::NickOf;

int SystemLinesHolding(const AolsimProcess& client, const std::string& piece) {
  int n = 0;
  for (const AolsimEvent& e : client.events()) n += SystemLineHolding(e, piece) ? 1 : 0;
  return n;
}

class OnRealServer : public ::testing::TestWithParam<IrcServerKind> {
 protected:
  void SetUp() override {
    std::unique_ptr<TestIrcServer>& slot = Servers()[GetParam()];
    if (!slot) {
      slot = MakeTestIrcServer(GetParam());
      if (!slot->Start()) {
        slot.reset();
        FAIL() << NameOf(GetParam()) << " did not start";
      }
    }
    server = slot.get();
  }
  static void TearDownTestSuite() { Servers().clear(); }
  static std::map<IrcServerKind, std::unique_ptr<TestIrcServer>>& Servers() {
    static std::map<IrcServerKind, std::unique_ptr<TestIrcServer>> servers;
    return servers;
  }

  // The client in `room` with the screen name, after its first "Connected".
  std::unique_ptr<AolsimProcess> SignOn(const std::string& room, const std::string& name,
                                        const QStringList& more = {}) {
    auto client = std::make_unique<AolsimProcess>(
        QStringList{"--irc", QString("127.0.0.1:%1").arg(server->port())} + more);
    EXPECT_TRUE(client->ready());
    client->Command({"room", room});
    client->Command({"signon", name});
    return client;
  }
  bool Connect(IrcTestClient& user, const std::string& nick) {
    return user.Connect("127.0.0.1", server->port(), nick);
  }

  TestIrcServer* server = nullptr;
};

// The servers differ on the first alternative, "DeckUser9_": InspIRCd (nicks of 30) takes it;
// ngircd (9) refuses it as invalid (432); ircd-hybrid (9) cuts it to "DeckUser9" without a
// word and finds that taken (433). The client ends at "DeckUser_" on both.
// They differ on how the client learns that the squatter has gone: where the server offers
// MONITOR (InspIRCd, ircd-hybrid) the squatter shares no channel with the user and the server
// says so; on ngircd it is in the user's room, as the user's own old connection would be, and
// its QUIT there says so (ISON, asked every 30 s, would take too long for a test).
TEST_P(OnRealServer, ASquattedNickGivesAnAlternativeWithinTheLimitAndComesBackWhenFreed) {
  IrcTestClient squatter;
  ASSERT_TRUE(Connect(squatter, "DeckUser9"));
  if (!server->hasMonitor()) {
    ASSERT_TRUE(squatter.Join("#squat"));
  }
  IrcTestClient tester;
  ASSERT_TRUE(Connect(tester, "tester1"));
  ASSERT_TRUE(tester.Join("#squat"));
  std::unique_ptr<AolsimProcess> client = SignOn("squat", "DeckUser9");
  ASSERT_TRUE(client->WaitFor(
      [](const AolsimEvent& e) { return SystemLineHolding(e, "is taken; you are "); }, 20000));
  const std::string& line = client->events().back()[3];
  const std::size_t at = line.find("you are ") + 8;
  const std::string alternative = line.substr(at, line.find(' ', at) - at);
  EXPECT_LE(alternative.size(), server->nickLength());
  EXPECT_NE(alternative, "DeckUser9");
  bool welcomed = false;
  for (win32::HWND child : Children(MdiClient(), "AOL Child")) {
    welcomed = welcomed || Caption(child) == "Welcome, " + alternative + "!";
  }
  EXPECT_TRUE(welcomed);
  client->Command({"say", alternative, "hello from the alternative"});
  EXPECT_EQ(tester.WaitForPrivmsg(alternative, "#squat"), "hello from the alternative");

  squatter.Disconnect();
  EXPECT_TRUE(client->WaitFor(
      [](const AolsimEvent& e) { return SystemLineHolding(e, "You are now known as DeckUser9"); },
      20000));
}

TEST_P(OnRealServer, TheClientComesBackAfterARestartWithOneLineForTheOutage) {
  std::unique_ptr<AolsimProcess> client = SignOn("restart", "Restarter");
  ASSERT_TRUE(client->WaitFor(
      [](const AolsimEvent& e) { return SystemLineHolding(e, "Connected to"); }, 20000));
  server->Stop();
  ASSERT_TRUE(
      client->WaitFor([](const AolsimEvent& e) { return SystemLineHolding(e, "lost"); }, 10000));
  // Attempts fail while the server is down (after 1 s and 2 s): they are not news.
  EXPECT_FALSE(
      client->WaitFor([](const AolsimEvent& e) { return SystemLineHolding(e, "lost"); }, 3500));
  ASSERT_TRUE(server->Start());
  ASSERT_TRUE(client->WaitFor(
      [](const AolsimEvent& e) { return SystemLineHolding(e, "Connected again"); }, 30000));
  EXPECT_EQ(SystemLinesHolding(*client, "lost"), 1);
  IrcTestClient back;
  ASSERT_TRUE(Connect(back, "back1"));
  ASSERT_TRUE(back.Join("#restart"));
  bool listed = false;
  for (const Message& m : back.received()) {
    listed = listed || (m.command == "353" && m.params.size() >= 4 &&
                        (" " + m.params[3] + " ").find("Restarter ") != std::string::npos);
  }
  EXPECT_TRUE(listed || back.WaitFor([](const Message& m) {
    return m.command == "JOIN" && NickOf(m.prefix) == "Restarter";
  }));
}

TEST_P(OnRealServer, AJoinRefusedAndANoticeAreToldInTheRoom) {
  IrcTestClient op;
  ASSERT_TRUE(Connect(op, "opener"));
  ASSERT_TRUE(op.Join("#closed"));
  op.Send("MODE #closed +i");
  ASSERT_TRUE(op.WaitFor([](const Message& m) { return m.command == "MODE"; }));
  ASSERT_TRUE(op.Join("#open"));
  std::unique_ptr<AolsimProcess> client = SignOn("open", "Refused");
  ASSERT_TRUE(op.WaitFor(
      [](const Message& m) { return m.command == "JOIN" && NickOf(m.prefix) == "Refused"; }));
  op.Send("NOTICE #open :mind the gap");
  EXPECT_TRUE(client->WaitFor([](const AolsimEvent& e) {
    return SystemLineHolding(e, "Notice from opener: mind the gap");
  }));
  client->Command({"room", "closed"});
  // Each server words the reason its own way; the room says it, invite only.
  EXPECT_TRUE(client->WaitFor([](const AolsimEvent& e) {
    return e.size() >= 4 && e[1] == "closed" && SystemLineHolding(e, "You could not enter");
  }));
}

// SASL through NickServ: an account registered by the test, logged in to under another nick,
// and a wrong password said once while the client keeps trying.
TEST_P(OnRealServer, SaslLogsInToARegisteredAccountAndAWrongPasswordIsSaidOnce) {
  if (!server->hasServices()) GTEST_SKIP() << NameOf(GetParam()) << " has no SASL";
  IrcTestClient owner;
  ASSERT_TRUE(Connect(owner, "acctowner"));
  owner.Send("PRIVMSG NickServ :REGISTER right-pass owner@example.com");
  ASSERT_TRUE(owner.WaitFor([](const Message& m) {
    return m.command == "NOTICE" && NickOf(m.prefix) == "NickServ" &&
           m.params.back().find("registered") != std::string::npos;
  }));
  owner.Disconnect();

  QTemporaryDir dir;
  const auto passwordFile = [&dir](const char* name, const char* text) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return dir.filePath(name);
  };
  {
    std::unique_ptr<AolsimProcess> client =
        SignOn("sasl", "SaslUser",
               {"--sasl", "--sasl-account", "acctowner", "--password-file",
                passwordFile("right", "right-pass\n")});
    ASSERT_TRUE(client->WaitFor(
        [](const AolsimEvent& e) { return SystemLineHolding(e, "Connected to"); }, 20000));
    IrcTestClient asker;
    ASSERT_TRUE(Connect(asker, "asker1"));
    asker.Send("WHOIS SaslUser");
    const std::optional<Message> account =
        asker.WaitFor([](const Message& m) { return m.command == "330" || m.command == "318"; });
    ASSERT_TRUE(account);
    EXPECT_EQ(account->command, "330") << "not logged in";
    EXPECT_EQ(aolsim::irc::Param(*account, 2), "acctowner");
  }
  std::unique_ptr<AolsimProcess> client =
      SignOn("sasl", "SaslUser",
             {"--sasl", "--sasl-account", "acctowner", "--password-file",
              passwordFile("wrong", "wrong-pass\n")});
  ASSERT_TRUE(client->WaitFor(
      [](const AolsimEvent& e) { return SystemLineHolding(e, "not logged in"); }, 20000));
  // The client drops the connection and tries again after 1 s and 2 s, failing the same way:
  // said once, and never on without the login.
  EXPECT_FALSE(client->WaitFor(
      [](const AolsimEvent& e) {
        return SystemLineHolding(e, "not logged in") || SystemLineHolding(e, "Connected");
      },
      4000));
  EXPECT_EQ(SystemLinesHolding(*client, "lost"), 1);
}

// The jukebox's replies come faster than the client lets lines leave (a burst of five, then
// one every two seconds), so they wait in its queue and then go out at its pace, under each
// server's own flood limits (ngircd's throttling as shipped; InspIRCd's default command rate;
// ircd-hybrid's, which drops a client whose unread lines outgrow its 2560-byte recvq).
TEST_P(OnRealServer, ABurstOf25RepliesArrivesWholeAndInOrderWithoutAKick) {
  IrcTestClient tester;
  ASSERT_TRUE(Connect(tester, "burst1"));
  ASSERT_TRUE(tester.Join("#lobby"));
  e2e::Jukebox deck(QStringList{"--irc", QString("127.0.0.1:%1").arg(server->port())});
  ASSERT_TRUE(deck.started());
  // 24 matches, each a line of "scroll", and the closing line.
  ASSERT_TRUE(deck.MakeSong("song 01.mp3", {"--seconds", "5"}));
  for (int i = 2; i <= 24; ++i) {
    const QString name = QString("song %1.mp3").arg(i, 2, 10, QChar('0'));
    ASSERT_TRUE(QFile::copy(deck.song("song 01.mp3"), deck.song(name)));
  }
  deck.Refresh();
  ASSERT_NE(deck.Ask("p song").find("matches found"), std::string::npos);
  deck.Say("scroll");
  std::vector<std::string> expected;
  for (int i = 0; i < 25; ++i) {
    const std::string reply = deck.NextReply(10000);
    ASSERT_NE(reply, "<no reply>") << i;
    // As the transcript shows it: its HTML rendered, in UTF-8.
    expected.push_back(platform::Cp1252ToUtf8(platform::RenderHtml(platform::Utf8ToCp1252(reply))));
  }
  EXPECT_NE(expected.back().find("type 'play'"), std::string::npos);
  // Everything the user said before reaches the room first; then the 25 lines in order.
  for (const std::string& line : expected) {
    ASSERT_TRUE(tester.WaitFor(
        [&](const Message& m) {
          return m.command == "PRIVMSG" && NickOf(m.prefix) == e2e::kUser && m.params.size() == 2 &&
                 aolsim::irc::IrcPlainText(m.params[1]) == line;
        },
        90000))
        << "missing or out of order: " << line;
  }
  for (const Message& m : tester.received()) {
    EXPECT_FALSE((m.command == "QUIT" || m.command == "KICK") &&
                 (NickOf(m.prefix) == e2e::kUser || Param(m, 1) == e2e::kUser))
        << m.command;
  }
  EXPECT_EQ(SystemLinesHolding(deck.client(), "lost"), 0);
}

INSTANTIATE_TEST_SUITE_P(Servers, OnRealServer,
                         ::testing::Values(IrcServerKind::kNgircd, IrcServerKind::kInspircdAnope,
                                           IrcServerKind::kHybrid),
                         [](const ::testing::TestParamInfo<IrcServerKind>& info) {
                           return std::string(NameOf(info.param));
                         });

}  // namespace
}  // namespace spindeck::testing
