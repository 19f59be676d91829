#pragma once
// Two linked ngircd servers on loopback, one IRC network: "a.irc.test" waits for the link and
// "b.irc.test" dials it. Clients on either server share the network's channels.
#include <memory>
#include <string>

#include "tests/support/ngircd_server.h"

namespace spindeck::testing {

class NgircdNetwork {
 public:
  // Both servers get these options, apart from their names and the link.
  explicit NgircdNetwork(const NgircdOptions& common = {});

  // Starts both servers (the waiting one first) and waits until they are linked.
  bool Start(int timeoutMs = 30000);
  // Waits until each server logged its synchronisation with the other, since its last start
  // and not lost since. After a server restarts the link comes back by itself: at once when
  // "b" restarts, within ConnectRetry (5 s) when "a" does.
  bool WaitForLink(int timeoutMs = 30000);

  // The servers; "b" exists from the first Start on, as it needs the port "a" got.
  NgircdServer& a() { return *a_; }
  NgircdServer& b() { return *b_; }

 private:
  NgircdOptions common_;
  std::unique_ptr<NgircdServer> a_;
  std::unique_ptr<NgircdServer> b_;
};

}  // namespace spindeck::testing
