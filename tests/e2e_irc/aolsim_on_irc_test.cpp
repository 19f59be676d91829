// The chat client alone on a real IRC server: its member lists, ignores, lines
// and limits follow the channel, with real IRC users on the other side.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>

#include "aolsim/irc/formatting.h"
#include "platform/win32/win32.h"
#include "tests/support/aolsim_process.h"
#include "tests/support/aolsim_windows.h"
#include "tests/support/irc_test_client.h"
#include "tests/support/ngircd_server.h"

namespace spindeck::testing {
namespace {

using aolsim::irc::Message;
using namespace win32;

constexpr char kUser[] = "DjSam";
constexpr char kLobby[] = "#lobby";

// The client (its windows served to this process) signed on in the room
// "lobby", and an operator of #lobby who was there first.
class AolsimOnIrc : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(op.Connect("127.0.0.1", server.port(), "op"));
    ASSERT_TRUE(op.Join(kLobby));
    client = std::make_unique<AolsimProcess>(
        QStringList{"--irc", QString("127.0.0.1:%1").arg(server.port())});
    ASSERT_TRUE(client->ready());
    client->Command({"room", "lobby"});
    client->Command({"signon", kUser});
    ASSERT_TRUE(
        client->WaitFor([](const AolsimEvent& e) { return SystemLineHolding(e, "Connected"); }));
    ASSERT_TRUE(op.WaitFor([](const Message& m) {
      return m.command == "JOIN" && aolsim::irc::NickOf(m.prefix) == kUser;
    }));
  }
  HWND MemberList() { return Child(RoomWindow("lobby"), "_AOL_Listbox"); }
  std::vector<std::string> Members() {
    std::vector<std::string> names = MemberNames(MemberList());
    std::sort(names.begin(), names.end());
    return names;
  }
  bool WaitForSystemLine(const std::string& piece) {
    return client->WaitFor([&](const AolsimEvent& e) { return SystemLineHolding(e, piece); });
  }

  NgircdServer server;
  IrcTestClient op;
  std::unique_ptr<AolsimProcess> client;
};

TEST_F(AolsimOnIrc, TheMemberListFollowsTheChannelAndAnIgnoreFollowsTheNick) {
  EXPECT_EQ(Members(), (std::vector<std::string>{kUser, "op"})) << "the @ is left out";
  IrcTestClient ann, bob;
  ASSERT_TRUE(ann.Connect("127.0.0.1", server.port(), "ann"));
  ASSERT_TRUE(ann.Join(kLobby));
  ASSERT_TRUE(WaitForSystemLine("ann has entered the room."));
  ASSERT_TRUE(bob.Connect("127.0.0.1", server.port(), "bob"));
  ASSERT_TRUE(bob.Join(kLobby));
  ASSERT_TRUE(WaitForSystemLine("bob has entered the room."));
  EXPECT_EQ(Members(), (std::vector<std::string>{kUser, "ann", "bob", "op"}));

  // The user ignores ann through her chatter window; she renames herself and
  // stays ignored.
  const auto names = MemberNames(MemberList());
  const auto at = std::find(names.begin(), names.end(), "ann") - names.begin();
  SendMessageA(MemberList(), LB_SETCURSEL, static_cast<WPARAM>(at), 0);
  PostMessageA(MemberList(), WM_LBUTTONDBLCLK, 0, 0);
  HWND chatter = 0;
  const QDeadlineTimer deadline(15000);
  while (chatter == 0 && !deadline.hasExpired()) {
    for (HWND w : Children(MdiClient(), "AOL Child")) {
      if (Child(w, "_AOL_Checkbox") != 0) chatter = w;
    }
    client->Sync();
  }
  ASSERT_NE(chatter, 0u);
  PostMessageA(Child(chatter, "_AOL_Checkbox"), WM_LBUTTONDOWN, 0, 0);
  PostMessageA(Child(chatter, "_AOL_Checkbox"), WM_LBUTTONUP, 0, 0);
  ASSERT_TRUE(
      client->WaitFor([](const AolsimEvent& e) { return e.size() == 4 && e[0] == "ignore"; }));
  ann.Send("NICK annie");
  ASSERT_TRUE(WaitForSystemLine("ann is now known as annie."));
  EXPECT_EQ(Caption(chatter), "annie");
  EXPECT_EQ(SendMessageA(Child(chatter, "_AOL_Checkbox"), BM_GETCHECK, 0, 0), 1);
  ann.Say(kLobby, "still me");
  bob.Say(kLobby, "<b>after</b>");
  bool ignoredShown = false;
  ASSERT_TRUE(client->WaitFor([&](const AolsimEvent& e) {
    ignoredShown = ignoredShown || (e.size() >= 4 && e[0] == "line" && e[2] == "annie");
    return e.size() >= 4 && e[0] == "line" && e[2] == "bob";
  }));
  EXPECT_FALSE(ignoredShown);

  op.Send("KICK #lobby annie :enough");
  ASSERT_TRUE(WaitForSystemLine("annie was removed from the room by op (enough)."));
  bob.Send("QUIT :later");
  ASSERT_TRUE(WaitForSystemLine("bob has signed off"));
  EXPECT_EQ(Members(), (std::vector<std::string>{kUser, "op"}));
}

