#pragma once
// A host name whose look-up the tests control. This test program puts its own getaddrinfo in
// front of the C library's, for every caller in the process (libshout's included): the name
// kSlowHost stands for 127.0.0.1, and once HoldLookUps(true) was called every later look-up
// of it waits until HoldLookUps(false) (or 20 s), as a resolver that stops answering would.
// Every other name is looked up as usual.
namespace spindeck::testing {

inline constexpr char kSlowHost[] = "slow-resolver.test";
// A name with two addresses: first 127.0.0.2, where no test server listens, then 127.0.0.1.
inline constexpr char kTwoAddressHost[] = "two-addresses.test";

void HoldLookUps(bool hold);
// How many look-ups of kSlowHost are waiting now.
int HeldLookUps();

}  // namespace spindeck::testing
