// The program beside the chat client whose room is a channel on a real IRC server (ngircd),
// with real IRC users in it: the room hears the jukebox, and the jukebox hears the room.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "aolsim/irc/formatting.h"
#include "platform/text/cp1252.h"
#include "platform/text/html_text.h"
#include "platform/win32/win32.h"
#include "tests/support/aolsim_windows.h"
#include "tests/support/irc_test_client.h"
#include "tests/support/jukebox.h"
#include "tests/support/ngircd_network.h"
#include "tests/support/ngircd_server.h"
#include "tests/support/test_certificates.h"

namespace spindeck::e2e {
namespace {

using aolsim::irc::Message;
using testing::IrcTestClient;
using testing::NgircdServer;

constexpr char kTester[] = "tester";
constexpr char kLobby[] = "#lobby";
constexpr char kSystem[] = "OnlineHost";

QStringList OnServer(int port, const QStringList& more = {}) {
  return QStringList{"--irc", QString("127.0.0.1:%1").arg(port)} + more;
}

// What the transcript shows of a reply: its HTML rendered, in UTF-8 as the events carry it.
std::string Shown(const std::string& replyUtf8) {
  return platform::Cp1252ToUtf8(platform::RenderHtml(platform::Utf8ToCp1252(replyUtf8)));
}

bool IsPrivmsgFrom(const Message& m, const std::string& nick) {
  return m.command == "PRIVMSG" && aolsim::irc::NickOf(m.prefix) == nick && m.params.size() == 2;
}

// The text of the next line from `nick` in the channel whose plain text holds `piece`.
std::optional<std::string> LineHolding(IrcTestClient& user, const std::string& nick,
                                       const std::string& piece, int timeoutMs = 20000) {
  const std::optional<Message> m = user.WaitFor(
      [&](const Message& m) {
        return IsPrivmsgFrom(m, nick) &&
               aolsim::irc::IrcPlainText(m.params[1]).find(piece) != std::string::npos;
      },
      timeoutMs);
  if (!m) return std::nullopt;
  return m->params[1];
}

// A tester in #lobby on the server, then the jukebox with its room there too.
class JukeboxOnIrc : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(tester.Connect("127.0.0.1", server.port(), kTester));
    ASSERT_TRUE(tester.Join(kLobby));
  }
  NgircdServer server;
  IrcTestClient tester;
};

TEST_F(JukeboxOnIrc, TheRoomGetsTheReplyFormattedAsTheTranscriptShowsIt) {
  Jukebox deck(OnServer(server.port()));
  ASSERT_TRUE(deck.started());
  ASSERT_TRUE(deck.MakeSong("01 - modem hearts - fifty six k.mp3", {"--seconds", "20"}));
  deck.Refresh();
  const std::string reply = deck.Ask("p 1");
  ASSERT_NE(reply.find("playing"), std::string::npos) << reply;

  const std::optional<std::string> heard = LineHolding(tester, kUser, "playing");
  ASSERT_TRUE(heard);
  EXPECT_EQ(aolsim::irc::IrcPlainText(*heard), Shown(reply));
  EXPECT_NE(heard->find('\x02'), std::string::npos) << "the song's number is bold";
  EXPECT_EQ(heard->find('<'), std::string::npos) << "no markup reaches the room";

  // The tester's line comes into the transcript as theirs, its markup escaped and its
  // formatting turned into HTML.
  tester.Say(kLobby,
             "<b>hi</b> \x02"
             "there\x02 caf\xC3\xA9");
  EXPECT_TRUE(deck.SeesLine(kTester, "&lt;b&gt;hi&lt;/b&gt; <b>there</b> caf\xC3\xA9"));
}

TEST_F(JukeboxOnIrc, AMessageLeftWhileAwayIsLoggedAndAnswered) {
  Jukebox deck(OnServer(server.port()));
  ASSERT_TRUE(deck.started());
  deck.Ask("dj DjSam");
  ASSERT_NE(deck.Ask("idle out").find("is going idle"), std::string::npos);
  tester.Say(kLobby, ".djsam call me");
  const std::string logged = Line("<u>tester</u> your message has been logged");
  bool answered = false;
  for (std::string reply; !answered && (reply = deck.NextReply(15000)) != "<no reply>";) {
    answered = reply == logged;
  }
  EXPECT_TRUE(answered);
  EXPECT_TRUE(LineHolding(tester, kUser, "tester your message has been logged"));
}

TEST_F(JukeboxOnIrc, IgnoringANickKeepsItsLinesOutAndPrivateRoomsJoinChannels) {
  Jukebox deck(OnServer(server.port()));
  ASSERT_TRUE(deck.started());
  deck.Say("x tester");
  ASSERT_TRUE(deck.client().WaitFor(
      [](const Event& e) { return e.size() == 4 && e[0] == "ignore" && e[2] == kTester; }));
  tester.Say(kLobby, "you cannot hear me");
  // Once the server has answered this PING it has passed the line on; a second user's line
  // after it then comes to the client after the ignored one.
  tester.Send("PING :passed");
  ASSERT_TRUE(tester.WaitFor([](const Message& m) { return m.command == "PONG"; }));
  IrcTestClient other;
  ASSERT_TRUE(other.Connect("127.0.0.1", server.port(), "other"));
  ASSERT_TRUE(other.Join(kLobby));
  other.Say(kLobby, "marker");
  bool ignoredLineShown = false;
  EXPECT_TRUE(deck.client().WaitFor(
      [&](const Event& e) {
        if (e.size() >= 4 && e[0] == "line" && e[2] == kTester) ignoredLineShown = true;
        return e.size() >= 4 && e[0] == "line" && e[2] == "other" && e[3] == "marker";
      },
      10000));
  EXPECT_FALSE(ignoredLineShown);

  // A private room is a channel: the tester sees the client come in.
  ASSERT_TRUE(tester.Join("#jams"));
  deck.Say("pr jams");
  EXPECT_TRUE(tester.WaitFor([](const Message& m) {
    return m.command == "JOIN" && aolsim::irc::NickOf(m.prefix) == kUser && !m.params.empty() &&
           m.params[0] == "#jams";
  }));
}