TEST_F(AolsimOnIrc, NoOneOnTheNetworkSpeaksAsOnlineHostAndPrivateNoticesAreShown) {
  IrcTestClient faker;
  ASSERT_TRUE(faker.Connect("127.0.0.1", server.port(), "onlinehost"));
  ASSERT_TRUE(faker.Join(kLobby));
  faker.Say(kLobby, "The connection to the network is lost; trying again in 1 s.");
  ASSERT_TRUE(client->WaitFor([](const AolsimEvent& e) {
    return e.size() >= 4 && e[0] == "line" && e[3].find("is lost") != std::string::npos;
  }));
  EXPECT_EQ(client->events().back()[2], "onlinehost*");
  faker.Send("NOTICE DjSam :This nick is registered");
  EXPECT_TRUE(WaitForSystemLine("Private notice from onlinehost: This nick is registered"));
}

TEST_F(AolsimOnIrc, ActionsLongLinesVersionAndAFullQueue) {
  op.Say(kLobby,
         "\x01"
         "ACTION waves\x01");
  EXPECT_TRUE(client->WaitFor([](const AolsimEvent& e) {
    return e.size() >= 4 && e[0] == "line" && e[2] == "op" && e[3] == "<i>*waves*</i>";
  }));
  op.Say(kUser, "\x01VERSION\x01");
  const std::optional<Message> version = op.WaitFor([](const Message& m) {
    return m.command == "NOTICE" && m.params.size() == 2 && m.params[1].find("VERSION aolsim") == 1;
  });
  EXPECT_TRUE(version);

  // A line of 1,500 characters, bold from a third on, arrives in pieces that
  // fit the limit.
  std::string words;
  for (int i = 0; i < 250; ++i)
    words += (i == 50 ? "<b>word" : "word") + std::to_string(i % 10) + " ";
  client->Command({"say", kUser, words});
  std::string joined;
  int pieces = 0;
  while (joined.size() + 4 < words.size()) {
    ++pieces;
    const std::optional<std::string> piece = op.WaitForPrivmsg(kUser, kLobby);
    ASSERT_TRUE(piece);
    EXPECT_LE(piece->size() + 100, 512u);
    joined += (joined.empty() ? "" : " ") + aolsim::irc::IrcPlainText(*piece);
  }
  EXPECT_EQ(joined.size() + 4, words.size());
  EXPECT_GE(pieces, 4);

  // The other people are real: the script cannot make them join or talk.
  client->Command({"join", "ghost"});
  client->Command({"say", "ghost", "boo"});
  client->Sync();
  const auto names = MemberNames(MemberList());
  EXPECT_EQ(std::count(names.begin(), names.end(), "ghost"), 0);

  // More lines than the queue holds: the room says so rather than lose them
  // silently.
  for (int i = 0; i < 300; ++i) client->Command({"say", kUser, "line " + std::to_string(i)});
  EXPECT_TRUE(WaitForSystemLine("Too many lines are waiting"));
}

