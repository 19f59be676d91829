#include "tests/support/ngircd_network.h"

#include <QDeadlineTimer>

namespace spindeck::testing {
namespace {

constexpr char kNameA[] = "a.irc.test";
constexpr char kNameB[] = "b.irc.test";

}  // namespace

NgircdNetwork::NgircdNetwork(const NgircdOptions& common) : common_(common) {
  NgircdOptions a = common_;
  a.name = kNameA;
  a.linkName = kNameB;
  a.linkPort = 0;
  a.connectToLink = false;
  a_ = std::make_unique<NgircdServer>(a);
}

bool NgircdNetwork::Start(int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  if (!a_->Start(timeoutMs)) return false;
  if (!b_) {
    NgircdOptions b = common_;
    b.name = kNameB;
    b.linkName = kNameA;
    b.linkPort = a_->serverPort();
    b.connectToLink = true;
    b_ = std::make_unique<NgircdServer>(b);
  }
  return b_->Start(static_cast<int>(deadline.remainingTime())) &&
         WaitForLink(static_cast<int>(deadline.remainingTime()));
}

bool NgircdNetwork::WaitForLink(int timeoutMs) {
  if (!b_) return false;
  const QDeadlineTimer deadline(timeoutMs);
  return a_->WaitForLog([this] { return a_->LinkedTo(kNameB); }, timeoutMs) &&
         b_->WaitForLog([this] { return b_->LinkedTo(kNameA); },
                        static_cast<int>(deadline.remainingTime()));
}

}  // namespace spindeck::testing