TEST_F(JukeboxOnIrc, ATakenNickGetsAnUnderscoreThatTheProgramAnswersUnder) {
  IrcTestClient squatter;
  ASSERT_TRUE(squatter.Connect("127.0.0.1", server.port(), kUser));
  const std::string taken = std::string(kUser) + "_";
  Jukebox deck(OnServer(server.port()), taken);
  ASSERT_TRUE(deck.started());
  setenv("SPINDECK_DESKTOP", deck.desktop().toUtf8().constData(), 1);
  bool welcomed = false;
  for (win32::HWND child : testing::Children(testing::MdiClient(), "AOL Child")) {
    welcomed = welcomed || testing::Caption(child) == "Welcome, " + taken + "!";
  }
  EXPECT_TRUE(welcomed);
  EXPECT_NE(deck.Ask("eliteoff").find("elite text: off"), std::string::npos);
  EXPECT_TRUE(LineHolding(tester, taken, "text: off"));
}

TEST_F(JukeboxOnIrc, TheClientComesBackAfterTheServerRestarts) {
  Jukebox deck(OnServer(server.port()));
  ASSERT_TRUE(deck.started());
  server.Stop();
  ASSERT_TRUE(deck.client().WaitFor(
      [](const Event& e) {
        return e.size() >= 4 && e[2] == kSystem && e[3].find("lost") != std::string::npos;
      },
      10000));
  ASSERT_TRUE(server.Start());
  ASSERT_TRUE(deck.client().WaitFor(
      [](const Event& e) {
        return e.size() >= 4 && e[2] == kSystem &&
               e[3].find("Connected again") != std::string::npos;
      },
      30000));
  IrcTestClient back;
  ASSERT_TRUE(back.Connect("127.0.0.1", server.port(), "back"));
  ASSERT_TRUE(back.Join(kLobby));
  // The client is in the channel again.
  const std::vector<Message> joined = back.received();
  bool listed = false;
  for (const Message& m : joined) {
    // The first in a channel is its operator: "@DjSam".
    listed = listed || (m.command == "353" && m.params.size() >= 4 &&
                        (" " + m.params[3] + " ").find("DjSam ") != std::string::npos);
  }
  // Listed, or coming in just after the tester.
  EXPECT_TRUE(listed || back.WaitFor([](const Message& m) {
    return m.command == "JOIN" && aolsim::irc::NickOf(m.prefix) == kUser;
  }));
  EXPECT_NE(deck.Ask("eliteoff").find("elite text: off"), std::string::npos);
  EXPECT_TRUE(LineHolding(back, kUser, "text: off"));
}

TEST(JukeboxOnIrcTls, TheTestAuthorityIsTrustedAndAnotherHostsCertificateRefused) {
  QTemporaryDir folder;
  QString ca, cert, key, otherCa, otherCert, otherKey;
  ASSERT_TRUE(testing::MakeTestCertificates(folder.path(), "localhost", ca, cert, key));
  ASSERT_TRUE(
      testing::MakeTestCertificates(folder.path(), "other.example", otherCa, otherCert, otherKey));
  testing::NgircdOptions good;
  good.tls = true;
  good.certFile = cert;
  good.keyFile = key;
  NgircdServer server(good);
  ASSERT_TRUE(server.Start());
  {
    Jukebox deck(OnServer(server.tlsPort(), {"--tls", "--tls-ca", ca}));
    EXPECT_TRUE(deck.started());
  }

  testing::NgircdOptions wrong = good;
  wrong.certFile = otherCert;
  wrong.keyFile = otherKey;
  NgircdServer impostor(wrong);
  ASSERT_TRUE(impostor.Start());
  testing::AolsimProcess client(OnServer(impostor.tlsPort(), {"--tls", "--tls-ca", ca}));
  ASSERT_TRUE(client.ready());
  client.Command({"room", "lobby"});
  client.Command({"signon", kUser});
  EXPECT_TRUE(client.WaitFor(
      [](const testing::AolsimEvent& e) {
        return e.size() >= 4 && e[2] == kSystem &&
               e[3].find("certificate is refused") != std::string::npos &&
               e[3].find("host name") != std::string::npos;
      },
      15000));
  // Never signed on: no Welcome window, so the program would see no user.
  for (const testing::AolsimEvent& e : client.events()) {
    EXPECT_FALSE(e.size() >= 4 && e[2] == kSystem && e[3].find("Connected") == 0);
  }
}

TEST(JukeboxOnIrcNetwork, TheConversationWorksAcrossTwoLinkedServers) {
  testing::NgircdNetwork network;
  ASSERT_TRUE(network.Start());
  IrcTestClient tester;
  ASSERT_TRUE(tester.Connect("127.0.0.1", network.b().port(), kTester));
  ASSERT_TRUE(tester.Join(kLobby));
  Jukebox deck(OnServer(network.a().port()));
  ASSERT_TRUE(deck.started());
  EXPECT_NE(deck.Ask("eliteoff").find("elite text: off"), std::string::npos);
  EXPECT_TRUE(LineHolding(tester, kUser, "text: off"));
  tester.Say(kLobby, "hello from the other server");
  EXPECT_TRUE(deck.SeesLine(kTester, "hello from the other server"));
}

}  // namespace
}  // namespace spindeck::e2e