// A list of names cut off by a lost connection is not carried into the next one: a server
// whose first connection ends between its NAMES lines, and whose second lists the room anew.
TEST(AolsimOnIrcNames, ANamesListCutByALostConnectionIsNotCarriedOver) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  int connections = 0;
  QObject::connect(&server, &QTcpServer::newConnection, [&] {
    QTcpSocket* peer = server.nextPendingConnection();
    const int number = ++connections;
    QObject::connect(peer, &QTcpSocket::readyRead, [peer, number] {
      while (peer->canReadLine()) {
        const QByteArray line = peer->readLine().trimmed();
        if (line.startsWith("USER")) peer->write(":n.test 001 DjSam :Welcome\r\n");
        if (!line.startsWith("JOIN")) continue;
        peer->write(":DjSam!u@h JOIN :#lobby\r\n");
        if (number == 1) {
          peer->write(":n.test 353 DjSam = #lobby :ghost1 ghost2\r\n");
          peer->disconnectFromHost();
        } else {
          peer->write(":n.test 353 DjSam = #lobby :@alive DjSam\r\n");
          peer->write(":n.test 366 DjSam #lobby :End of NAMES\r\n");
        }
      }
    });
  });
  AolsimProcess client({"--irc", QString("127.0.0.1:%1").arg(server.serverPort())});
  client.Command({"room", "lobby"});
  client.Command({"signon", kUser});
  ASSERT_TRUE(client.WaitFor(
      [](const AolsimEvent& e) { return SystemLineHolding(e, "Connected again"); }, 10000));
  // The second list comes after the welcome: wait until it is shown.
  std::vector<std::string> names;
  const QDeadlineTimer deadline(10000);
  while (std::find(names.begin(), names.end(), "alive") == names.end() && !deadline.hasExpired()) {
    client.Sync();
    names = MemberNames(Child(RoomWindow("lobby"), "_AOL_Listbox"));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{kUser, "alive"}));
}

TEST(AolsimOnIrcNick, AScreenNameLongerThanSixteenIsRefused) {
  NgircdServer server;
  ASSERT_TRUE(server.Start());
  AolsimProcess client({"--irc", QString("127.0.0.1:%1").arg(server.port())});
  ASSERT_TRUE(client.ready());
  client.Command({"room", "lobby"});
  client.Command({"signon", "SeventeenLetters1"});
  client.Command({"signon", "Sixteen_Letters1"});
  EXPECT_TRUE(client.WaitFor([](const AolsimEvent& e) {
    return SystemLineHolding(e, "Connected") &&
           e[3].find("as Sixteen_Letters1.") != std::string::npos;
  }));
}

}  // namespace
}  // namespace spindeck::testing

namespace spindeck::testing {
namespace {

TEST(AolsimOnIrcChatters, TheChattersAreUsersOfTheNetwork) {
  NgircdServer server;
  ASSERT_TRUE(server.Start());
  IrcTestClient op;
  ASSERT_TRUE(op.Connect("127.0.0.1", server.port(), "op"));
  ASSERT_TRUE(op.Join(kLobby));
  AolsimProcess client({"--irc", QString("127.0.0.1:%1").arg(server.port()), "--room", "lobby",
                        "--chatters", "Ann", "--chatter-pause", "0.2-0.4"});
  ASSERT_TRUE(client.ready());
  EXPECT_TRUE(op.WaitFor([](const Message& m) {
    return m.command == "JOIN" && aolsim::irc::NickOf(m.prefix) == "Ann";
  }));
  const std::optional<std::string> remark = op.WaitForPrivmsg("Ann", kLobby);
  ASSERT_TRUE(remark);
  EXPECT_EQ(remark->find('<'), std::string::npos) << "her HTML became IRC formatting";
}

}  // namespace
}  // namespace spindeck::testing
