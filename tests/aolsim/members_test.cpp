// The member list as the program reads it (records in the client's memory) and the chatter
// windows with their ignore box.
#include <gtest/gtest.h>

#include <QDeadlineTimer>

#include "tests/support/aolsim_process.h"
#include "tests/support/aolsim_windows.h"

namespace aolsim_test {

using namespace spindeck::testing;

namespace {

using namespace win32;

class MembersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(client.started());
    client.Command({"signon", "Bob"});
    client.Command({"room", "jams"});
    client.Command({"join", "Ann"});
    client.Command({"join", "ExactlySixteen16"});
    client.Command({"join", "Cy"});
    client.Sync();
  }
  HWND MemberList() { return Child(RoomWindow("jams"), "_AOL_Listbox"); }

  // A chatter window: an "AOL Child" with an ignore box; 0 when none opens in time. Looks again
  // each time the client has turned its event loop, which a posted click needs to be handled.
  HWND WaitForChatterWindow() {
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
      for (HWND w : Children(MdiClient(), "AOL Child")) {
        if (Child(w, "_AOL_Checkbox") != 0) return w;
      }
      client.Sync();
    }
    return 0;
  }

  HWND OpenChatterWindow(int index) {
    SendMessageA(MemberList(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageA(MemberList(), WM_LBUTTONDBLCLK, 0, 0);
    return WaitForChatterWindow();
  }

  static void Click(HWND box) {
    PostMessageA(box, WM_LBUTTONDOWN, 0, 0);
    PostMessageA(box, WM_LBUTTONUP, 0, 0);
  }

  AolsimProcess client;
};

TEST_F(MembersTest, NamesAreReadFromTheRecordsInTheClientsMemory) {
  EXPECT_EQ(SendMessageA(MemberList(), LB_GETCOUNT, 0, 0), 4);
  const std::vector<std::string> expected = {"Bob", "Ann", "ExactlySixteen16", "Cy"};
  EXPECT_EQ(MemberNames(MemberList()), expected);
  const auto p = SendMessageA(MemberList(), LB_GETITEMDATA, 0, 0);
  EXPECT_GT(p, 0);
  EXPECT_LT(p, 0x100000000LL);
  EXPECT_EQ(SendMessageA(MemberList(), LB_GETITEMDATA, 9, 0), -1);

  client.Command({"leave", "Ann"});
  client.Command({"join", "Bob"});  // already listed
  client.Sync();
  const std::vector<std::string> after = {"Bob", "ExactlySixteen16", "Cy"};
  EXPECT_EQ(MemberNames(MemberList()), after);
}

TEST_F(MembersTest, AnOldRecordKeepsItsNameAfterTheMemberLeft) {
  const auto p = static_cast<std::uint32_t>(SendMessageA(MemberList(), LB_GETITEMDATA, 1, 0));
  client.Command({"leave", "Ann"});
  client.Command({"join", "Zed"});
  client.Sync();
  DWORD pid = 0;
  GetWindowThreadProcessId(MemberList(), &pid);
  HANDLE process = OpenProcess(STANDARD_RIGHTS_REQUIRED | PROCESS_VM_READ, FALSE, pid);
  ASSERT_NE(process, nullptr);
  std::uint32_t q = 0;
  ASSERT_TRUE(ReadProcessMemory(process, reinterpret_cast<LPCVOID>(std::uintptr_t{p} + 28), &q, 4,
                                nullptr));
  char name[16] = {};
  ASSERT_TRUE(ReadProcessMemory(process, reinterpret_cast<LPCVOID>(std::uintptr_t{q} + 6), name, 16,
                                nullptr));
  CloseHandle(process);
  EXPECT_STREQ(name, "Ann");
}

TEST_F(MembersTest, IgnoreBoxTogglesAndKeepsTheChattersLinesOut) {
  const HWND chatter = OpenChatterWindow(1);
  ASSERT_NE(chatter, 0u);
  EXPECT_EQ(Caption(chatter), "Ann");
  EXPECT_EQ(Children(chatter, "_AOL_Icon").size(), 2u);
  EXPECT_NE(Child(chatter, "_AOL_Static"), 0u);
  EXPECT_NE(Child(chatter, "_AOL_Glyph"), 0u);
  const HWND box = Child(chatter, "_AOL_Checkbox");
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), 0);

  Click(box);
  EXPECT_EQ(client.NextEvent(), "ignore\tjams\tAnn\t1");
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), 1);
  client.Command({"say", "Ann", "ignored"});
  client.Command({"say", "Cy", "heard"});
  EXPECT_EQ(client.NextEvent(), "line\tjams\tCy\theard");
  EXPECT_EQ(ControlText(Child(RoomWindow("jams"), "RICHCNTLREADONLY")), "Cy:\theard");

  // An up without a down is no click.
  PostMessageA(box, WM_LBUTTONUP, 0, 0);
  PostMessageA(chatter, WM_CLOSE, 0, 0);
  EXPECT_TRUE(client.Sync().empty());
  EXPECT_EQ(GetWindowTextLengthA(chatter), 0);
  EXPECT_EQ(FindWindowExA(MdiClient(), 0, "AOL Child", "Ann"), 0u);

  // The state outlives the window, and a second click clears it.
  const HWND again = OpenChatterWindow(1);
  ASSERT_NE(again, 0u);
  EXPECT_EQ(SendMessageA(Child(again, "_AOL_Checkbox"), BM_GETCHECK, 0, 0), 1);
  Click(Child(again, "_AOL_Checkbox"));
  EXPECT_EQ(client.NextEvent(), "ignore\tjams\tAnn\t0");
  client.Command({"say", "Ann", "back"});
  EXPECT_EQ(client.NextEvent(), "line\tjams\tAnn\tback");
}

TEST_F(MembersTest, IgnoreHoldsOnlyInItsRoom) {
  const HWND chatter = OpenChatterWindow(3);
  ASSERT_NE(chatter, 0u);
  Click(Child(chatter, "_AOL_Checkbox"));
  EXPECT_EQ(client.NextEvent(), "ignore\tjams\tCy\t1");
  client.Command({"room", "other"});
  client.Command({"say", "Cy", "here"});
  EXPECT_EQ(client.NextEvent(), "line\tother\tCy\there");
}

TEST_F(MembersTest, DoubleClickWithoutSelectionOpensNothing) {
  EXPECT_EQ(SendMessageA(MemberList(), LB_SETCURSEL, 7, 0), -1);
  PostMessageA(MemberList(), WM_LBUTTONDBLCLK, 0, 0);
  client.Sync();
  for (HWND w : Children(MdiClient(), "AOL Child")) EXPECT_EQ(Child(w, "_AOL_Checkbox"), 0u);
}

}  // namespace
}  // namespace aolsim_test
