// Messages the client does not expect, sent to every one of its windows, leave it running
// and answering.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/aolsim_process.h"
#include "tests/support/aolsim_windows.h"

namespace aolsim_test {

using namespace spindeck::testing;

namespace {

using namespace win32;

void CollectWindows(HWND parent, std::vector<HWND>& all) {
  for (HWND w = FindWindowExA(parent, 0, nullptr, nullptr); w != 0;
       w = FindWindowExA(parent, w, nullptr, nullptr)) {
    all.push_back(w);
    CollectWindows(w, all);
  }
}

TEST(Robustness, StrayMessagesToEveryWindowLeaveTheClientAnswering) {
  AolsimProcess client;
  ASSERT_TRUE(client.started());
  client.Command({"signon", "Bob"});
  client.Command({"room", "jams"});
  client.Command({"join", "Ann"});
  client.Command({"say", "Ann", "hello"});
  client.Sync();
  std::vector<HWND> all;
  CollectWindows(0, all);
  ASSERT_GT(all.size(), 10u);
  const WPARAM odd[] = {0, 1, 7, 499, 500, 65535, static_cast<WPARAM>(-1)};
  const UINT messages[] = {
      WM_GETTEXTLENGTH, EM_GETLINECOUNT, LB_GETCOUNT,    LB_GETITEMDATA, LB_SETCURSEL,
      BM_GETCHECK,      WM_LBUTTONUP,    WM_LBUTTONDOWN, 0x188,          0,
      0xFFFF,           0x7FFFFFFF};
  for (HWND w : all) {
    for (UINT m : messages) {
      for (WPARAM p : odd) SendMessageA(w, m, p, -1);
    }
    char small[3] = {};
    SendMessageA(w, WM_GETTEXT, sizeof small, reinterpret_cast<LPARAM>(small));
    EXPECT_LT(std::strlen(small), sizeof small);
    char line[8] = {};
    const WORD size = sizeof line;
    std::memcpy(line, &size, sizeof size);
    SendMessageA(w, EM_GETLINE, 1000000, reinterpret_cast<LPARAM>(line));
    SendMessageA(w, WM_CHAR, 0, 0);
    SendMessageA(w, WM_CHAR, 1000, 0);
    SendMessageA(w, WM_CHAR, 8, 0);
  }
  // A double click on every window; the strays above left no member selected.
  for (HWND w : all) PostMessageA(w, WM_LBUTTONDBLCLK, 0, 0);
  client.Command({"say", "Ann", "still here"});
  const auto events = client.Sync();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "line\tjams\tAnn\tstill here");
  EXPECT_EQ(GetMenuItemCount(GetMenu(Frame())), 6);
  EXPECT_EQ(client.CloseInputAndWait(), 0);
}

}  // namespace
}  // namespace aolsim_test
