#pragma once
// The IRC server programs the client is tested against, behind one face, each on free loopback
// ports with a configuration written for the test:
// - ngircd with the limits it ships with (nicks of 9 characters, flood throttling);
// - InspIRCd 3 linked to Anope 2.0 services (NickServ accounts, SASL PLAIN through them), with
//   MONITOR as networks load it;
//   InspIRCd runs with --runasroot --nofork, Anope from a copy of /etc/anope with the uplink,
//   its id and the rfc1459 case mapping set; the link is up once WHOIS NickServ answers 311;
// - ircd-hybrid, without SASL, with MONITOR built in; it cuts a long nick to its length (9
//   here) without a word. It conflicts with ngircd as a package, so it runs unpacked from
//   kHybridFolder (scripts/setup).
#include <memory>
#include <string>

namespace spindeck::testing {

inline constexpr char kHybridFolder[] = "/opt/spindeck-tests/ircd-hybrid";

enum class IrcServerKind { kNgircd, kInspircdAnope, kHybrid };

class TestIrcServer {
 public:
  virtual ~TestIrcServer() = default;
  // Starts the server (and its services) and waits until clients may sign on.
  virtual bool Start() = 0;
  virtual void Stop() = 0;
  virtual int port() const = 0;
  // The longest nick the server takes.
  virtual std::size_t nickLength() const = 0;
  // Whether NickServ is there and SASL logs in to its accounts.
  virtual bool hasServices() const { return false; }
  // Whether it offers MONITOR (005), which tells a client when a nick comes and goes.
  virtual bool hasMonitor() const = 0;
};

std::unique_ptr<TestIrcServer> MakeTestIrcServer(IrcServerKind kind);
const char* NameOf(IrcServerKind kind);

}  // namespace spindeck::testing
