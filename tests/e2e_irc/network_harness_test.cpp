// The IRC test network itself: real ngircd servers on loopback with real IRC users, as the
// stand-in client's IRC tests use them.
#include <gtest/gtest.h>

#include <QSslError>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/irc_test_client.h"
#include "tests/support/ngircd_network.h"
#include "tests/support/ngircd_server.h"
#include "tests/support/test_certificates.h"

namespace spindeck::testing {
namespace {

using aolsim::irc::Message;

// Nicks longer than the 9 characters a default ngircd allows.
constexpr char kAlice[] = "alice_the_sender";
constexpr char kBob[] = "bob_the_listener";

// UTF-8 on the wire, as it is written: "héllo ♪".
const std::string kGreeting = "h\xC3\xA9llo \xE2\x99\xAA";

bool JoinedBy(const Message& m, const std::string& nick) {
  return m.command == "JOIN" && aolsim::irc::NickOf(m.prefix) == nick;
}

NgircdOptions TlsServer(const QString& certFile, const QString& keyFile) {
  NgircdOptions options;
  options.tls = true;
  options.certFile = certFile;
  options.keyFile = keyFile;
  return options;
}

TEST(IrcHarness, ClientsTalkInAChannelAndAServerRestartsOnItsPort) {
  NgircdServer server;
  ASSERT_TRUE(server.Start());
  IrcTestClient alice, bob;
  ASSERT_TRUE(alice.Connect("127.0.0.1", server.port(), kAlice));
  ASSERT_TRUE(bob.Connect("127.0.0.1", server.port(), kBob));
  EXPECT_EQ(alice.nick(), kAlice);
  ASSERT_TRUE(alice.Join("#jukebox"));
  ASSERT_TRUE(bob.Join("#JukeBox"));
  ASSERT_TRUE(alice.WaitFor([](const Message& m) { return JoinedBy(m, kBob); }));

  alice.Say("#jukebox", kGreeting);
  EXPECT_EQ(bob.WaitForPrivmsg(kAlice, "#jukebox"), kGreeting);
  // Every wait takes messages up to its match: the same line is not found twice.
  EXPECT_EQ(bob.WaitForPrivmsg(kAlice, "#jukebox", 300), std::nullopt);

  const int port = server.port();
  server.Stop();
  // The client sees its connection end.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !bob.connected(); }, 10000));
  ASSERT_TRUE(server.Start());
  EXPECT_EQ(server.port(), port);
  EXPECT_TRUE(bob.Connect("127.0.0.1", port, kBob));
}

TEST(IrcHarness, LinkedServersCarryAChannelMessageAndRelink) {
  NgircdNetwork network;
  ASSERT_TRUE(network.Start());
  IrcTestClient alice, bob;
  ASSERT_TRUE(alice.Connect("127.0.0.1", network.a().port(), kAlice));
  ASSERT_TRUE(bob.Connect("127.0.0.1", network.b().port(), kBob));
  ASSERT_TRUE(alice.Join("#jukebox"));
  ASSERT_TRUE(bob.Join("#jukebox"));
  // Server a forwards the channel's lines to b only once it knows of bob there.
  ASSERT_TRUE(alice.WaitFor([](const Message& m) { return JoinedBy(m, kBob); }));
  alice.Say("#jukebox", kGreeting);
  EXPECT_EQ(bob.WaitForPrivmsg(kAlice, "#jukebox"), kGreeting);

  // A restarted server links again; the link lost before must not count as up.
  network.b().Stop();
  EXPECT_TRUE(alice.WaitFor([](const Message& m) { return m.command == "QUIT"; }));
  NgircdServer& a = network.a();
  EXPECT_TRUE(a.WaitForLog([&] { return !a.LinkedTo(network.b().name()); }, 10000));
  ASSERT_TRUE(network.b().Start());
  EXPECT_TRUE(network.WaitForLink());
}

TEST(IrcHarness, TlsTrustsTheTestAuthorityAndChecksTheServersName) {
  QTemporaryDir certificates;
  QString ca, cert, key, otherCa, otherCert, otherKey;
  ASSERT_TRUE(MakeTestCertificates(certificates.path(), "localhost", ca, cert, key));
  ASSERT_TRUE(
      MakeTestCertificates(certificates.path(), "other.example", otherCa, otherCert, otherKey));
  EXPECT_EQ(otherCa, ca);

  NgircdServer local(TlsServer(cert, key));
  NgircdServer other(TlsServer(otherCert, otherKey));
  ASSERT_TRUE(local.Start());
  ASSERT_TRUE(other.Start());
  TlsOptions trusting;
  trusting.caFile = ca;

  IrcTestClient alice;
  EXPECT_TRUE(alice.Connect("127.0.0.1", local.tlsPort(), kAlice, &trusting));
  EXPECT_TRUE(alice.connected());

  IrcTestClient bob;
  EXPECT_FALSE(bob.Connect("127.0.0.1", other.tlsPort(), kBob, &trusting));
  ASSERT_EQ(bob.sslErrors().size(), 1);
  EXPECT_EQ(bob.sslErrors().front().error(), QSslError::HostNameMismatch);
}

}  // namespace
}  // namespace spindeck::testing
